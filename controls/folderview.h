#pragma once

#include "controls/pathlistview.h"
#include "looks/folderlooks.h"

class FolderList;

// Shows a folder list. A single click or the arrow keys only select; a double click or
// Enter opens the folder, which moves the folder list there (see FolderLooks) and raises
// its change once the folder has answered. A folder that does not answer is refused with
// a message, and the list stays where it was.
class FolderView : public PathListView {
    Q_OBJECT

public:
    FolderView(FolderList& folders, FolderLooks& looks, QWidget* parent);

    void open(const QModelIndex& index);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void takeAnswer(FolderLooks::Ticket ticket, FolderLooks::Outcome outcome, const QString& pathText);
    void showNewFolder();
    void selectCurrentFolder();

    FolderList& m_folders;
    FolderLooks& m_looks;
    FolderLooks::Ticket m_opening = 0;
};
