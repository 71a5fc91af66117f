#include "mainwindow/form1.h"

#include "controls/drivecombo.h"
#include "controls/elidinglabel.h"
#include "controls/folderview.h"
#include "controls/picturebutton.h"
#include "drives/windowspath.h"
#include "generation/backgroundrun.h"
#include "generation/listfilewriter.h"
#include "generation/statustext.h"
#include "infowindow/form2.h"
#include "mainwindow/inputhold.h"
#include "mainwindow/mainlayout.h"
#include "mainwindow/runmenu.h"
#include "options/optionrestore.h"
#include "process/exitguard.h"
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

namespace {

// A run that ends within this time ends without showing its progress.
constexpr int kFirstProgressMs = 500;
constexpr int kProgressIntervalMs = 250;

void setAllVisible(const QList<QWidget*>& controls, bool visible)
{
    for (QWidget* control : controls)
        control->setVisible(visible);
}

} // namespace

Form1::Form1(SettingsStore& store, QWidget* parent)
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
    m_runMenu = new RunMenu(m_c.List2, m_c.Label3, this);
    m_c.Drive1->setFocus();
    m_progressTimer.setTimerType(Qt::CoarseTimer);
    connect(&m_progressTimer, &QTimer::timeout, this, &Form1::showRunProgress);
    m_forcedExitTimer.setSingleShot(true);
    m_forcedExitTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_forcedExitTimer, &QTimer::timeout, this, &Form1::forceExit);
    Form_Load();
}

Form1::~Form1()
{
    m_run.reset();
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
            [this](FolderLooks::Ticket, FolderList* list, FolderLooks::Outcome outcome) { keepDriveWithFolder(list, outcome); });
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
    emit restored();
}

void Form1::Form_Unload()
{
    // Saved already when the session ended, and nothing could change since.
    if (!m_optionsSavedAtSessionEnd)
        saveOptions();
}

void Form1::saveOptions()
{
    if (OpenWindows::instance().windows().contains(this))
        OptionStore(m_store).save({*m_c.models.Dir1, *m_c.models.Dir2, *m_c.models.Dir3}, m_c.Text1->text(),
                                  m_restore->foldersToKeep());
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (m_run) {
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
    if (m_run || m_restoring)
        return;
    m_c.List2->setVisible(true);
    hidePanel();
    startRun({m_c.models.Dir2->Path(), m_c.txt_filter->text(), m_c.Check1->isChecked(), m_c.Label2->text(),
              m_c.Text1->text()});
}

// The run works on a thread and controls of its own; until it ends the window holds its
// input, so what the run was given at the click stays what the window shows.
void Form1::startRun(GenerateRun::Input input)
{
    m_stopGrace.runStarts();
    m_run = std::make_unique<BackgroundRun>(std::move(input), m_runObserver, m_writeObserver);
    // Queued: endRun() destroys the run, which must not happen within its own signal.
    connect(m_run.get(), &BackgroundRun::finished, this, &Form1::endRun, Qt::QueuedConnection);
    m_inputHold = std::make_unique<InputHold>(this, m_c.Image2, [this] { stopRun(); });
    m_progressTimer.start(kFirstProgressMs);
}

// Said at once: a folder read may hold the run for long before it sees the request.
void Form1::stopRun()
{
    if (!m_run)
        return;
    m_stopGrace.stopRequested(StopGrace::Clock::now());
    m_run->requestStop();
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
    const QString text = m_run->statusText();
    if (m_run->phase() != BackgroundRun::Phase::Stopping)
        m_c.Label3->setProgress(text);
    else if (m_c.Label3->text() != text)
        m_c.Label3->setMessage(text, {});
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
    if (!m_run)
        return;
    Form_Unload();
    ExitGuard::exitNow(0);
}

void Form1::endSession()
{
    if (!m_run) {
        Image2_Click();
        return;
    }
    saveOptions();
    m_optionsSavedAtSessionEnd = true;
    m_afterRun = AfterRun::Exit;
    stopRun();
    forceExitAt(m_stopGrace.sessionEnds(StopGrace::Clock::now()));
}

void Form1::endRun()
{
    const std::unique_ptr<BackgroundRun> run = std::move(m_run);
    m_progressTimer.stop();
    m_forcedExitTimer.stop();
    m_inputHold.reset();
    const GenerateRun::Outcome& outcome = run->outcome();
    if (outcome.stopped) {
        m_c.Label3->setMessage(StatusText::stopped(), {});
    } else if (outcome.shortage != Shortage::None) {
        m_c.Label3->setMessage(outcome.statusText, {});
    } else {
        takeOver(run->takeControls(), run->longestResultRows());
        const GenerateRun::Input& input = run->input();
        m_runMenu->setFinishedRun({outcome.written, WindowsPath::listFilePath(input.targetFolder, input.listFileName),
                                   input.targetFolder, outcome.leftOut});
        m_c.Label1->setText(FolderWalk::countText(outcome.count));
        m_c.Label3->setMessage(outcome.statusText, outcome.statusPaths);
    }
    emit runEnded();
    if (m_afterRun == AfterRun::Close)
        close();
    else if (m_afterRun == AfterRun::Exit)
        Image2_Click();
}

// The run's controls become the window's: Dir1 stands where the run left it, and the
// result list's view takes the run's list whole.
void Form1::takeOver(std::unique_ptr<GenerateRun> run, const QList<int>& longestRows)
{
    run->useDrive1(*m_c.models.Drive1);
    m_c.showRun(*run, longestRows);
    m_hidden.swap(run);
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
    if (m_run)
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
    if (m_run)
        return;
    if (!m_form2)
        m_form2 = new Form2(this);
    m_form2->Show();
}

void Form1::Image2_Click()
{
    if (m_run) {
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
