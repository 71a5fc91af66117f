#pragma once

#include "controls/pathlistview.h"

class FolderList;

// Shows a folder list. A single click or the arrow keys only select; a double click or
// Enter opens the folder, which moves the folder list there and raises its change.
class FolderView : public PathListView {
    Q_OBJECT

public:
    FolderView(FolderList& folders, QWidget* parent);

    void open(const QModelIndex& index);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showNewFolder();
    void selectCurrentFolder();

    FolderList& m_folders;
};
