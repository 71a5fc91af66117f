#include "mainwindow/mainlayout.h"
#include "support/formfixture.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

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
