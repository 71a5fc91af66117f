#include <gtest/gtest.h>

#include "infowindow/form2.h"
#include "infowindow/form2layout.h"
#include "support/urlcatcher.h"
#include "windowkit/openwindows.h"
#include "windowkit/vectorpicture.h"

#include <QAccessible>
#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>

namespace {

class InfoWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_main.setWindowTitle(QStringLiteral("main"));
        m_main.setGeometry(130, 90, 300, 200);
        m_main.show();
        OpenWindows::instance().loaded(&m_main);
        QObject::connect(&m_info, &Form2::openingStep, [this](int width) { m_steps.append(width); });
    }

    void TearDown() override
    {
        m_info.close();
        OpenWindows::instance().unloaded(&m_main);
    }

    // Shows the info window and waits until its opening slide has ended.
    bool open()
    {
        QSignalSpy opened(&m_info, &Form2::opened);
        m_info.Show();
        return opened.wait(5000);
    }

    template <typename T>
    T* control(const char* name) { return m_info.findChild<T*>(QLatin1String(name)); }

    int designedOuterWidth() const
    {
        return 348 + m_info.frameGeometry().width() - m_info.width();
    }

    QPoint besideMain() const
    {
        const QRect main = m_main.frameGeometry();
        return QPoint(main.right() + 1, main.top());
    }

    QWidget m_main;
    Form2 m_info{ &m_main };
    QList<int> m_steps;
};

TEST_F(InfoWindow, OpensBesideTheMainWindowWhereverItStands)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QList<QPoint> mainPlaces = { QPoint(40, 25), QPoint(screen.right() - 120, 300) };
    for (const QPoint& place : mainPlaces) {
        m_main.move(place);
        m_info.Show();
        EXPECT_EQ(m_info.frameGeometry().topLeft(), besideMain()) << place.x();
        m_info.close();
    }
}

// Its place is set once per load: a main window moved while the slide goes on, or after
// it, leaves the info window where it opened.
TEST_F(InfoWindow, StaysWhereItOpenedWhenTheMainWindowMoves)
{
    QObject::connect(&m_info, &Form2::openingStep, [this](int) {
        if (m_steps.size() == 2)
            m_main.move(m_main.pos() + QPoint(77, 55));
    });
    const QPoint opened = besideMain();
    ASSERT_TRUE(open());
    ASSERT_GT(m_steps.size(), 2);
    EXPECT_EQ(m_info.frameGeometry().topLeft(), opened);
    EXPECT_NE(besideMain(), opened);
}

TEST_F(InfoWindow, SlidesOpenInStepsOfTenPixelsToItsDesignedWidthWhileOthersAreAnswered)
{
    // Something posted at the first step is handled before the second: the slide goes on
    // from a timer and blocks nobody.
    qsizetype stepsWhenAnswered = -1;
    QObject::connect(&m_info, &Form2::openingStep, [&](int) {
        if (m_steps.size() == 1)
            QTimer::singleShot(0, [&] { stepsWhenAnswered = m_steps.size(); });
    });
    ASSERT_TRUE(open());
    EXPECT_EQ(stepsWhenAnswered, 1);
    EXPECT_FALSE(m_info.isSliding());
    const int target = designedOuterWidth();
    ASSERT_GE(m_steps.size(), 2);
    EXPECT_LE(m_steps.first(), 11 + m_info.frameGeometry().width() - m_info.width());
    for (qsizetype i = 1; i < m_steps.size(); ++i)
        EXPECT_EQ(m_steps[i] - m_steps[i - 1], 10) << i;
    EXPECT_LT(m_steps[m_steps.size() - 2], target);
    EXPECT_GE(m_steps.last(), target);
    EXPECT_EQ(m_info.frameGeometry().width(), m_steps.last());
    EXPECT_EQ(m_info.height(), 266);
    EXPECT_TRUE(m_info.isVisible());
}

TEST_F(InfoWindow, SlideEndsWhenTheWidthIsCapped)
{
    m_info.setMaximumWidth(203);
    ASSERT_TRUE(open());
    ASSERT_FALSE(m_steps.isEmpty());
    EXPECT_EQ(m_info.width(), 203);
    EXPECT_EQ(m_steps.last(), m_steps[m_steps.size() - 2]);
    EXPECT_LT(m_steps.size(), 30);
}

TEST_F(InfoWindow, ShowingItAgainWhileOpenNeitherMovesNorReplays)
{
    m_info.Show();
    m_info.move(m_info.pos() + QPoint(-30, 40));
    const QRect placed = m_info.frameGeometry();
    m_steps.clear();
    m_main.move(m_main.pos() + QPoint(50, 50));

    m_info.Show();

    EXPECT_TRUE(m_steps.isEmpty());
    EXPECT_EQ(m_info.frameGeometry(), placed);
    EXPECT_EQ(OpenWindows::instance().windows().count(&m_info), 1);
}

// Both ways out unload the window alike, during the slide too; the next Show() loads it
// afresh beside the main window's new place and slides again from nothing.
TEST_F(InfoWindow, ClosingUnloadsAndTheNextShowLoadsAfresh)
{
    const QList<std::pair<const char*, std::function<void(Form2&)>>> waysOut = {
        { "cmdExit", [](Form2& info) {
              QTest::mouseClick(info.findChild<QPushButton*>(QStringLiteral("cmdExit")), Qt::LeftButton);
          } },
        { "title bar", [](Form2& info) { info.close(); } },
    };
    for (const auto& [way, leave] : waysOut) {
        m_info.Show();
        EXPECT_EQ(OpenWindows::instance().windows(), (QList<QWidget*>{ &m_main, &m_info })) << way;
        control<QPlainTextEdit>("Text1")->setPlainText(QStringLiteral("getippt"));
        m_info.resize(500, 300);

        leave(m_info);

        EXPECT_FALSE(m_info.isLoaded()) << way;
        EXPECT_FALSE(m_info.isVisible()) << way;
        EXPECT_FALSE(m_info.isSliding()) << way;
        EXPECT_EQ(OpenWindows::instance().windows(), QList<QWidget*>{ &m_main }) << way;

        m_main.move(m_main.pos() + QPoint(20, 10));
        m_steps.clear();
        m_info.Show();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !m_steps.isEmpty(); })) << way;

        EXPECT_TRUE(m_info.isLoaded()) << way;
        EXPECT_EQ(m_info.frameGeometry().topLeft(), besideMain()) << way;
        EXPECT_LT(m_steps.first(), designedOuterWidth() / 4) << way;
        EXPECT_TRUE(m_info.isSliding()) << way;
        EXPECT_EQ(m_info.height(), 266) << way;
        EXPECT_TRUE(control<QPlainTextEdit>("Text1")->toPlainText().startsWith(QStringLiteral("Korvale erzeugt"))) << way;
        m_info.close();
    }
}

TEST_F(InfoWindow, ClickOnTheAddressOpensExactlyTheShownAddress)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    m_info.Show();
    auto* Label4 = control<QLabel>("Label4");

    QTest::mouseClick(Label4, Qt::LeftButton, {}, QPoint(3, 3));
    const bool printed = m_info.ShellExec(Label4->text(), 1, QStringLiteral("print"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));

    EXPECT_FALSE(printed);
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened.first().toString(), Label4->text());
    EXPECT_EQ(Label4->text(), QStringLiteral("https://korvale.example/"));
    EXPECT_TRUE(m_info.isLoaded());
}

TEST_F(InfoWindow, AFailingShellLeavesTheWindowOpenAndSaysNothing)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "noSuchSlot");
    m_info.Show();
    const qsizetype windowsBefore = QApplication::topLevelWidgets().size();

    QTest::mouseClick(control<QLabel>("Label4"), Qt::LeftButton, {}, QPoint(3, 3));
    const bool opened = m_info.ShellExec(QStringLiteral("https://korvale.example/"), 1, QStringLiteral("open"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));

    EXPECT_FALSE(opened);
    EXPECT_FALSE(m_info.ShellExec(QString(), 1, QStringLiteral("open")));
    EXPECT_TRUE(m_info.isLoaded());
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windowsBefore);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(InfoWindow, AScreenReaderCanFollowTheAddress)
{
    m_info.Show();
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    QAccessible::queryAccessibleInterface(control<QWidget>("Label4"))
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    EXPECT_EQ(catcher.opened, QList<QUrl>{ QUrl(QStringLiteral("https://korvale.example/")) });
}

struct ExpectedControl {
    const char* name;
    const char* className;
    QRect pixels;
    QString text;
};

TEST_F(InfoWindow, ControlsStandAsDesignedWithTheirTexts)
{
    const QList<ExpectedControl> expected = {
        { "Label1", "QLabel", QRect(7, 3, 193, 25), QStringLiteral("Dozavidu Revudarod") },
        { "Label2", "QLabel", QRect(7, 21, 41, 25), QStringLiteral("3.0") },
        { "Label3", "QLabel", QRect(77, 21, 92, 13), QStringLiteral("von Korvale-Team") },
        { "Label4", "LinkLabel", QRect(21, 57, 150, 17), QStringLiteral("https://korvale.example/") },
        { "Picture1", "VectorPicture", QRect(182, 0, 153, 113), QString() },
        { "Label6", "QLabel", QRect(14, 99, 57, 17), QStringLiteral("Details:") },
        { "Text1", "QPlainTextEdit", QRect(16, 114, 323, 105), QString() },
        { "cmdExit", "QPushButton", QRect(91, 225, 162, 28), QStringLiteral("ist ja gut") },
    };
    m_info.Show();
    EXPECT_EQ(m_info.windowTitle(), QStringLiteral("INFO"));
    ASSERT_EQ(Form2Layout::table().size(), expected.size());
    for (const ExpectedControl& want : expected) {
        auto* widget = m_info.findChild<QWidget*>(QLatin1String(want.name));
        ASSERT_NE(widget, nullptr) << want.name;
        EXPECT_STREQ(widget->metaObject()->className(), want.className) << want.name;
        EXPECT_EQ(widget->geometry(), want.pixels) << want.name;
        EXPECT_TRUE(widget->isVisible()) << want.name;
        if (auto* label = qobject_cast<QLabel*>(widget); label && !want.text.isNull()) {
            EXPECT_EQ(label->text(), want.text) << want.name;
        }
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            EXPECT_EQ(button->text(), want.text) << want.name;
        }
    }
    const QString details = control<QPlainTextEdit>("Text1")->toPlainText();
    for (const char* word : { "Quellordner", "Muster", "Unterverzeichnisse", "Zielordner", "Listendatei", "Version 3.0" })
        EXPECT_TRUE(details.contains(QLatin1String(word))) << word;
}

// The ink of a drawn label: the pixels that are not the white of the window.
struct Ink {
    QList<QColor> colours;
    QRect bounds;
    int longestRow = 0;
};

Ink inkOf(const QImage& image)
{
    Ink ink;
    for (int y = 0; y < image.height(); ++y) {
        int row = 0;
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel(image.pixel(x, y));
            if (pixel == Qt::white)
                continue;
            ink.colours.append(pixel);
            ink.bounds |= QRect(x, y, 1, 1);
            ++row;
        }
        ink.longestRow = std::max(ink.longestRow, row);
    }
    return ink;
}

TEST_F(InfoWindow, LooksAsDesigned)
{
    ASSERT_TRUE(open());
    EXPECT_EQ(m_info.parentWidget(), nullptr);
    EXPECT_EQ(m_info.windowModality(), Qt::NonModal);
    EXPECT_TRUE(m_info.windowFlags().testFlags(Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint));
    EXPECT_EQ(m_info.grab().toImage().pixelColor(m_info.width() - 2, m_info.height() - 2), QColor(Qt::white));
    EXPECT_FALSE(m_info.windowIcon().isNull());
    EXPECT_EQ(VectorPicture::render(QStringLiteral(":/info_icon.svg"), 1).size(), QSize(33, 33));

    // A label has no background of its own: it is drawn on the window's white.
    auto inkOfLabel = [this](const char* name) {
        QLabel* label = control<QLabel>(name);
        QImage drawn(label->size(), QImage::Format_RGB32);
        drawn.fill(Qt::white);
        label->render(&drawn, QPoint(), QRegion(), QWidget::DrawChildren);
        return inkOf(drawn);
    };
    // The title and the version stand out above the details' caption in the window's font.
    const Ink title = inkOfLabel("Label1");
    const Ink version = inkOfLabel("Label2");
    const Ink caption = inkOfLabel("Label6");
    EXPECT_GT(title.bounds.height(), caption.bounds.height());
    EXPECT_GT(version.bounds.height(), caption.bounds.height());
    // The author in dark grey, no darker; the address in blue and underlined.
    const Ink author = inkOfLabel("Label3");
    ASSERT_FALSE(author.colours.isEmpty());
    for (const QColor& pixel : author.colours) {
        ASSERT_TRUE(pixel.red() == pixel.green() && pixel.green() == pixel.blue()) << pixel.name().toStdString();
        ASSERT_GE(pixel.red(), 64);
    }
    EXPECT_TRUE(std::any_of(author.colours.cbegin(), author.colours.cend(), [](const QColor& c) { return c.red() < 128; }));
    const Ink address = inkOfLabel("Label4");
    ASSERT_FALSE(address.colours.isEmpty());
    for (const QColor& pixel : address.colours)
        ASSERT_TRUE(pixel.blue() == 255 && pixel.red() == pixel.green()) << pixel.name().toStdString();
    EXPECT_GE(address.longestRow, address.bounds.width() * 9 / 10);

    auto* Label4 = control<QLabel>("Label4");
    EXPECT_EQ(Label4->cursor().hotSpot(), QPoint(5, 0));
    EXPECT_EQ(Label4->cursor().pixmap().size(), QSize(32, 32));

    auto* Picture1 = control<VectorPicture>("Picture1");
    EXPECT_EQ(Picture1->pictureSize(), QSize(182, 100));
    EXPECT_EQ(Picture1->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(Picture1->grab().toImage().pixelColor(152, 112), QColor(Qt::white));

    auto* Text1 = control<QPlainTextEdit>("Text1");
    EXPECT_FALSE(Text1->isReadOnly());
    EXPECT_EQ(Text1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

TEST_F(InfoWindow, TabGoesFromTextToButtonAndNoKeyClosesIt)
{
    m_info.Show();
    QApplication::setActiveWindow(&m_info);
    auto* Text1 = control<QPlainTextEdit>("Text1");
    auto* cmdExit = control<QPushButton>("cmdExit");
    Text1->setFocus();
    QTest::keyClick(Text1, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), cmdExit);
    QTest::keyClick(cmdExit, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Text1);

    EXPECT_FALSE(cmdExit->autoDefault());
    EXPECT_FALSE(cmdExit->isDefault());
    cmdExit->setFocus();
    for (Qt::Key key : { Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape }) {
        QTest::keyClick(cmdExit, key);
        EXPECT_TRUE(m_info.isLoaded()) << key;
    }
    QTest::keyClick(Text1, Qt::Key_Escape);
    EXPECT_TRUE(m_info.isLoaded());
}

} // namespace

