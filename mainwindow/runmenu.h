#pragma once

#include "generation/leftoutentries.h"

#include <QObject>
#include <QString>

class ElidingLabel;
class LeftOutDialog;
class ListBox;
class PathListView;
class QMenu;
class QPoint;

// The context menus after a run: on the result list the entry under the cursor, the
// whole list and the run; on the status line the run. A menu is made when asked for and
// goes once it closes, so nothing of it is drawn in between.
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

    RunMenu(PathListView* resultList, ElidingLabel* status, QWidget* window);

    void setFinishedRun(FinishedRun run) { m_run = std::move(run); }
    const FinishedRun& finishedRun() const { return m_run; }

    // Open the menu at globalPos and return it; nothing when it would hold no entry.
    QMenu* openForList(const QPoint& globalPos);
    QMenu* openForStatus(const QPoint& globalPos);

    void copyPath();
    void copyAllPaths();
    void showInFileManager();
    void openListFile();
    void openTargetFolder();
    LeftOutDialog* showLeftOut();

signals:
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
    FinishedRun m_run;
};
