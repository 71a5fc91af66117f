#pragma once

#include "changes/listchanges.h"
#include "generation/leftoutentries.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class ElidingLabel;
class EntriesDialog;
class QFileDialog;
class ListBox;
class PathListView;
class QMenu;
class QPoint;

// The context menus after a run: on the result list the entry under the cursor, the
// whole list and the run; on the status line the run and a check of the source against a
// list file. A menu is made when asked for and goes once it closes, so nothing of it is
// drawn in between.
class RunMenu : public QObject {
    Q_OBJECT

public:
    // What the last run that ended (completed, not stopped) left to open.
    struct FinishedRun {
        bool written = false;
        QString listFile; // the list file's path, as the status line names it
        QString targetFolder;
        QString listFileName;
        LeftOutEntries leftOut;
    };

    // sourceFolder: where the source folder list stands, which a list to check is chosen in.
    RunMenu(PathListView* resultList, ElidingLabel* status, QWidget* window, std::function<QString()> sourceFolder);

    void setFinishedRun(FinishedRun run) { m_run = std::move(run); }
    // What changed against a list in the last comparison, of a run or a check.
    void setChanges(std::optional<ListChanges> changes) { m_changes = std::move(changes); }
    const FinishedRun& finishedRun() const { return m_run; }

    // Open the menu at globalPos and return it; nothing when it would hold no entry.
    QMenu* openForList(const QPoint& globalPos);
    QMenu* openForStatus(const QPoint& globalPos);

    void copyPath();
    void copyAllPaths();
    void showInFileManager();
    void openListFile();
    void openTargetFolder();
    EntriesDialog* showLeftOut();
    EntriesDialog* showChanges();
    // A file chooser for the list to check; its choice comes as listToCheckChosen.
    QFileDialog* chooseListToCheck();

signals:
    void listToCheckChosen(const QByteArray& hostPath);
    // "Als Tabelle speichern ..." was chosen: the window asks where, and saves it.
    void tableRequested();

private:
    QMenu* newMenu(const QString& name);
    void addRunEntries(QMenu* menu);
    ListBox* entries() const;
    // The current entry's path as stored, escaped bytes and all; empty without one.
    QString currentPath() const;

    PathListView* m_resultList;
    QWidget* m_window;
    std::function<QString()> m_sourceFolder;
    FinishedRun m_run;
    std::optional<ListChanges> m_changes;
};
