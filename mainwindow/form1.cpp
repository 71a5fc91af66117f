#include "mainwindow/form1.h"

#include "background/backgroundrun.h"
#include "background/backgroundtable.h"
#include "commandline/folderargument.h"
#include "controls/drivecombo.h"
#include "controls/elidinglabel.h"
#include "controls/folderview.h"
#include "controls/picturebutton.h"
#include "drives/hostdrives.h"
#include "drives/hostlocation.h"
#include "drives/windowspath.h"
#include "generation/listfilewriter.h"
#include "generation/statustext.h"
#include "infowindow/form2.h"
#include "mainwindow/handins.h"
#include "mainwindow/inputhold.h"
#include "mainwindow/mainlayout.h"
#include "menus/runmenu.h"
#include "menus/tablefiledialog.h"
#include "options/driveletterstore.h"
#include "options/optionrestore.h"
#include "process/exitguard.h"
#include "table/tabletext.h"
#include "windowkit/accessibility.h"
#include "windowkit/openwindows.h"
#include "windowkit/windowcolours.h"
#include "windowkit/windowfont.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QWindow>

#include <utility>

namespace {

// SEAM(list files): the test whether a file is a list Korvale writes comes with the work on
// what changed since the last list; until it is on main, no dropped file counts as one.
bool isListKorvaleWrites(const QByteArray&) { return false; }

// A run that ends within this time ends without showing its progress.
constexpr int kFirstProgressMs = 500;
constexpr int kProgressIntervalMs = 250;

void setAllVisible(const QList<QWidget*>& controls, bool visible)
{
    for (QWidget* control : controls)
        control->setVisible(visible);
}

} // namespace

Form1::Form1(SettingsStore& store, const std::optional<QString>& startFolder, QWidget* parent)
    : QWidget(parent)
    , m_store(store)
    , m_hidden(std::make_unique<GenerateRun>())
{
    setUpWindow();
    m_c = MainControls::build(this, *m_hidden, m_looks, MainLayout::table());
    m_hidden->useDrive1(*m_c.models.Drive1);
    m_c.Image1->setCursor(handPointer(QPoint(0, 0), devicePixelRatioF()));
    m_c.Image2->setCursor(handPointer(QPoint(5, 0), devicePixelRatioF()));
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        // Only the bare window resets the info button, so a movement over any control
        // must not reach the window.
        child->setAttribute(Qt::WA_NoMousePropagation);
    }
    setMouseTracking(true);
    m_c.Image1->setMouseTracking(true);
    m_c.Image3->setMouseTracking(true);
    connectHandlers();
    m_runMenu = new RunMenu(m_c.List2, m_c.Label3, this, [this] { return m_c.models.Dir2->Path(); });
    connect(m_runMenu, &RunMenu::listToCheckChosen, this, &Form1::checkAgainstList);
    connect(m_runMenu, &RunMenu::tableRequested, this, &Form1::saveTableAs);
    m_c.Drive1->setFocus();
    m_progressTimer.setTimerType(Qt::CoarseTimer);
    connect(&m_progressTimer, &QTimer::timeout, this, &Form1::showRunProgress);
    m_forcedExitTimer.setSingleShot(true);
    m_forcedExitTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_forcedExitTimer, &QTimer::timeout, this, &Form1::forceExit);
    // Nothing is dropped while a run or the restore of the stored folders holds the input.
    m_handIns = new HandIns(m_c, isListKorvaleWrites, [this] { return m_work != nullptr || m_restoring; },
                            [this](const HandedIn::Decision& decision) { takeHandIn(decision); }, this);
    Form_Load();
    if (startFolder)
        m_handIns->handIn(HandedIn::Role::Source, *startFolder);
}

Form1::~Form1()
{
    m_work.reset();
    delete m_form2;
    // The controls show lists that live beside them (the drive and folder lists, children
    // of this window created before them) or in m_hidden: the controls go first, so none
    // is ever left holding a list that is gone.
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void Form1::setUpWindow()
{
    setWindowTitle(QStringLiteral("Korvale erzeugen"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(LayoutTable::toPixels(MainLayout::kClientWidth), LayoutTable::toPixels(MainLayout::kClientHeight));
    setWindowIcon(QIcon(QStringLiteral(":/korvale.svg")));
    setFont(WindowFont::make());
    // paintEvent() covers the whole window in white, whatever the desktop's colour scheme.
    setAttribute(Qt::WA_OpaquePaintEvent);
    Accessibility::install();
    centreOnScreen(QMargins());
}

QPoint Form1::centredFramePosition(const QRect& available, const QSize& clientSize, const QMargins& frame)
{
    const QSize outer = clientSize.grownBy(frame);
    return available.topLeft() + QPoint((available.width() - outer.width()) / 2, (available.height() - outer.height()) / 2);
}

void Form1::centreOnScreen(const QMargins& frame)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(centredFramePosition(screen->availableGeometry(), size(), frame));
}

// The window system adds its frame only once the window is on screen; the window is
// centred again then, once, by its outer frame.
void Form1::moveEvent(QMoveEvent* event)
{
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (!m_centredWithFrame && isVisible() && !frame.isNull()) {
        m_centredWithFrame = true;
        centreOnScreen(frame);
    }
    QWidget::moveEvent(event);
}

void Form1::paintEvent(QPaintEvent* event) { QPainter(this).fillRect(event->rect(), WindowColours::window()); }

void Form1::connectHandlers()
{
    connect(m_c.Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(m_c.Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(m_c.Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(m_c.models.Drive1, &DriveList::Change, this, &Form1::Drive1_Change);
    connect(m_c.models.Dir2, &FolderList::Change, this, &Form1::Dir2_Change);
    connect(m_c.models.Drive2, &DriveList::Change, this, &Form1::Drive2_Change);
    connect(m_c.models.Dir3, &FolderList::Change, this, &Form1::Dir3_Change);
    connect(&m_looks, &FolderLooks::answered, this,
            [this](FolderLooks::Ticket ticket, FolderList* list, FolderLooks::Outcome outcome) {
                keepDriveWithFolder(list, outcome);
                takeHandedInFolder(ticket, outcome);
            });
    connect(m_c.Image1, &PictureButton::clicked, this, &Form1::Image1_Click);
    connect(m_c.Image2, &PictureButton::clicked, this, &Form1::Image2_Click);
    connect(m_c.Image1, &PictureButton::mouseMoved, this, &Form1::Image1_MouseMove);
    connect(m_c.Image3, &PictureButton::mouseMoved, this, &Form1::Image3_MouseMove);
    // Without a mouse the info window, the only help, is reached by F1 or a screen reader,
    // whichever of the info button's two pictures it sees.
    connect(m_c.Image1, &PictureButton::pressRequested, this, &Form1::Image1_Click);
    connect(m_c.Image3, &PictureButton::pressRequested, this, &Form1::Image1_Click);
    connect(m_c.Image2, &PictureButton::pressRequested, this, &Form1::Image2_Click);
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this, &Form1::Image1_Click);
}

// The stored folders are looked at off this thread, so a share that stopped answering never
// keeps the window from showing; until they have answered, or count as not answering, the
// window holds its input, so that no pick of the person's comes before them.
void Form1::Form_Load()
{
    OpenWindows::instance().loaded(this);
    OptionStore options(m_store);
    options.load();
    if (const std::optional<QString> listFileName = options.storedListFileName())
        m_c.Text1->setText(*listFileName);
    m_restore = std::make_unique<OptionRestore>(options, m_looks,
                                                StoredOptionsControls{*m_c.models.Dir1, *m_c.models.Dir2, *m_c.models.Dir3});
    connect(m_restore.get(), &OptionRestore::done, this, &Form1::takeRestoredFolders);
    m_restoring = true;
    m_inputHold = std::make_unique<InputHold>(this, m_c.Image2, [] {});
    m_restore->start();
}

void Form1::takeRestoredFolders(const RestoreResult& result)
{
    m_restoring = false;
    m_inputHold.reset();
    // A restore onto the folder Dir3 already stands on raises no change, so the label is set here.
    m_c.Label2->setText(result.targetFolder);
    if (!result.silentFolders.isEmpty())
        m_c.Label3->setMessage(StatusText::silentStoredFolders(result.silentFolders), result.silentFolders);
    if (const std::optional<HandedIn::Decision> handIn = std::exchange(m_handInAfterRestore, std::nullopt))
        takeHandIn(*handIn);
    emit restored();
}

void Form1::Form_Unload()
{
    // Saved already when the session ended, and nothing could change since.
    if (!m_optionsSavedAtSessionEnd)
        saveOptions();
}

// The letters the volumes have are kept with the options, in the same write.
void Form1::saveOptions()
{
    if (!OpenWindows::instance().windows().contains(this))
        return;
    QList<SettingsStore::SectionChange> alongside;
    if (const HostDrives* drives = HostDrives::onThisThread())
        alongside.append(DriveLetterStore::change(drives->rememberedAtStart(), drives->remembered()));
    OptionStore(m_store).save({*m_c.models.Dir1, *m_c.models.Dir2, *m_c.models.Dir3}, m_c.Text1->text(),
                              m_restore->foldersToKeep(), alongside);
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (m_work) {
        // The options are saved, and the window goes, once the run has stopped.
        endDuringRun(AfterRun::Close);
        event->ignore();
        return;
    }
    if (OpenWindows::instance().windows().contains(this)) {
        Form_Unload();
        OpenWindows::instance().unloaded(this);
    }
    event->accept();
}

void Form1::mouseMoveEvent(QMouseEvent* event)
{
    Form_MouseMove();
    QWidget::mouseMoveEvent(event);
}

void Form1::Command1_Click()
{
    if (m_work || m_restoring)
        return;
    m_c.List2->setVisible(true);
    hidePanel();
    startRun({m_c.models.Dir2->Path(), m_c.txt_filter->text(), m_c.Check1->isChecked(), m_c.Label2->text(),
              m_c.Text1->text()});
}

// The source as a run would walk it, compared with a list file; the window's lists, count
// and folders stay as they are, and nothing is written.
void Form1::checkAgainstList(const QByteArray& listHostPath)
{
    if (m_work)
        return;
    GenerateRun::Input input;
    input.sourceFolder = m_c.models.Dir2->Path();
    input.pattern = m_c.txt_filter->text();
    input.includeSubfolders = m_c.Check1->isChecked();
    input.listToCheck = listHostPath;
    startRun(std::move(input));
}

// The run works on a thread and controls of its own; until it ends the window holds its
// input, so what the run was given at the click stays what the window shows.
void Form1::startRun(GenerateRun::Input input)
{
    auto run = std::make_unique<BackgroundRun>(std::move(input), m_runObserver, m_writeObserver);
    BackgroundRun* started = run.get();
    startWork(std::move(run), [this, started] { takeRunResult(*started); });
}

void Form1::startWork(std::unique_ptr<BackgroundWork> work, std::function<void()> takeResult)
{
    m_stopGrace.runStarts();
    m_work = std::move(work);
    m_takeResult = std::move(takeResult);
    // Queued: endWork() destroys the work, which must not happen within its own signal.
    connect(m_work.get(), &BackgroundWork::finished, this, &Form1::endWork, Qt::QueuedConnection);
    m_inputHold = std::make_unique<InputHold>(this, m_c.Image2, [this] { stopRun(); });
    m_progressTimer.start(kFirstProgressMs);
}

// Said at once: a folder read may hold the run for long before it sees the request.
void Form1::stopRun()
{
    if (!m_work)
        return;
    m_stopGrace.stopRequested(StopGrace::Clock::now());
    m_work->requestStop();
    showRunStatus();
}

void Form1::showRunProgress()
{
    m_progressTimer.setInterval(kProgressIntervalMs);
    showRunStatus();
}

// The answer to a stop the person asked for is read out once; the live figures and the
// write are only shown, so that the end of each run is the one thing announced.
void Form1::showRunStatus()
{
    const BackgroundWork::Status status = m_work->status();
    if (m_work->phase() != BackgroundWork::Phase::Stopping)
        m_c.Label3->setProgress(status.text, status.paths);
    else if (m_c.Label3->text() != status.text)
        m_c.Label3->setMessage(status.text, status.paths);
}

// A close or the exit picture while a run goes on: the run stops, and the window goes once
// it has. Asked again once the run had its time, the program ends without it.
void Form1::endDuringRun(AfterRun after)
{
    m_afterRun = std::max(m_afterRun, after);
    const std::optional<StopGrace::Clock::time_point> exitAt = m_stopGrace.closeRequested(StopGrace::Clock::now());
    stopRun();
    if (exitAt)
        forceExitAt(*exitAt);
}

void Form1::forceExitAt(StopGrace::Clock::time_point moment)
{
    if (m_forcedExitTimer.isActive())
        return;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(moment - StopGrace::Clock::now());
    m_forcedExitTimer.start(std::max(wait, std::chrono::milliseconds(0)));
}

// The run is stuck in a read that may never return: the options are saved, and the process
// ends without it. Only a list file being written over where it stands is waited for, so
// it is whole or untouched.
void Form1::forceExit()
{
    if (!m_work)
        return;
    Form_Unload();
    ExitGuard::exitNow(0);
}

void Form1::endSession()
{
    if (!m_work) {
        Image2_Click();
        return;
    }
    saveOptions();
    m_optionsSavedAtSessionEnd = true;
    m_afterRun = AfterRun::Exit;
    stopRun();
    forceExitAt(m_stopGrace.sessionEnds(StopGrace::Clock::now()));
}

void Form1::endWork()
{
    const std::unique_ptr<BackgroundWork> work = std::move(m_work);
    m_progressTimer.stop();
    m_forcedExitTimer.stop();
    m_inputHold.reset();
    std::exchange(m_takeResult, {})();
    emit runEnded();
    if (m_afterRun == AfterRun::Close)
        close();
    else if (m_afterRun == AfterRun::Exit)
        Image2_Click();
}

void Form1::takeRunResult(BackgroundRun& run)
{
    const GenerateRun::Outcome& outcome = run.outcome();
    const GenerateRun::Input& input = run.input();
    if (outcome.stopped) {
        m_c.Label3->setMessage(input.listToCheck ? StatusText::checkStopped() : StatusText::stopped(), {});
    } else if (outcome.shortage != Shortage::None) {
        m_c.Label3->setMessage(outcome.statusText, {});
    } else if (input.listToCheck) {
        takeCheckResult(outcome);
    } else {
        takeOver(run.takeControls(), run.longestResultRows());
        m_runMenu->setFinishedRun({outcome.written, WindowsPath::listFilePath(input.targetFolder, input.listFileName),
                                   input.targetFolder, input.listFileName, outcome.leftOut});
        m_runMenu->setChanges(outcome.changes);
        m_c.Label1->setText(FolderWalk::countText(outcome.count));
        m_c.Label3->setMessage(outcome.statusText, outcome.statusPaths);
    }
}

// A check leaves the window's lists and count as they are: only its status and its changes.
void Form1::takeCheckResult(const GenerateRun::Outcome& outcome)
{
    m_c.Label3->setMessage(outcome.statusText, outcome.statusPaths);
    if (outcome.changes) {
        m_runMenu->setChanges(outcome.changes);
        m_runMenu->showChanges();
    }
}

void Form1::takeTableResult(const BackgroundTable& table)
{
    m_c.Label3->setMessage(table.outcome().statusText, table.outcome().statusPaths);
}

void Form1::saveTableAs()
{
    const RunMenu::FinishedRun& run = m_runMenu->finishedRun();
    if (m_work || !run.written)
        return;
    const QString chosen = TableFileDialog::ask(this, TableFileDialog::suggestedPath(run.targetFolder, run.listFileName));
    if (chosen.isEmpty())
        return;
    const FolderArgument::MappedFile file = FolderArgument::fileToWindowsPath(chosen, QByteArray("/"));
    if (file.failure != FolderArgument::Mapped::Failure::None) {
        m_c.Label3->setMessage(TableText::after(false, WriteFailure::FolderMissing, {}, {}, 0, 0), {});
        return;
    }
    saveTable(file.folder, file.name);
}

void Form1::saveTable(const QString& folder, const QString& name)
{
    const RunMenu::FinishedRun& run = m_runMenu->finishedRun();
    if (m_work || !run.written)
        return;
    const TableRun::Input input{folder, name, run.targetFolder, run.listFileName};
    // Refused here already, so the window does not hold its input for nothing.
    if (TableRun::isListFile(input)) {
        m_c.Label3->setMessage(TableText::refused(), {});
        return;
    }
    auto table = std::make_unique<BackgroundTable>(m_hidden->List2(), input);
    const BackgroundTable* started = table.get();
    startWork(std::move(table), [this, started] { takeTableResult(*started); });
}

// The run's controls become the window's: Dir1 stands where the run left it, and the
// result list's view takes the run's list whole.
void Form1::takeOver(std::unique_ptr<GenerateRun> run, const QList<int>& longestRows)
{
    run->useDrive1(*m_c.models.Drive1);
    m_c.showRun(*run, longestRows);
    m_hidden.swap(run);
}

// A folder handed in is taken as if the person had picked it in the list it lands on: the
// list moves through the folder looks, and the rest follows once the folder has answered.
// One that comes while the stored folders are restored (the start folder) is taken after
// them, so a stored source that answers late never takes its place.
void Form1::takeHandIn(const HandedIn::Decision& decision)
{
    using Action = HandedIn::Decision::Action;
    if (m_work)
        return;
    if (m_restoring) {
        m_handInAfterRestore = decision;
        return;
    }
    if (decision.action == Action::Explain) {
        sayHandIn(decision);
        return;
    }
    FolderList& list = decision.action == Action::SetSource ? *m_c.models.Dir2 : *m_c.models.Dir3;
    m_handInMoving = decision;
    m_handInTicket = m_looks.move(list, decision.folder);
}

void Form1::takeHandedInFolder(FolderLooks::Ticket ticket, FolderLooks::Outcome outcome)
{
    if (ticket != m_handInTicket)
        return;
    m_handInTicket = 0;
    const HandedIn::Decision& decision = m_handInMoving;
    if (outcome == FolderLooks::Outcome::NotAnswering) {
        sayHandIn(HandedIn::notAnswering(decision.folder));
    } else if (outcome == FolderLooks::Outcome::NotAFolder) {
        sayHandIn(HandedIn::unreadableFolder(decision.folder));
    } else if (decision.action == HandedIn::Decision::Action::SetTarget) {
        // Dir3 may stand there already, which raises no change.
        m_c.Label2->setText(m_c.models.Dir3->Path());
        if (decision.listFileName)
            m_c.Text1->setText(*decision.listFileName);
    }
}

bool Form1::isTakingHandIn() const
{
    return m_handIns->isWaiting() || m_handInAfterRestore || m_handInTicket != 0;
}

void Form1::sayHandIn(const HandedIn::Decision& said)
{
    m_c.Label3->setMessage(said.status, said.folder.isEmpty() ? QStringList() : QStringList{said.folder});
}

void Form1::hidePanel()
{
    setAllVisible(m_c.panelLines(), false);
    m_c.Text1->setVisible(false);
    m_c.Drive2->setVisible(false);
    m_c.Dir3->setVisible(false);
    m_c.Command4->setVisible(false);
}

void Form1::Command3_Click()
{
    // A screen reader's press reaches a button past the held input.
    if (m_work)
        return;
    setAllVisible(m_c.panelLines(), true);
    m_c.Text1->setVisible(true);
    m_c.List2->setVisible(false);
    m_c.Drive2->setVisible(true);
    m_c.Dir3->setVisible(true);
    m_c.Command4->setVisible(true);
}

void Form1::Command4_Click()
{
    setAllVisible(m_c.panelLines(), false);
    m_c.Text1->setVisible(false);
    m_c.Label2->setText(m_c.models.Dir3->Path());
    m_c.Drive2->setVisible(false);
    m_c.Dir3->setVisible(false);
    m_c.Command4->setVisible(false);
}

void Form1::Drive1_Change() { m_looks.move(*m_c.models.Dir2, m_c.models.Drive1->Drive()); }

void Form1::Dir2_Change() { m_c.models.Drive1->setDrive(WindowsPath::drivePrefix(m_c.models.Dir2->Path())); }

void Form1::Drive2_Change() { m_looks.move(*m_c.models.Dir3, m_c.models.Drive2->Drive()); }

void Form1::Dir3_Change()
{
    m_c.models.Drive2->setDrive(WindowsPath::drivePrefix(m_c.models.Dir3->Path()));
    // Read again: setting the drive may have moved Dir3 through its own cascade.
    m_c.Label2->setText(m_c.models.Dir3->Path());
}

// A folder list that could not move stays where it was, and its drive list with it: a
// drive list that a cascade moved ahead goes back to its folder's drive.
void Form1::keepDriveWithFolder(FolderList* list, FolderLooks::Outcome outcome)
{
    if (outcome == FolderLooks::Outcome::Read)
        return;
    if (list == m_c.models.Dir2)
        m_c.models.Drive1->setDrive(WindowsPath::drivePrefix(m_c.models.Dir2->Path()));
    else if (list == m_c.models.Dir3)
        m_c.models.Drive2->setDrive(WindowsPath::drivePrefix(m_c.models.Dir3->Path()));
}

void Form1::Image3_MouseMove()
{
    m_c.Image1->show();
    m_c.Image3->hide();
}

void Form1::Image1_MouseMove()
{
    m_c.Image1->show();
    m_c.Image3->hide();
}

void Form1::Form_MouseMove()
{
    m_c.Image1->hide();
    m_c.Image3->show();
}

void Form1::Image1_Click()
{
    if (m_work)
        return;
    if (!m_form2)
        m_form2 = new Form2(this);
    m_form2->Show();
}

void Form1::Image2_Click()
{
    if (m_work) {
        endDuringRun(AfterRun::Exit);
        return;
    }
    UnloadAllForms();
    QCoreApplication::exit(0);
}

void Form1::UnloadAllForms()
{
    for (QWidget* window : OpenWindows::instance().windows())
        window->close();
}
