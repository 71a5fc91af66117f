#include "mainwindow/maincontrols.h"

#include "controls/drivecombo.h"
#include "controls/elidinglabel.h"
#include "controls/enterbutton.h"
#include "controls/folderview.h"
#include "controls/pathitemdelegate.h"
#include "controls/pathlistview.h"
#include "controls/picturebutton.h"
#include "generation/generaterun.h"
#include "windowkit/windowcolours.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int kLayoutBatchRows = 50000;

void paint(QWidget* control, QPalette::ColorRole role, const QColor& colour)
{
    QPalette palette = control->palette();
    palette.setColor(role, colour);
    control->setPalette(palette);
}

// A label's text is shown as it stands, never read as markup.
QLabel* makeLabel(QWidget* window, const QColor& colour = WindowColours::text())
{
    auto* label = new QLabel(window);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFocusPolicy(Qt::NoFocus);
    WindowColours::setText(label, colour);
    return label;
}

ElidingLabel* makePathLabel(QAccessible::Role role, QWidget* window)
{
    auto* label = new ElidingLabel(role, window);
    WindowColours::setText(label, WindowColours::text());
    return label;
}

QWidget* makeLine(QWidget* window)
{
    auto* line = new QWidget(window);
    WindowColours::setBackground(line, Qt::black);
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
    auto* button = new EnterButton(window);
    button->setAutoDefault(false);
    return button;
}

PathListView* makeResultList(ListBox& entries, QWidget* window)
{
    // Rows of one size let the view show a million entries without measuring each, and
    // laying them out in batches keeps the window answering while it takes a new list.
    auto* view = new PathListView(new PathItemDelegate(nullptr), window);
    view->setModel(&entries);
    view->setLayoutMode(QListView::Batched);
    view->setBatchSize(kLayoutBatchRows);
    paint(view, QPalette::Base, QColor(64, 64, 64));
    paint(view, QPalette::Text, QColor(0, 255, 0));
    return view;
}

PictureButton* makePicture(const QString& picture, const QString& name, QWidget* window)
{
    auto* image = new PictureButton(picture, window);
    image->setFocusPolicy(Qt::NoFocus);
    image->setAccessibleName(name);
    return image;
}

// What a sighted user reads from each control that shows no caption of its own.
void nameForAssistiveTechnology(const MainControls& c)
{
    const QList<std::pair<QWidget*, const char*>> names = {
        {c.Drive1, "Laufwerk"},         {c.Dir2, "Quellordner"},
        {c.txt_filter, "Filter"},       {c.List2, "Ergebnisliste"},
        {c.Drive2, "Ziellaufwerk"},     {c.Dir3, "Zielordner"},
        {c.Text1, "Name der Ergebnisdatei"},
    };
    for (const auto& [control, name] : names)
        control->setAccessibleName(QString::fromUtf8(name));
    // Under Linux a drop-down is read out by the drive it shows; its description says which.
    c.Drive1->setAccessibleDescription(QStringLiteral("Laufwerk des Quellordners"));
    c.Drive2->setAccessibleDescription(QStringLiteral("Laufwerk des Zielordners"));
    c.Label1->setAccessibleDescription(QStringLiteral("Anzahl der gefundenen Dateien"));
    c.Label2->setAccessibleDescription(QStringLiteral("Zielordner"));
    c.Label3->setAccessibleDescription(QStringLiteral("Status"));
    c.Label4->setBuddy(c.txt_filter);
}

} // namespace

MainControls MainControls::build(QWidget* window, GenerateRun& hidden, FolderLooks& looks,
                                 const QList<ControlLayout>& table)
{
    MainControls c;
    MainModels& m = c.models;
    m.Drive1 = new DriveList(ListStart::CurrentFolder, window);
    m.Drive2 = new DriveList(ListStart::CurrentFolder, window);
    m.Dir2 = new FolderList(ListStart::CurrentFolder, window);
    m.Dir3 = new FolderList(ListStart::CurrentFolder, window);
    m.List2 = &hidden.List2();
    m.Dir1 = &hidden.Dir1();
    m.File1 = &hidden.File1();
    m.List1 = &hidden.List1();

    QHash<QString, std::function<QWidget*()>> factories = {
        {QStringLiteral("Label1"), [&] { return c.Label1 = makeLabel(window, QColor(128, 128, 128)); }},
        {QStringLiteral("Label2"), [&] { return c.Label2 = makePathLabel(QAccessible::StaticText, window); }},
        {QStringLiteral("Label3"), [&] { return c.Label3 = makePathLabel(QAccessible::StatusBar, window); }},
        {QStringLiteral("Label4"), [&] { return c.Label4 = makeLabel(window); }},
        {QStringLiteral("Line1"), [&] { return c.Line1 = makeLine(window); }},
        {QStringLiteral("Line2"), [&] { return c.Line2 = makeLine(window); }},
        {QStringLiteral("Line3"), [&] { return c.Line3 = makeLine(window); }},
        {QStringLiteral("Line4"), [&] { return c.Line4 = makeLine(window); }},
        {QStringLiteral("Image1"), [&] { return c.Image1 = makePicture(QStringLiteral(":/info_hover.svg"), QStringLiteral("Info (hervorgehoben)"), window); }},
        {QStringLiteral("Image2"), [&] { return c.Image2 = makePicture(QStringLiteral(":/exit.svg"), QStringLiteral("Beenden"), window); }},
        {QStringLiteral("Image3"), [&] { return c.Image3 = makePicture(QStringLiteral(":/info_rest.svg"), QStringLiteral("Info"), window); }},
        {QStringLiteral("List2"), [&] { return c.List2 = makeResultList(*m.List2, window); }},
        {QStringLiteral("Command1"), [&] { return c.Command1 = makeButton(window); }},
        {QStringLiteral("Command3"), [&] { return c.Command3 = makeButton(window); }},
        {QStringLiteral("Command4"), [&] { return c.Command4 = makeButton(window); }},
        {QStringLiteral("Check1"), [&] { return c.Check1 = new QCheckBox(window); }},
        {QStringLiteral("Drive1"), [&] { return c.Drive1 = new DriveCombo(*m.Drive1, *m.Dir2, looks, window); }},
        {QStringLiteral("Drive2"), [&] { return c.Drive2 = new DriveCombo(*m.Drive2, *m.Dir3, looks, window); }},
        {QStringLiteral("txt_filter"), [&] { return c.txt_filter = makeTextBox(window); }},
        {QStringLiteral("Text1"), [&] { return c.Text1 = makeTextBox(window); }},
        {QStringLiteral("Dir2"), [&] { return c.Dir2 = new FolderView(*m.Dir2, looks, window); }},
        {QStringLiteral("Dir3"), [&] { return c.Dir3 = new FolderView(*m.Dir3, looks, window); }},
    };
    for (const ControlLayout& row : table) {
        if (!row.hasWidget())
            continue;
        const QString name = QString::fromLatin1(row.name);
        const std::function<QWidget*()> factory = factories.take(name);
        if (!factory)
            LayoutTable::mismatch("the main window has no control for the row", name);
        factory()->setObjectName(name);
    }
    if (!factories.isEmpty())
        LayoutTable::mismatch("no row of the table places the control", factories.cbegin().key());

    WindowColours::setBackground(c.Label2, WindowColours::window());
    // Three notes after a run do not fit one line, however short the target folder.
    c.Label3->setMayWrap(true);
    c.Check1->setChecked(true);
    // A button fills with its Button colour unless told to use the window's.
    c.Check1->setBackgroundRole(QPalette::Window);
    WindowColours::setBackground(c.Check1, WindowColours::window());
    WindowColours::setText(c.Check1, WindowColours::text());
    nameForAssistiveTechnology(c);

    LayoutTable::apply(window, table);
    return c;
}

void MainControls::showRun(GenerateRun& run, const QList<int>& widestCandidates)
{
    models.List2 = &run.List2();
    models.Dir1 = &run.Dir1();
    models.File1 = &run.File1();
    models.List1 = &run.List1();
    List2->setWidestCandidates(widestCandidates);
    List2->setModel(models.List2);
}

QList<QWidget*> MainControls::panelLines() const { return {Line1, Line2, Line3, Line4}; }
