#include "mainwindow/form1.h"

#include "generation/folderwalk.h"
#include "generation/listfilewriter.h"
#include "generation/statustext.h"
#include "infowindow/form2.h"
#include "listing/drivelist.h"
#include "listing/filelist.h"
#include "listing/folderlist.h"
#include "listing/listbox.h"
#include "mainwindow/accessibility.h"
#include "mainwindow/drivecombo.h"
#include "mainwindow/elidinglabel.h"
#include "mainwindow/folderview.h"
#include "mainwindow/mainlayout.h"
#include "mainwindow/openwindows.h"
#include "mainwindow/picturebutton.h"
#include "mainwindow/windowcolours.h"
#include "mainwindow/windowfont.h"
#include "options/optionstore.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QWindow>

namespace {

// A folder's drive prefix: its first three characters ("C:\").
QString drivePrefix(const QString& path) { return path.left(3); }

void setAllVisible(const QList<QWidget*>& controls, bool visible)
{
    for (QWidget* control : controls)
        control->setVisible(visible);
}

} // namespace

Form1::Form1(SettingsStore& store, QWidget* parent)
    : QWidget(parent)
    , m_store(store)
{
    setUpWindow();
    m_c = MainControls::build(this);
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
    m_c.Drive1->setFocus();
    Form_Load();
}

Form1::~Form1() { delete m_form2; }

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
    connect(m_c.drive1, &DriveList::Change, this, &Form1::Drive1_Change);
    connect(m_c.dir2, &FolderList::Change, this, &Form1::Dir2_Change);
    connect(m_c.drive2, &DriveList::Change, this, &Form1::Drive2_Change);
    connect(m_c.dir3, &FolderList::Change, this, &Form1::Dir3_Change);
    connect(m_c.Dir1, &FolderList::Change, this, &Form1::Dir1_Change);
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

void Form1::Form_Load()
{
    OpenWindows::instance().loaded(this);
    const RestoreResult restored = OptionStore(m_store).restore({*m_c.Dir1, *m_c.dir2, *m_c.dir3});
    // A restore onto the folder Dir3 already stands on raises no change, so the label is set here.
    m_c.Label2->setText(restored.targetFolder);
    if (restored.listFileName)
        m_c.Text1->setText(*restored.listFileName);
}

void Form1::Form_Unload()
{
    OptionStore(m_store).save({*m_c.Dir1, *m_c.dir2, *m_c.dir3}, m_c.Text1->text());
}

void Form1::closeEvent(QCloseEvent* event)
{
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
    // The run takes no input until it is over; the pointer says so.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_c.List2->setVisible(true);
    hidePanel();
    const QString sourceFolder = m_c.dir2->Path();
    const WalkResult walk = FolderWalk::run({*m_c.Dir1, *m_c.File1, *m_c.List1, *m_c.list2}, sourceFolder,
                                            m_c.txt_filter->text(), [this] { return m_c.Check1->isChecked(); });
    m_c.Label1->setText(FolderWalk::countText(m_c.list2->ListCount()));
    if (walk.sourceRead)
        Dateiausgeben(walk.notes);
    else
        m_c.Label3->setMessage(FolderWalk::sourceUnreadableText(sourceFolder), {sourceFolder});
    QApplication::restoreOverrideCursor();
}

void Form1::Dateiausgeben(const RunNotes& notes)
{
    const QString targetFolder = m_c.Label2->text();
    const QString fileName = m_c.Text1->text();
    const ListFileOutcome outcome = ListFileWriter::write(targetFolder, fileName, *m_c.list2, QDate::currentDate());
    m_c.Label3->setMessage(StatusText::after(outcome, fileName, targetFolder, notes), {fileName, targetFolder});
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
    m_c.Label2->setText(m_c.dir3->Path());
    m_c.Drive2->setVisible(false);
    m_c.Dir3->setVisible(false);
    m_c.Command4->setVisible(false);
}

void Form1::Drive1_Change() { m_c.dir2->setPath(m_c.drive1->Drive()); }

void Form1::Dir2_Change() { m_c.drive1->setDrive(drivePrefix(m_c.dir2->Path())); }

void Form1::Drive2_Change() { m_c.dir3->setPath(m_c.drive2->Drive()); }

void Form1::Dir3_Change()
{
    m_c.drive2->setDrive(drivePrefix(m_c.dir3->Path()));
    // Read again: setting the drive may have moved Dir3 through its own cascade.
    m_c.Label2->setText(m_c.dir3->Path());
}

void Form1::Dir1_Change()
{
    m_c.drive1->setDrive(drivePrefix(m_c.Dir1->Path()));
    m_c.File1->setFileName(m_c.Dir1->Path());
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
    if (!m_form2)
        m_form2 = new Form2(this);
    m_form2->Show();
}

void Form1::Image2_Click()
{
    UnloadAllForms();
    QCoreApplication::exit(0);
}

void Form1::UnloadAllForms()
{
    for (QWidget* window : OpenWindows::instance().windows())
        window->close();
}
