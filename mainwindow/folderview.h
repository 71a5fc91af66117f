#pragma once

#include <QListView>

class FolderList;

// Shows a folder list. A single click or the arrow keys only select; a double click or
// Enter opens the folder, which moves the folder list there and raises its change.
class FolderView : public QListView {
    Q_OBJECT

public:
    FolderView(FolderList& folders, QWidget* parent);

    void open(const QModelIndex& index);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void selectCurrentFolder();

    FolderList& m_folders;
};
