#include "menus/runmenu.h"

#include "controls/elidinglabel.h"
#include "controls/pathlistview.h"
#include "drives/hostlocation.h"
#include "drives/windowspath.h"
#include "listing/listbox.h"
#include "menus/entriesdialog.h"
#include "menus/filemanager.h"
#include "text/windows1252.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QLoggingCategory>
#include <QMenu>

namespace {

Q_LOGGING_CATEGORY(menuLog, "korvale.shell", QtWarningMsg)

void open(const QString& windowsPath)
{
    const std::optional<QUrl> url = HostLocation::urlOf(windowsPath);
    if (!url || !QDesktopServices::openUrl(*url))
        qCDebug(menuLog) << "the desktop did not open" << windowsPath;
}

} // namespace

RunMenu::RunMenu(PathListView* resultList, ElidingLabel* status, QWidget* window, std::function<QString()> sourceFolder)
    : QObject(window)
    , m_resultList(resultList)
    , m_window(window)
    , m_sourceFolder(std::move(sourceFolder))
{
    connect(resultList, &PathListView::menuRequested, this, &RunMenu::openForList);
    // The status line takes no focus, so only the pointer reaches its menu; the keyboard
    // finds the same entries on the result list.
    status->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(status, &QWidget::customContextMenuRequested, this,
            [this, status](const QPoint& at) { openForStatus(status->mapToGlobal(at)); });
}

QMenu* RunMenu::newMenu(const QString& name)
{
    auto* menu = new QMenu(m_window);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setAccessibleName(name);
    return menu;
}

QMenu* RunMenu::openForList(const QPoint& globalPos)
{
    QMenu* menu = newMenu(QStringLiteral("Ergebnisliste"));
    const bool hasCurrent = !currentPath().isEmpty();
    menu->addAction(QStringLiteral("Pfad kopieren"), this, &RunMenu::copyPath)->setEnabled(hasCurrent);
    menu->addAction(QStringLiteral("Alle Pfade kopieren"), this, &RunMenu::copyAllPaths)
        ->setEnabled(entries() && entries()->ListCount() > 0);
    menu->addAction(QStringLiteral("Im Dateimanager zeigen"), this, &RunMenu::showInFileManager)->setEnabled(hasCurrent);
    menu->addSeparator();
    addRunEntries(menu);
    if (m_run.written)
        menu->addAction(QStringLiteral("Als Tabelle speichern ..."), this, &RunMenu::tableRequested);
    menu->popup(globalPos);
    return menu;
}

QMenu* RunMenu::openForStatus(const QPoint& globalPos)
{
    QMenu* menu = newMenu(QStringLiteral("Status"));
    addRunEntries(menu);
    if (!menu->actions().isEmpty())
        menu->addSeparator();
    menu->addAction(QStringLiteral("Mit Liste vergleichen ..."), this, &RunMenu::chooseListToCheck);
    menu->popup(globalPos);
    return menu;
}

void RunMenu::addRunEntries(QMenu* menu)
{
    if (m_run.written) {
        menu->addAction(QStringLiteral("Ergebnisdatei öffnen"), this, &RunMenu::openListFile);
        menu->addAction(QStringLiteral("Ordner öffnen"), this, &RunMenu::openTargetFolder);
    }
    if (!m_run.leftOut.isEmpty())
        menu->addAction(QStringLiteral("Ausgelassene Einträge anzeigen"), this, &RunMenu::showLeftOut);
    if (m_changes && !m_changes->isEmpty())
        menu->addAction(QStringLiteral("Änderungen anzeigen"), this, &RunMenu::showChanges);
}

ListBox* RunMenu::entries() const { return qobject_cast<ListBox*>(m_resultList->model()); }

QString RunMenu::currentPath() const
{
    const QModelIndex current = m_resultList->currentIndex();
    return current.isValid() && entries() ? entries()->List(current.row()) : QString();
}

void RunMenu::copyPath()
{
    if (const QString path = currentPath(); !path.isEmpty())
        QApplication::clipboard()->setText(Windows1252::displayText(path));
}

void RunMenu::copyAllPaths()
{
    if (ListBox* list = entries())
        QApplication::clipboard()->setText(list->shownLines());
}

void RunMenu::showInFileManager()
{
    const QString path = currentPath();
    const std::optional<WindowsPath> parsed = WindowsPath::parse(path);
    if (!parsed)
        return;
    const std::optional<QUrl> file = HostLocation::urlOf(path);
    const std::optional<QUrl> folder = HostLocation::urlOf(parsed->parent().toString());
    if (file && folder)
        FileManager::show(*file, *folder);
}

void RunMenu::openListFile() { open(m_run.listFile); }

void RunMenu::openTargetFolder() { open(m_run.targetFolder); }

EntriesDialog* RunMenu::showLeftOut()
{
    auto* dialog = new EntriesDialog(QStringLiteral("Ausgelassene Einträge"), EntriesDialog::leftOutText(m_run.leftOut),
                                     m_window);
    dialog->show();
    return dialog;
}

EntriesDialog* RunMenu::showChanges()
{
    auto* dialog = new EntriesDialog(QStringLiteral("Änderungen"),
                                     m_changes ? EntriesDialog::changesText(*m_changes) : QString(), m_window);
    dialog->show();
    return dialog;
}

// Opened, not executed: no event loop of its own runs inside the menu's handler.
QFileDialog* RunMenu::chooseListToCheck()
{
    const std::optional<QByteArray> folder = HostLocation::pathOf(m_sourceFolder());
    auto* chooser = new QFileDialog(m_window, QStringLiteral("Mit Liste vergleichen"),
                                    folder ? QFile::decodeName(*folder) : QString(),
                                    QStringLiteral("Listen (*.txt);;Alle Dateien (*)"));
    chooser->setAttribute(Qt::WA_DeleteOnClose);
    chooser->setFileMode(QFileDialog::ExistingFile);
    chooser->setLabelText(QFileDialog::Accept, QStringLiteral("Vergleichen"));
    chooser->setLabelText(QFileDialog::Reject, QStringLiteral("Abbrechen"));
    connect(chooser, &QFileDialog::fileSelected, this,
            [this](const QString& file) { emit listToCheckChosen(QFile::encodeName(file)); });
    chooser->open();
    return chooser;
}
