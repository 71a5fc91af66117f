#include "infowindow/form2.h"

#include "generation/productinfo.h"
#include "infowindow/form2layout.h"
#include "infowindow/linklabel.h"
#include "windowkit/accessibility.h"
#include "windowkit/crispframe.h"
#include "windowkit/openwindows.h"
#include "windowkit/vectorpicture.h"
#include "windowkit/windowcolours.h"
#include "windowkit/windowfont.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QIcon>
#include <QLabel>
#include <QLoggingCategory>
#include <QPainter>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QWindow>

namespace {

// The user sees nothing when the desktop cannot open the address (no browser, no handler);
// this says so to whoever looks (QT_LOGGING_RULES="korvale.shell.debug=true").
Q_LOGGING_CATEGORY(shellLog, "korvale.shell", QtWarningMsg)

constexpr int kSlideStepTwips = 150;
constexpr int kSlidePauseMs = 15;
constexpr qint64 kOnScreenWaitMs = 500;

template <typename Label = QLabel>
Label* addLabel(QWidget* window, const char* name, const QColor& colour = WindowColours::text())
{
    auto* label = new Label(window);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    WindowColours::setText(label, colour);
    return label;
}

} // namespace

Form2::Form2(QWidget* mainWindow)
    : QWidget(nullptr)
    , m_mainWindow(mainWindow)
{
    setWindowTitle(QStringLiteral("INFO"));
    setWindowIcon(QIcon(QStringLiteral(":/info_icon.svg")));
    setFont(WindowFont::make());
    // paintEvent() covers the whole window in white, whatever the desktop's colour scheme.
    setAttribute(Qt::WA_OpaquePaintEvent);
    Accessibility::install();
    createControls();
    resetToDesign();
    m_slide.setTimerType(Qt::PreciseTimer);
    m_slide.setInterval(kSlidePauseMs);
    connect(&m_slide, &QTimer::timeout, this, &Form2::slideStep);
}

void Form2::createControls()
{
    QLabel* Label1 = addLabel(this, "Label1");
    Label1->setFont(WindowFont::make(12, true));

    QLabel* Label2 = addLabel(this, "Label2");
    Label2->setFont(WindowFont::make(13.5));

    addLabel(this, "Label3", QColor(64, 64, 64));

    auto* Label4 = addLabel<LinkLabel>(this, "Label4", QColor(0, 0, 255));
    QFont linkFont = WindowFont::make();
    linkFont.setUnderline(true);
    Label4->setFont(linkFont);
    Label4->setCursor(handPointer(QPoint(5, 0), devicePixelRatioF()));
    Label4->setAccessibleDescription(QStringLiteral("Webseite im Browser öffnen"));
    connect(Label4, &LinkLabel::clicked, this, &Form2::Label4_Click);

    auto* Picture1 = new VectorPicture(QStringLiteral(":/info_picture.svg"), this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setAccessibleName(QStringLiteral("Bild: die Korvale-Figur winkt von einer Wiese"));
    WindowColours::setBackground(Picture1, WindowColours::window());

    QLabel* Label6 = addLabel(this, "Label6");

    auto* Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setTabChangesFocus(true);
    CrispFrame::applyTo(Text1);
    Text1->setAccessibleName(QStringLiteral("Details"));
    Label6->setBuddy(Text1);

    auto* cmdExit = new QPushButton(this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    cmdExit->setAutoDefault(false);
    cmdExit->setDefault(false);
    connect(cmdExit, &QPushButton::clicked, this, &Form2::cmdExit_Click);

    // Window controls lie in front of the drawn labels wherever they overlap.
    for (const ControlLayout& row : Form2Layout::table()) {
        if (row.isWindowControl())
            LayoutTable::control(this, row)->raise();
    }
}

void Form2::Show()
{
    if (m_loaded) {
        raise();
        activateWindow();
        return;
    }
    resetToDesign();
    m_loaded = true;
    OpenWindows::instance().loaded(this);
    Form_Load();
}

bool Form2::isLoaded() const { return m_loaded; }

// A freshly loaded window has its designed size and every control as the table has it:
// what was typed into Text1 during the last visit is gone.
void Form2::resetToDesign()
{
    setWindowState(Qt::WindowNoState);
    resize(LayoutTable::toPixels(Form2Layout::kClientWidth), LayoutTable::toPixels(Form2Layout::kClientHeight));
    LayoutTable::apply(this, Form2Layout::table());
    if (QWidget* focused = focusWidget())
        focused->clearFocus();
}

void Form2::Form_Load()
{
    placeBesideMainWindow();
    setOuterWidth(0);
    show();
    m_shownFor.start();
    m_slideTarget = 0;
    m_slide.start();
}

void Form2::placeBesideMainWindow()
{
    if (!m_mainWindow)
        return;
    const QRect main = m_mainWindow->frameGeometry();
    move(main.left() + main.width(), main.top());
}

// One step of the opening slide: the window grows by a step and is painted at once. The
// timer lets both windows answer between steps. A width that stops growing (a cap set by
// the window system) ends the slide too, so it always ends.
void Form2::slideStep()
{
    // An X server takes the window on screen, and tells its frame, only after a round trip.
    if (!windowHandle()->isExposed() && !m_shownFor.hasExpired(kOnScreenWaitMs))
        return;
    if (m_slideTarget == 0) {
        m_slideTarget = designedOuterWidth();
        m_slideWidth = outerWidth();
    }
    if (m_slideWidth >= m_slideTarget) {
        endSlide();
        return;
    }
    setOuterWidth(m_slideWidth + LayoutTable::toPixels(kSlideStepTwips));
    repaint();
    const int reached = outerWidth();
    emit openingStep(reached);
    if (reached <= m_slideWidth || reached >= m_slideTarget)
        endSlide();
    m_slideWidth = reached;
}

void Form2::endSlide()
{
    m_slide.stop();
    emit opened();
}

// The frame is known only once the window is shown; before that it counts as none.
int Form2::designedOuterWidth() const { return LayoutTable::toPixels(Form2Layout::kClientWidth) + frameExtraWidth(); }

int Form2::frameExtraWidth() const { return frameGeometry().width() - geometry().width(); }

int Form2::outerWidth() const { return frameGeometry().width(); }

// A window of no width is not on screen at all, so one pixel is the narrowest it gets.
void Form2::setOuterWidth(int width) { resize(std::max(1, width - frameExtraWidth()), height()); }

bool Form2::ShellExec(const QString& Path, int WindowStyle, const QString& Operation)
{
    // The desktop opens an address in the user's browser, which places its own window.
    Q_UNUSED(WindowStyle);
    if (Operation != QLatin1String("open")) {
        qCDebug(shellLog) << "no verb" << Operation;
        return false;
    }
    const bool opened = QDesktopServices::openUrl(QUrl::fromUserInput(Path));
    if (!opened)
        qCDebug(shellLog) << "the desktop did not open" << Path;
    return opened;
}

void Form2::Label4_Click()
{
    ShellExec(QString::fromUtf16(ProductInfo::kWebAddress), 1, QStringLiteral("open"));
}

void Form2::cmdExit_Click() { close(); }

void Form2::paintEvent(QPaintEvent* event) { QPainter(this).fillRect(event->rect(), WindowColours::window()); }

// The title bar's close control unloads the window just as cmdExit does.
void Form2::closeEvent(QCloseEvent* event)
{
    m_slide.stop();
    if (m_loaded) {
        m_loaded = false;
        OpenWindows::instance().unloaded(this);
    }
    QWidget::closeEvent(event);
}
