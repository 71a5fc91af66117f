#include "controls/folderview.h"

#include "controls/folderitemdelegate.h"
#include "listing/folderlist.h"

#include <QKeyEvent>

FolderView::FolderView(FolderList& folders, QWidget* parent)
    : PathListView(new FolderItemDelegate(nullptr), parent)
    , m_folders(folders)
{
    setModel(&folders);
    connect(this, &QListView::doubleClicked, this, &FolderView::open);
    connect(&folders, &QAbstractItemModel::modelReset, this, &FolderView::showNewFolder);
    showNewFolder();
}

void FolderView::open(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    // A folder that vanished since it was listed cannot be entered: show what is there now.
    if (!m_folders.setPath(index.data(FolderList::PathRole).toString()))
        m_folders.Refresh();
}

void FolderView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        open(currentIndex());
        return;
    }
    PathListView::keyPressEvent(event);
}

void FolderView::showNewFolder()
{
    setWidestCandidates(m_folders.longestRows());
    selectCurrentFolder();
}

void FolderView::selectCurrentFolder()
{
    const int row = int(m_folders.Path().isEmpty() ? -1 : m_folders.rowCount() - m_folders.ListCount() - 1);
    if (row >= 0)
        setCurrentIndex(m_folders.index(row));
}
