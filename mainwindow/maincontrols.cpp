#include "mainwindow/maincontrols.h"

#include "listing/drivelist.h"
#include "listing/filelist.h"
#include "listing/folderlist.h"
#include "listing/listbox.h"
#include "mainwindow/drivecombo.h"
#include "mainwindow/folderview.h"
#include "mainwindow/mainlayout.h"
#include "mainwindow/picturebutton.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

namespace {

void paint(QWidget* control, QPalette::ColorRole role, const QColor& colour)
{
    QPalette palette = control->palette();
    palette.setColor(role, colour);
    control->setPalette(palette);
}

QLabel* makeLabel(QWidget* window)
{
    auto* label = new QLabel(window);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFocusPolicy(Qt::NoFocus);
    return label;
}

QWidget* makeLine(QWidget* window)
{
    auto* line = new QWidget(window);
    line->setAutoFillBackground(true);
    paint(line, QPalette::Window, Qt::black);
    return line;
}

QLineEdit* makeTextBox(QWidget* window)
{
    auto* edit = new QLineEdit(window);
    // Qt would cut the text at 32,767 characters.
    edit->setMaxLength(std::numeric_limits<int>::max());
    return edit;
}

QPushButton* makeButton(QWidget* window)
{
    auto* button = new QPushButton(window);
    button->setAutoDefault(false);
    return button;
}

QListView* makeResultList(ListBox& entries, QWidget* window)
{
    auto* view = new QListView(window);
    view->setModel(&entries);
    // Uniform rows let the view show a million entries without measuring each.
    view->setUniformItemSizes(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    paint(view, QPalette::Base, QColor(64, 64, 64));
    paint(view, QPalette::Text, QColor(0, 255, 0));
    return view;
}

PictureButton* makePicture(const QString& picture, QWidget* window)
{
    auto* image = new PictureButton(picture, window);
    image->setFocusPolicy(Qt::NoFocus);
    return image;
}

} // namespace

MainControls MainControls::build(QWidget* window)
{
    MainControls c;
    c.drive1 = new DriveList(window);
    c.drive2 = new DriveList(window);
    c.dir2 = new FolderList(window);
    c.dir3 = new FolderList(window);
    c.list2 = new ListBox(ListBox::Order::Sorted, window);
    c.Dir1 = new FolderList(window);
    c.File1 = new FileList(window);
    c.List1 = new ListBox(ListBox::Order::AsAdded, window);

    const QHash<QString, std::function<QWidget*()>> factories = {
        {QStringLiteral("Label1"), [&] { return c.Label1 = makeLabel(window); }},
        {QStringLiteral("Label2"), [&] { return c.Label2 = makeLabel(window); }},
        {QStringLiteral("Label3"), [&] { return c.Label3 = makeLabel(window); }},
        {QStringLiteral("Label4"), [&] { return c.Label4 = makeLabel(window); }},
        {QStringLiteral("Line1"), [&] { return c.Line1 = makeLine(window); }},
        {QStringLiteral("Line2"), [&] { return c.Line2 = makeLine(window); }},
        {QStringLiteral("Line3"), [&] { return c.Line3 = makeLine(window); }},
        {QStringLiteral("Line4"), [&] { return c.Line4 = makeLine(window); }},
        {QStringLiteral("Image1"), [&] { return c.Image1 = makePicture(QStringLiteral(":/info_hover.png"), window); }},
        {QStringLiteral("Image2"), [&] { return c.Image2 = makePicture(QStringLiteral(":/exit.png"), window); }},
        {QStringLiteral("Image3"), [&] { return c.Image3 = makePicture(QStringLiteral(":/info_rest.png"), window); }},
        {QStringLiteral("List2"), [&] { return c.List2 = makeResultList(*c.list2, window); }},
        {QStringLiteral("Command1"), [&] { return c.Command1 = makeButton(window); }},
        {QStringLiteral("Command3"), [&] { return c.Command3 = makeButton(window); }},
        {QStringLiteral("Command4"), [&] { return c.Command4 = makeButton(window); }},
        {QStringLiteral("Check1"), [&] { return c.Check1 = new QCheckBox(window); }},
        {QStringLiteral("Drive1"), [&] { return c.Drive1 = new DriveCombo(*c.drive1, window); }},
        {QStringLiteral("Drive2"), [&] { return c.Drive2 = new DriveCombo(*c.drive2, window); }},
        {QStringLiteral("txt_filter"), [&] { return c.txt_filter = makeTextBox(window); }},
        {QStringLiteral("Text1"), [&] { return c.Text1 = makeTextBox(window); }},
        {QStringLiteral("Dir2"), [&] { return c.Dir2 = new FolderView(*c.dir2, window); }},
        {QStringLiteral("Dir3"), [&] { return c.Dir3 = new FolderView(*c.dir3, window); }},
    };
    for (const ControlLayout& row : MainLayout::table()) {
        const QString name = QString::fromLatin1(row.name);
        if (const auto factory = factories.constFind(name); factory != factories.cend())
            (*factory)()->setObjectName(name);
    }

    c.Label1->setAutoFillBackground(false);
    paint(c.Label1, QPalette::WindowText, QColor(128, 128, 128));
    c.Label2->setAutoFillBackground(true);
    paint(c.Label2, QPalette::Window, Qt::white);
    c.Check1->setChecked(true);
    // A button fills with its Button colour unless told to use the window's.
    c.Check1->setBackgroundRole(QPalette::Window);
    c.Check1->setAutoFillBackground(true);
    paint(c.Check1, QPalette::Window, Qt::white);

    LayoutTable::apply(window, MainLayout::table());
    return c;
}

QList<QWidget*> MainControls::panelLines() const { return {Line1, Line2, Line3, Line4}; }
