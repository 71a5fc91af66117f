#include "infowindow/form2.h"
#include "mainwindow/mainlayout.h"
#include "support/formfixture.h"
#include "windowkit/focusring.h"
#include "windowkit/vectorpicture.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

namespace {

QWidget* control(Form1& form, const char* name)
{
    return form.findChild<QWidget*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
}

QString textOf(QWidget* widget)
{
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return edit->text();
    return QString();
}

// Stacking: a later sibling lies in front of an earlier one.
qsizetype stackPlace(Form1& form, const char* name) { return form.children().indexOf(control(form, name)); }

class MainLayoutTest : public ::testing::Test {
protected:
    void SetUp() override { form = &fixture.load(); }

    FormFixture fixture;
    Form1* form = nullptr;
};

TEST_F(MainLayoutTest, WindowHasItsCaptionFixedClientSizeAndOnlyTheCloseButton)
{
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Korvale erzeugen"));
    EXPECT_EQ(form->size(), QSize(519, 361));
    EXPECT_EQ(form->minimumSize(), QSize(519, 361));
    EXPECT_EQ(form->maximumSize(), QSize(519, 361));
    const Qt::WindowFlags flags = form->windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(form->windowIcon().isNull());
}

// The window's controls as the layout gives them, in twips (15 to the pixel); a line by its
// two end points. The working controls Dir1, File1 and List1 have no widget at all.
struct DesignedControl {
    const char* name;
    int left;
    int top;
    int width; // a line: the second end point's left
    int height; // a line: the second end point's top
    const char* text;
    bool shown;
};

const DesignedControl kDesigned[] = {
    {"Command1", 105, 135, 3810, 645, "Korvale generieren", true},
    {"Command3", 4080, 135, 2415, 615, "Speicherort Zieldatei", true},
    {"Image3", 7245, 45, 540, 645, "", true},
    {"Image1", 7245, 45, 525, 645, "", true},
    {"Check1", 120, 810, 3615, 255, "Unterverzeichnisse berücksichtigen", true},
    {"Label4", 3000, 1080, 675, 255, "Filter", true},
    {"Drive1", 120, 1320, 2775, 315, "", true},
    {"txt_filter", 3000, 1320, 855, 315, "*.*", true},
    {"Dir2", 120, 1800, 2775, 2790, "", true},
    {"List2", 3045, 1800, 4305, 2790, "", false},
    {"Label1", 3000, 1800, 1695, 255, "", true},
    {"Label3", 120, 4920, 6615, 255, "", true},
    {"Label2", 4080, 840, 3615, 255, "C:\\", true},
    {"Drive2", 4080, 1200, 1815, 315, "", false},
    {"Dir3", 4080, 1620, 1815, 2565, "", false},
    {"Command4", 6000, 4080, 615, 495, "OK", false},
    {"Text1", 4080, 4320, 1815, 285, "Liste.txt", false},
    {"Line1", 3960, 0, 3960, 4680, "", false},
    {"Line2", 6720, 0, 6720, 4680, "", false},
    {"Line3", 6720, 4680, 3960, 4680, "", false},
    {"Line4", 6720, 0, 3960, 0, "", false},
    {"Image2", 7140, 4680, 600, 615, "", true},
};

QRect designedPixels(const DesignedControl& designed)
{
    if (QByteArray(designed.name).startsWith("Line")) {
        // One pixel thick, both end points included.
        return QRect(QPoint(std::min(designed.left, designed.width) / 15, std::min(designed.top, designed.height) / 15),
                     QPoint(std::max(designed.left, designed.width) / 15, std::max(designed.top, designed.height) / 15));
    }
    return QRect(designed.left / 15, designed.top / 15, designed.width / 15, designed.height / 15);
}

TEST_F(MainLayoutTest, EveryControlStandsWhereTheLayoutPutsItWithItsTextAndVisibility)
{
    for (const DesignedControl& designed : kDesigned) {
        QWidget* widget = control(*form, designed.name);
        ASSERT_NE(widget, nullptr) << designed.name;
        EXPECT_EQ(widget->geometry(), designedPixels(designed)) << designed.name;
        EXPECT_EQ(widget->isVisibleTo(form), designed.shown) << designed.name;
        EXPECT_EQ(textOf(widget), QString::fromUtf8(designed.text)) << designed.name;
    }
    for (const char* working : {"Dir1", "File1", "List1"})
        EXPECT_EQ(control(*form, working), nullptr) << working << " is a model without a widget";
    EXPECT_EQ(form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(), qsizetype(std::size(kDesigned)));
}

TEST_F(MainLayoutTest, WindowControlsLieInFrontOfDrawnElementsInTheirOrder)
{
    const char* drawnFrontToBack[] = {"Image3", "Image2", "Image1", "Line4", "Line3", "Line2", "Line1", "Label3",
                                      "Label2", "Label1"};
    for (size_t i = 1; i < std::size(drawnFrontToBack); ++i)
        EXPECT_GT(stackPlace(*form, drawnFrontToBack[i - 1]), stackPlace(*form, drawnFrontToBack[i]))
            << drawnFrontToBack[i - 1] << " over " << drawnFrontToBack[i];
    EXPECT_GT(stackPlace(*form, "Label4"), stackPlace(*form, "Image2"));
    EXPECT_LT(stackPlace(*form, "Label4"), stackPlace(*form, "Image3"));
    for (const ControlLayout& row : MainLayout::table()) {
        if (!control(*form, row.name) || !row.isWindowControl())
            continue;
        EXPECT_GT(stackPlace(*form, row.name), stackPlace(*form, "Image3")) << row.name;
    }
    for (const char* member : {"Drive2", "Dir3", "Command4", "Text1"})
        EXPECT_GT(stackPlace(*form, member), stackPlace(*form, "List2")) << member;
}

TEST_F(MainLayoutTest, ShownResultListCoversTheCountLabelButItsLeftmostThreePixels)
{
    form->controls().List2->show();
    const QRect label = control(*form, "Label1")->geometry();
    EXPECT_EQ(form->childAt(label.left() + 1, label.top() + 5), control(*form, "Label1"));
    QWidget* atFourth = form->childAt(label.left() + 3, label.top() + 5);
    ASSERT_NE(atFourth, nullptr);
    EXPECT_TRUE(atFourth == control(*form, "List2") || atFourth->parentWidget() == control(*form, "List2"));
}

TEST_F(MainLayoutTest, OpenPanelDrawsTheRightFrameLineOverTheTargetLabel)
{
    form->Command3_Click();
    EXPECT_EQ(form->childAt(control(*form, "Line2")->x(), control(*form, "Label2")->y() + 5),
              control(*form, "Line2"));
}

// The colours as drawn: the result list dark grey with green text, the count grey on white.
TEST_F(MainLayoutTest, ResultListAndCountAreDrawnInTheirColours)
{
    const MainControls& c = form->controls();
    c.models.List2->AddItem(QStringLiteral("C:\\Quelle\\A.txt"));
    ASSERT_EQ(c.models.List2->ListCount(), 1); // the view learns of new entries at the next read
    c.Label1->setText(QStringLiteral(" 7 Files"));
    c.List2->hide();
    form->show();
    const QImage count = c.Label1->grab().toImage();
    c.List2->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.List2->visualRect(c.models.List2->index(0)).isValid(); }));
    const QImage list = c.List2->grab().toImage();

    EXPECT_EQ(QColor(list.pixel(list.width() / 2, list.height() - 20)), QColor(64, 64, 64));
    // Smoothed letters blend green into the grey; their cores are plainly green.
    int green = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < list.width() / 2; ++x) {
            const QColor pixel(list.pixel(x, y));
            green += pixel.green() >= 160 && pixel.red() < 100 && pixel.blue() < 100 ? 1 : 0;
        }
    }
    EXPECT_GT(green, 10);
    int inked = 0;
    for (int y = 0; y < count.height(); ++y) {
        for (int x = 0; x < count.width(); ++x) {
            const QColor pixel(count.pixel(x, y));
            ASSERT_GE(pixel.red(), 128) << x << "," << y;
            ASSERT_TRUE(pixel.red() == pixel.green() && pixel.green() == pixel.blue()) << x << "," << y;
            inked += pixel != Qt::white ? 1 : 0;
        }
    }
    EXPECT_GT(inked, 10);
    EXPECT_TRUE(c.Check1->isChecked());
}

TEST_F(MainLayoutTest, CheckBoxCaptionFitsItsWidthInTheWindowFont)
{
    const QCheckBox* check = form->controls().Check1;
    EXPECT_LE(check->sizeHint().width(), check->width()) << check->font().family().toStdString();
}

TEST_F(MainLayoutTest, PicturesAndPointersHaveTheirSizesAndHotSpots)
{
    const MainControls& c = form->controls();
    EXPECT_EQ(c.Image3->pictureSize(), QSize(36, 43));
    EXPECT_EQ(c.Image1->pictureSize(), QSize(35, 43));
    EXPECT_EQ(c.Image2->pictureSize(), QSize(40, 41));
    EXPECT_EQ(VectorPicture::render(QStringLiteral(":/korvale.svg"), 1).size(), QSize(100, 100));
    EXPECT_EQ(c.Image1->cursor().pixmap().size(), QSize(32, 32));
    EXPECT_EQ(c.Image1->cursor().hotSpot(), QPoint(0, 0));
    EXPECT_EQ(c.Image2->cursor().hotSpot(), QPoint(5, 0));
    EXPECT_EQ(c.Image3->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(MainLayoutTest, FocusStartsOnTheSourceDriveAndTabFollowsTheTable)
{
    form->show();
    form->activateWindow();
    EXPECT_EQ(form->focusWidget(), form->controls().Drive1);
    QStringList order;
    QWidget* widget = form->controls().Drive1;
    for (int i = 0; i < 6; ++i) {
        order.append(widget->objectName());
        do
            widget = widget->nextInFocusChain();
        while (!(widget->isVisible() && widget->focusPolicy() & Qt::TabFocus && widget->parentWidget() == form));
    }
    EXPECT_EQ(order, QStringList({"Drive1", "Command1", "Dir2", "Command3", "Check1", "txt_filter"}));
    form->close();
}

} // namespace

namespace {

TEST_F(MainLayoutTest, CheckBoxAndTargetLabelAreDrawnOnWhite)
{
    form->show();
    const QImage shot = form->grab().toImage();
    const MainControls& c = form->controls();
    const QPoint checkEnd = c.Check1->geometry().topRight() + QPoint(-2, 2);
    EXPECT_EQ(QColor(shot.pixel(checkEnd)), QColor(Qt::white));
    const QPoint labelEnd = c.Label2->geometry().topRight() + QPoint(-2, 2);
    EXPECT_EQ(QColor(shot.pixel(labelEnd)), QColor(Qt::white));
    form->close();
}

} // namespace

namespace {

// The contrast of two colours as WCAG defines it, from 1 (none) to 21.
double contrast(const QColor& a, const QColor& b)
{
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// How well the text in area stands out: the contrast between its most common colour (the
// background) and the pixel that differs from it most (the core of a letter).
double textContrast(const QImage& shot, const QRect& area)
{
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[shot.pixel(x, y)];
    const QRgb background = std::max_element(counts.keyValueBegin(), counts.keyValueEnd(), [](auto a, auto b) {
                                return a.second < b.second;
                            })->first;
    double best = 1;
    for (auto it = counts.keyBegin(); it != counts.keyEnd(); ++it)
        best = std::max(best, contrast(QColor(background), QColor(*it)));
    return best;
}

QPalette darkScheme()
{
    QPalette dark(QColor(53, 53, 53));
    dark.setColor(QPalette::WindowText, QColor(235, 235, 235));
    dark.setColor(QPalette::Base, QColor(35, 35, 35));
    dark.setColor(QPalette::Text, QColor(235, 235, 235));
    dark.setColor(QPalette::ButtonText, QColor(235, 235, 235));
    return dark;
}

TEST_F(MainLayoutTest, EveryTextIsReadableOnADarkScheme)
{
    const QPalette before = QApplication::palette();
    QApplication::setPalette(darkScheme());
    FormFixture darkFixture;
    Form1& dark = darkFixture.load();
    const MainControls& c = dark.controls();
    c.Label1->setText(QStringLiteral(" 7 Files"));
    c.Label3->setMessage(QStringLiteral("Ergebnisdatei Liste.txt wurde in C:\\  erzeugt"), {});
    dark.Command3_Click();
    dark.show();
    const QImage main = dark.grab().toImage();
    dark.Image1_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dark.infoWindow()->isSliding(); }));
    const QImage info = dark.infoWindow()->grab().toImage();
    QApplication::setPalette(before);

    auto area = [](QWidget* control) { return control->geometry(); };
    const QRect checkText = c.Check1->geometry().adjusted(20, 0, 0, 0);
    const QList<std::pair<QString, double>> shown = {
        {"Label2", textContrast(main, area(c.Label2))},   {"Label3", textContrast(main, area(c.Label3))},
        {"Label4", textContrast(main, area(c.Label4))},   {"Check1", textContrast(main, checkText)},
        {"txt_filter", textContrast(main, area(c.txt_filter))}, {"Text1", textContrast(main, area(c.Text1))},
    };
    for (const auto& [name, ratio] : shown)
        EXPECT_GE(ratio, 4.5) << name.toStdString();
    // The count's grey on white is the layout's own choice; the open panel's frame runs through it.
    const QRect countText(c.Label1->geometry().topLeft(), QSize(c.Line1->x() - c.Label1->x(), c.Label1->height()));
    EXPECT_NEAR(textContrast(main, countText), contrast(QColor(128, 128, 128), Qt::white), 0.1);
    for (const char* name : {"Label1", "Label2", "Label3", "Label4", "Label6", "Text1", "cmdExit"}) {
        const QWidget* control = dark.infoWindow()->findChild<QWidget*>(QLatin1String(name));
        EXPECT_GE(textContrast(info, control->geometry()), 4.5) << name;
    }
    dark.infoWindow()->close();
}

struct Exposed {
    QWidget* control;
    QAccessible::Role role;
    QString name;
};

void expectExposed(const QList<Exposed>& controls)
{
    for (const Exposed& want : controls) {
        QAccessibleInterface* exposed = QAccessible::queryAccessibleInterface(want.control);
        ASSERT_NE(exposed, nullptr) << want.name.toStdString();
        EXPECT_EQ(exposed->role(), want.role) << want.name.toStdString();
        EXPECT_EQ(exposed->text(QAccessible::Name), want.name);
    }
}

TEST_F(MainLayoutTest, EveryControlIsExposedWithARoleAndTheNameASightedUserReads)
{
    const MainControls& c = form->controls();
    c.Label1->setText(QStringLiteral(" 7 Files"));
    c.Label3->setMessage(QStringLiteral("Ergebnisdatei Liste.txt wurde in C:\\  erzeugt"), {});
    using A = QAccessible;
    expectExposed({
        {form, A::Window, "Korvale erzeugen"},
        {c.Command1, A::Button, "Korvale generieren"},
        {c.Command3, A::Button, "Speicherort Zieldatei"},
        {c.Command4, A::Button, "OK"},
        {c.Check1, A::CheckBox, "Unterverzeichnisse berücksichtigen"},
        {c.Dir2, A::List, "Quellordner"},
        {c.Dir3, A::List, "Zielordner"},
        {c.List2, A::List, "Ergebnisliste"},
        {c.txt_filter, A::EditableText, "Filter"},
        {c.Text1, A::EditableText, "Name der Ergebnisdatei"},
        {c.Label1, A::StaticText, " 7 Files"},
        {c.Label2, A::StaticText, "C:\\"},
        {c.Label3, A::StatusBar, "Ergebnisdatei Liste.txt wurde in C:\\  erzeugt"},
        {c.Label4, A::StaticText, "Filter"},
        {c.Image1, A::Button, "Info (hervorgehoben)"},
        {c.Image3, A::Button, "Info"},
        {c.Image2, A::Button, "Beenden"},
    });
    form->Image1_Click();
    auto info = [this](const char* name) { return form->infoWindow()->findChild<QWidget*>(QLatin1String(name)); };
    expectExposed({
        {form->infoWindow(), A::Window, "INFO"},
        {info("Label1"), A::StaticText, "Dozavidu Revudarod"},
        {info("Label2"), A::StaticText, "3.0"},
        {info("Label3"), A::StaticText, "von Korvale-Team"},
        {info("Label4"), A::Link, "https://korvale.example/"},
        {info("Picture1"), A::Graphic, "Bild: die Korvale-Figur winkt von einer Wiese"},
        {info("Label6"), A::StaticText, "Details:"},
        {info("Text1"), A::EditableText, "Details"},
        {info("cmdExit"), A::Button, "ist ja gut"},
    });
    form->infoWindow()->close();
    // A drop-down's name is the drive it shows; what it is for is its description.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(c.Drive1)->text(QAccessible::Description),
              QStringLiteral("Laufwerk des Quellordners"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(c.Drive2)->text(QAccessible::Description),
              QStringLiteral("Laufwerk des Zielordners"));
    EXPECT_EQ(c.Label4->buddy(), c.txt_filter);
    for (QWidget* picture : {static_cast<QWidget*>(c.Image1), static_cast<QWidget*>(c.Image2)}) {
        QAccessibleActionInterface* actions = QAccessible::queryAccessibleInterface(picture)->actionInterface();
        ASSERT_NE(actions, nullptr);
        EXPECT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    }
}

// Pixels that differ from their right neighbour by more than half the range: the sharp
// edges of a drawing, which a picture blown up from fewer pixels does not have.
int sharpEdges(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    int edges = 0;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x + 1 < argb.width(); ++x) {
            const QRgb a = argb.pixel(x, y);
            const QRgb b = argb.pixel(x + 1, y);
            const int step = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                       std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
            edges += step > 128 ? 1 : 0;
        }
    return edges;
}

QImage drawnAt(QWidget* control, const QRect& area, qreal pixelRatio)
{
    QImage image(area.size() * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::transparent);
    control->render(&image, QPoint(), QRegion(area));
    return image;
}

void expectSharpAtTwice(QWidget* control, const QRect& area, const char* name)
{
    const QImage twice = drawnAt(control, area, 2);
    const QImage blownUp = drawnAt(control, area, 1).scaled(twice.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_GT(sharpEdges(twice), 1.5 * sharpEdges(blownUp)) << name;
}

TEST_F(MainLayoutTest, PicturesAreDrawnAnewForTwiceThePixels)
{
    const MainControls& c = form->controls();
    form->show();
    expectSharpAtTwice(c.Image1, c.Image1->rect(), "Image1");
    expectSharpAtTwice(c.Image2, c.Image2->rect(), "Image2");
    expectSharpAtTwice(c.Image3, c.Image3->rect(), "Image3");
    const QRect firstFolderIcon = c.Dir2->visualRect(c.Dir2->model()->index(0, 0)).adjusted(0, 0, -60, 0);
    expectSharpAtTwice(c.Dir2->viewport(), firstFolderIcon, "folder icon");
    form->Image1_Click();
    auto* picture = form->infoWindow()->findChild<VectorPicture*>(QStringLiteral("Picture1"));
    expectSharpAtTwice(picture, picture->rect(), "Picture1");
    form->infoWindow()->close();

    const QPixmap hand = handPointer(QPoint(5, 0), 2).pixmap();
    EXPECT_EQ(hand.size(), QSize(64, 64));
    EXPECT_EQ(hand.devicePixelRatio(), 2.0);
    const QImage handOnce = handPointer(QPoint(5, 0), 1).pixmap().toImage();
    EXPECT_GT(sharpEdges(hand.toImage()),
              1.5 * sharpEdges(handOnce.scaled(64, 64, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
}

TEST(MainWindowPlacement, TheOuterFrameStandsInTheMiddleOfTheScreen)
{
    const QMargins titleBar(1, 24, 1, 1);
    EXPECT_EQ(Form1::centredFramePosition(QRect(0, 0, 1280, 1024), QSize(519, 361), titleBar), QPoint(379, 319));
    EXPECT_EQ(Form1::centredFramePosition(QRect(0, 30, 1280, 994), QSize(519, 361), QMargins()), QPoint(380, 346));
}

} // namespace

namespace {

// Each control that shows a list goes before the list, so none is ever left holding a
// list that is gone.
TEST(MainWindowLifetime, ControlsGoBeforeTheListsTheyShow)
{
    QStringList gone;
    {
        FormFixture fixture;
        const MainControls& c = fixture.load().controls();
        const QList<std::tuple<QString, QObject*, QObject*>> shown = {
            {"Drive1", c.Drive1, c.models.Drive1}, {"Drive2", c.Drive2, c.models.Drive2},
            {"Dir2", c.Dir2, c.models.Dir2},       {"Dir3", c.Dir3, c.models.Dir3},
            {"List2", c.List2, c.models.List2},
        };
        for (const auto& [name, widget, model] : shown) {
            QObject::connect(widget, &QObject::destroyed, [&gone, name] { gone << name + " widget"; });
            QObject::connect(model, &QObject::destroyed, [&gone, name] { gone << name + " model"; });
        }
    }
    for (const char* name : {"Drive1", "Drive2", "Dir2", "Dir3", "List2"}) {
        const qsizetype widget = gone.indexOf(QLatin1String(name) + QLatin1String(" widget"));
        const qsizetype model = gone.indexOf(QLatin1String(name) + QLatin1String(" model"));
        ASSERT_GE(widget, 0) << name;
        EXPECT_LT(widget, model) << name;
    }
}

QList<ControlLayout> mainTableWith(const std::function<void(QList<ControlLayout>&)>& change)
{
    QList<ControlLayout> table = MainLayout::table();
    change(table);
    return table;
}

TEST_F(MainLayoutTest, ReturnAndEnterPressAFocusedButtonOfTheMainWindowOnly)
{
    const MainControls& c = form->controls();
    QTest::keyClick(c.Command3, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !c.Dir3->isHidden(); }));
    QTest::keyClick(c.Command4, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return c.Dir3->isHidden(); }));

    form->Image1_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->infoWindow()->isSliding(); }));
    QWidget* infoButton = form->infoWindow()->findChild<QWidget*>(QStringLiteral("cmdExit"));
    QTest::keyClick(infoButton, Qt::Key_Return);
    QTest::qWait(300);
    EXPECT_TRUE(form->infoWindow()->isVisible());
    form->infoWindow()->close();
}

// The ring lies on the control's edge: blue outside, white inside, whatever the scheme.
TEST_F(MainLayoutTest, ListsAndDriveListsShowTheirFocusClearlyOnLightAndDarkSchemes)
{
    const QPalette before = QApplication::palette();
    for (const QPalette& scheme : {before, darkScheme()}) {
        QApplication::setPalette(scheme);
        FormFixture schemeFixture;
        Form1& window = schemeFixture.load();
        const MainControls& c = window.controls();
        c.List2->show();
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        const QList<QWidget*> controls = {c.Drive1, c.Dir2, c.List2};
        for (QWidget* focused : controls) {
            focused->setFocus();
            const QImage shot = window.grab().toImage();
            for (QWidget* control : controls) {
                const QPoint edge = control->geometry().topLeft() + QPoint(0, control->height() / 2);
                const bool ringed = control == focused;
                EXPECT_EQ(shot.pixelColor(edge) == FocusRing::outerColour(), ringed) << control->objectName().toStdString();
                EXPECT_EQ(shot.pixelColor(edge + QPoint(FocusRing::kOuterWidth, 0)) == FocusRing::innerColour()
                              && shot.pixelColor(edge + QPoint(1, 0)) == FocusRing::outerColour(),
                          ringed)
                    << control->objectName().toStdString();
            }
        }
    }
    QApplication::setPalette(before);
}

// A table and the controls a window creates must agree; where they do not, the window
// stops at once, naming the row, instead of leaving a control for a later call to trip over.
TEST(LayoutTableDeathTest, TableAndControlsThatDisagreeStopTheProgramNamingTheRow)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    using Kind = ControlLayout::Kind;
    const ControlLayout stranger{"Label9", Kind::Label, 0, 0, 150, 150, QString(), ControlLayout::Shown::Yes, -1};
    EXPECT_DEATH(
        {
            QWidget window;
            LayoutTable::apply(&window, {stranger});
        },
        "Label9");
    EXPECT_DEATH(
        {
            QWidget window;
            (new QWidget(&window))->setObjectName(QStringLiteral("Line9"));
            LayoutTable::apply(&window, {{"Line9", Kind::Line, 0, 0, 150, 0, QStringLiteral("Text"),
                                          ControlLayout::Shown::Yes, -1}});
        },
        "Line9");
    const QList<std::pair<const char*, QList<ControlLayout>>> tables = {
        {"Label9", mainTableWith([&](QList<ControlLayout>& rows) { rows.append(stranger); })},
        {"Label3", mainTableWith([](QList<ControlLayout>& rows) {
             rows.removeIf([](const ControlLayout& row) { return QByteArray(row.name) == "Label3"; });
         })},
    };
    for (const auto& [named, table] : tables) {
        EXPECT_DEATH(
            {
                QWidget window;
                GenerateRun hidden;
                FolderLooks looks;
                MainControls::build(&window, hidden, looks, table);
            },
            named);
    }
}

} // namespace
