#include "app/windowsystemchoice.h"
#include "controls/picturebutton.h"
#include "infowindow/form2.h"
#include "support/formfixture.h"
#include "support/stallingshare.h"
#include "windowkit/openwindows.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QElapsedTimer>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class StartupTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (QWidget* window : OpenWindows::instance().windows())
            window->close();
    }

    void moveOver(QWidget* widget, QPoint at = QPoint(5, 5)) { QTest::mouseMove(widget, at); }

    bool hovering() const
    {
        const MainControls& c = fixture.c();
        return c.Image1->isVisibleTo(c.Image1->window()) && !c.Image3->isVisibleTo(c.Image3->window());
    }

    FormFixture fixture;
};

TEST_F(StartupTest, FirstStartWithAnEmptyStore)
{
    Form1& form = fixture.load();
    const MainControls& c = form.controls();
    EXPECT_EQ(c.models.Dir1->Path(), QStringLiteral("C:\\"));
    EXPECT_EQ(c.models.Dir2->Path(), QStringLiteral("C:\\"));
    EXPECT_EQ(c.models.Dir3->Path(), QStringLiteral("C:\\"));
    EXPECT_EQ(c.Label2->text(), QStringLiteral("C:\\"));
    EXPECT_EQ(c.Text1->text(), QStringLiteral("Liste.txt"));
    EXPECT_EQ(form.infoWindow(), nullptr);
    EXPECT_EQ(OpenWindows::instance().windows(), QList<QWidget*>{&form});
}

// A stored source folder on a share that stopped answering: the window is there at once,
// holds its input until the folder counts as not answering, then stands where it would for
// a folder that is gone and says which folder did not answer.
TEST_F(StartupTest, AStoredFolderThatDoesNotAnswerNeitherHoldsTheWindowNorIsTakenForAnother)
{
    fixture.drives().makeFolder(QStringLiteral("C:\\Ziel"));
    fixture.drives().makeFolder(QStringLiteral("D:\\Netz"));
    const StallingShare share(QFile::encodeName(fixture.drives().host(QStringLiteral("D:\\Netz"))));
    if (!share.mounted())
        GTEST_SKIP() << share.missingReason().toStdString();
    fixture.writeSettings("[Optionen]\nDir2=D:\\Netz\\haengt\nDir3=C:\\Ziel\n");

    QElapsedTimer took;
    took.start();
    Form1& form = fixture.startLoading();
    form.show();
    EXPECT_LT(took.elapsed(), 500);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(form.isRestoring());
    ASSERT_TRUE(fixture.settle());
    EXPECT_LT(took.elapsed(), 3000);

    const MainControls& c = form.controls();
    EXPECT_EQ(c.models.Dir2->Path(), QStringLiteral("C:\\"));
    EXPECT_EQ(c.models.Drive1->letter(), u'C');
    EXPECT_EQ(c.models.Dir3->Path(), QStringLiteral("C:\\Ziel"));
    EXPECT_EQ(c.Label2->text(), QStringLiteral("C:\\Ziel"));
    EXPECT_EQ(c.Label3->text(), QStringLiteral("Der gespeicherte Ordner D:\\Netz\\haengt antwortet nicht."));
    // The window takes input again.
    QTest::mouseClick(c.Command3, Qt::LeftButton);
    EXPECT_TRUE(c.Dir3->isVisible());
}

TEST_F(StartupTest, InfoButtonSwapsPicturesUnderThePointer)
{
    Form1& form = fixture.load();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const MainControls& c = form.controls();
    EXPECT_FALSE(hovering());
    moveOver(c.Image3);
    EXPECT_TRUE(hovering());
    moveOver(c.Image1, QPoint(6, 6));
    EXPECT_TRUE(hovering());
    moveOver(&form, QPoint(350, 318));
    EXPECT_FALSE(hovering());
    moveOver(c.Image3);
    EXPECT_TRUE(hovering());
    // Straight onto a label: only the bare window resets the button.
    moveOver(c.Label2);
    EXPECT_TRUE(hovering());
    moveOver(c.Label4);
    EXPECT_TRUE(hovering());
    moveOver(&form, QPoint(350, 318));
    EXPECT_FALSE(hovering());
}

TEST_F(StartupTest, InfoButtonOpensOneInfoWindowHoweverOftenItIsClicked)
{
    Form1& form = fixture.load();
    form.show();
    form.Image1_Click();
    Form2* info = form.infoWindow();
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->isLoaded());
    const QPoint placed = info->pos();
    form.Image1_Click();
    form.Image1_Click();
    EXPECT_EQ(form.infoWindow(), info);
    EXPECT_EQ(info->pos(), placed);
    EXPECT_EQ(OpenWindows::instance().windows(), (QList<QWidget*>{&form, info}));
}

TEST_F(StartupTest, ClickOnTheRestPictureDoesNothing)
{
    Form1& form = fixture.load();
    form.show();
    QTest::mouseClick(form.controls().Image3, Qt::LeftButton);
    EXPECT_EQ(form.infoWindow(), nullptr);
}

// Without a mouse: F1, or a screen reader pressing whichever info picture it sees.
TEST_F(StartupTest, KeyboardAndScreenReaderReachTheInfoWindow)
{
    Form1& form = fixture.load();
    form.show();
    const QList<std::pair<const char*, std::function<void()>>> ways = {
        {"F1", [&form] {
             QApplication::setActiveWindow(&form);
             QTest::keyClick(&form, Qt::Key_F1);
         }},
        {"press on the rest picture", [&form] {
             QAccessible::queryAccessibleInterface(form.controls().Image3)
                 ->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
         }},
        {"press on the hover picture", [&form] {
             QAccessible::queryAccessibleInterface(form.controls().Image1)
                 ->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
         }},
    };
    for (const auto& [way, open] : ways) {
        open();
        ASSERT_NE(form.infoWindow(), nullptr) << way;
        EXPECT_TRUE(form.infoWindow()->isLoaded()) << way;
        form.infoWindow()->close();
    }
    QTest::keyClick(&form, Qt::Key_Escape);
    QTest::keyClick(&form, Qt::Key_Return);
    EXPECT_FALSE(form.infoWindow()->isLoaded());
}

TEST_F(StartupTest, ExitUnloadsEveryWindowAndSavesOnce)
{
    fixture.drives().makeFolder(QStringLiteral("D:\\Quelle"));
    Form1& form = fixture.load();
    form.show();
    form.Command3_Click();
    ASSERT_TRUE(form.controls().models.Dir2->setPath(QStringLiteral("D:\\Quelle")));
    form.Image1_Click();
    Form2* info = form.infoWindow();
    form.Image2_Click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(info->isVisible());
    EXPECT_TRUE(OpenWindows::instance().windows().isEmpty());
    const QByteArray saved = fixture.settingsText();
    for (const char* key : {"Dir1=", "Dir2=", "Dir3=", "Text1.text="})
        EXPECT_TRUE(saved.contains(key)) << key << "\n" << saved.constData();
    EXPECT_TRUE(saved.contains("Quelle"));
    // Nothing saves again once the window is unloaded, not even its end.
    QFile::remove(fixture.settingsFile());
    fixture.unload();
    EXPECT_FALSE(QFile::exists(fixture.settingsFile()));
}

TEST_F(StartupTest, TitleBarCloseSavesAndLeavesTheInfoWindowOpen)
{
    Form1& form = fixture.load();
    form.show();
    form.Image1_Click();
    Form2* info = form.infoWindow();
    form.close();
    EXPECT_TRUE(QFile::exists(fixture.settingsFile()));
    EXPECT_TRUE(info->isVisible());
    EXPECT_EQ(OpenWindows::instance().windows(), QList<QWidget*>{info});
    info->close();
    EXPECT_TRUE(OpenWindows::instance().windows().isEmpty());
}

TEST(WindowSystemChoiceTest, PrefersX11OnlyUnderWaylandWithXWaylandAndNoChoice)
{
    using WindowSystemChoice::Session;
    const struct {
        Session session;
        bool preferX11;
    } cases[] = {
        {{"", "wayland", "wayland-0", ":0", {"korvale"}}, true},
        {{"", "", "wayland-0", ":1", {"korvale"}}, true},
        {{"wayland", "wayland", "wayland-0", ":0", {"korvale"}}, false},
        {{"", "wayland", "wayland-0", ":0", {"korvale", "-platform", "wayland"}}, false},
        {{"", "wayland", "wayland-0", "", {"korvale"}}, false},
        {{"", "x11", "", ":0", {"korvale"}}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WindowSystemChoice::shouldPreferX11(c.session), c.preferX11) << c.session.sessionType.constData();
}

TEST(WindowSystemChoiceTest, FindsNoDisplayOnlyWhereQtCouldReachNone)
{
    using WindowSystemChoice::Session;
    const struct {
        Session session;
        bool noDisplay;
    } cases[] = {
        {{"", "", "", "", {"korvale"}}, true},
        {{"xcb", "", "wayland-0", "", {"korvale"}}, true},
        {{"", "", "", "", {"korvale", "--platform", "xcb:nograb;xcb"}}, true},
        {{"", "", "", ":0", {"korvale"}}, false},
        {{"", "", "wayland-0", "", {"korvale"}}, false},
        {{"", "", "", "", {"korvale", "-display", "host:0"}}, false},
        {{"offscreen", "", "", "", {"korvale"}}, false},
        {{"xcb", "", "", "", {"korvale", "-platform", "offscreen"}}, false},
        {{"", "", "", "", {"korvale", "-platform", "wayland;xcb"}}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WindowSystemChoice::findsNoDisplay(c.session), c.noDisplay) << c.session.arguments.join(u' ').toStdString();
}

} // namespace
