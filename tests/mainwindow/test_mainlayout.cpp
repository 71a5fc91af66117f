#include "infowindow/form2.h"
#include "mainwindow/mainlayout.h"
#include "mainwindow/vectorpicture.h"
#include "support/formfixture.h"

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

TEST_F(MainLayoutTest, EveryShownControlTakesPlaceTextAndVisibilityFromTheTable)
{
    int checked = 0;
    for (const ControlLayout& row : MainLayout::table()) {
        QWidget* widget = control(*form, row.name);
        const bool workingControl = QByteArray(row.name) == "Dir1" || QByteArray(row.name) == "File1"
            || QByteArray(row.name) == "List1";
        if (workingControl) {
            EXPECT_EQ(widget, nullptr) << row.name << " is a model without a view";
            continue;
        }
        ASSERT_NE(widget, nullptr) << row.name;
        EXPECT_EQ(widget->geometry(), row.pixelRect()) << row.name;
        EXPECT_EQ(widget->isVisibleTo(form), row.shown) << row.name;
        if (!row.text.isEmpty() || row.kind == ControlLayout::Kind::Label)
            EXPECT_EQ(textOf(widget), row.text) << row.name;
        ++checked;
    }
    EXPECT_EQ(checked, 22);
    EXPECT_EQ(MainLayout::table().size(), 25);
}

TEST_F(MainLayoutTest, PixelPlacesFollowFifteenTwipsToThePixel)
{
    const struct {
        const char* name;
        QRect rect;
    } cases[] = {
        {"Command1", {7, 9, 254, 43}},  {"Image3", {483, 3, 36, 43}},  {"Image1", {483, 3, 35, 43}},
        {"Check1", {8, 54, 241, 17}},   {"List2", {203, 120, 287, 186}}, {"Label1", {200, 120, 113, 17}},
        {"Image2", {476, 312, 40, 41}}, {"Line1", {264, 0, 1, 313}},   {"Line3", {264, 312, 185, 1}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(control(*form, c.name)->geometry(), c.rect) << c.name;
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

TEST_F(MainLayoutTest, ColoursAndStartValues)
{
    const MainControls& c = form->controls();
    EXPECT_EQ(c.List2->palette().color(QPalette::Base), QColor(64, 64, 64));
    EXPECT_EQ(c.List2->palette().color(QPalette::Text), QColor(0, 255, 0));
    EXPECT_EQ(c.List2->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_TRUE(c.List2->uniformItemSizes());
    EXPECT_EQ(c.Label1->palette().color(QPalette::WindowText), QColor(128, 128, 128));
    EXPECT_TRUE(c.Label2->autoFillBackground());
    EXPECT_EQ(c.Label2->palette().color(QPalette::Window), QColor(Qt::white));
    for (QLabel* transparent : QList<QLabel*>{c.Label1, c.Label3, c.Label4})
        EXPECT_FALSE(transparent->autoFillBackground()) << transparent->objectName().toStdString();
    EXPECT_TRUE(c.Check1->isChecked());
    EXPECT_EQ(c.Check1->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(c.Label2->text(), QStringLiteral("C:\\"));
    for (QLineEdit* edit : {c.txt_filter, c.Text1}) {
        EXPECT_GE(edit->maxLength(), 1 << 30);
        EXPECT_FALSE(edit->isReadOnly());
    }
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
    EXPECT_TRUE(c.Image3->isVisible() || c.Image3->isVisibleTo(form));
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
        {c.Image1, A::Button, "Info"},
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
