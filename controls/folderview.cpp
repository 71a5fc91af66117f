#include "controls/folderview.h"

#include "controls/folderitemdelegate.h"
#include "controls/notreadymessage.h"
#include "listing/folderlist.h"

#include <QKeyEvent>

FolderView::FolderView(FolderList& folders, FolderLooks& looks, QWidget* parent)
    : PathListView(new FolderItemDelegate(nullptr), parent)
    , m_folders(folders)
    , m_looks(looks)
{
    setModel(&folders);
    connect(this, &QListView::doubleClicked, this, &FolderView::open);
    connect(&folders, &QAbstractItemModel::modelReset, this, &FolderView::showNewFolder);
    connect(&looks, &FolderLooks::answered, this,
            [this](FolderLooks::Ticket ticket, FolderList*, FolderLooks::Outcome outcome, const QString& pathText) {
                takeAnswer(ticket, outcome, pathText);
            });
    showNewFolder();
}

void FolderView::open(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    m_opening = m_looks.move(m_folders, index.data(FolderList::PathRole).toString());
}

void FolderView::takeAnswer(FolderLooks::Ticket ticket, FolderLooks::Outcome outcome, const QString& pathText)
{
    if (ticket != m_opening)
        return;
    m_opening = 0;
    // A folder that vanished since it was listed cannot be entered: show what is there now.
    if (outcome == FolderLooks::Outcome::NotAFolder)
        m_looks.refresh(m_folders);
    else if (outcome == FolderLooks::Outcome::NotAnswering)
        NotReadyMessage::show(this, NotReadyMessage::folderText(pathText));
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
