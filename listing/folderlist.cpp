#include "listing/folderlist.h"

#include "listing/longestrows.h"
#include "readahead/folderreads.h"
#include "text/windows1252.h"
#include "walk/hostfolder.h"

#include <algorithm>

FolderList::FolderList(ListStart start, QObject* parent)
    : QAbstractListModel(parent)
{
    if (start == ListStart::Nowhere)
        return;
    if (const std::optional<WindowsPath> current = HostFolder::processCurrentFolder()) {
        const QString currentText = current->toString();
        enter(*current, currentText, FolderReads::read(nullptr, *current, currentText));
    }
}

QString FolderList::Path() const
{
    return m_pathText;
}

bool FolderList::setPath(const QString& pathOrDrive)
{
    // In a walk the folder has usually been read ahead of its turn.
    if (m_reads && pathOrDrive != m_pathText && !WindowsPath::driveValueLetter(pathOrDrive)) {
        if (const std::optional<FolderReads::Read> ahead = m_reads->takeReadAhead(pathOrDrive)) {
            enter(ahead->path, ahead->pathText, ahead->scan);
            emit Change();
            return true;
        }
    }
    const QList<WindowsPath> folders = candidatesFor(pathOrDrive);
    return std::any_of(folders.cbegin(), folders.cend(), [this](const WindowsPath& folder) { return moveTo(folder); });
}

QList<WindowsPath> FolderList::candidatesFor(const QString& pathOrDrive) const
{
    if (const std::optional<QChar> drive = WindowsPath::driveValueLetter(pathOrDrive)) {
        const WindowsPath root = WindowsPath::root(*drive);
        const WindowsPath last = m_lastFolderOnDrive.value(*drive, root);
        return last == root ? QList{root} : QList{last, root};
    }
    const std::optional<WindowsPath> path = WindowsPath::parse(pathOrDrive);
    if (path && HostFolder::canStandInPath(*path))
        return {*path};
    return {};
}

// Reading the new folder is also the test that it is one: a walk moves here once per
// folder, and a look before the read would cost as much as the read itself.
bool FolderList::moveTo(const WindowsPath& path)
{
    if (m_folder && path == *m_folder)
        return FolderReads::isFolder(m_reads, path);
    const QString pathText = path.toString();
    const FolderScan scan = FolderReads::read(m_reads, path, pathText);
    if (!scan.isFolder)
        return false;
    enter(path, pathText, scan);
    emit Change();
    return true;
}

void FolderList::enter(const WindowsPath& folder, const QString& pathText, const FolderScan& scan)
{
    beginResetModel();
    m_folder = folder;
    m_pathText = pathText;
    m_lastFolderOnDrive.insert(folder.drive(), folder);
    takeScan(scan);
    endResetModel();
}

void FolderList::Refresh()
{
    if (m_folder)
        relist(FolderReads::read(m_reads, *m_folder, m_pathText));
}

void FolderList::takeRead(const WindowsPath& folder, const QString& pathText, const FolderScan& scan)
{
    if (m_folder && folder == *m_folder) {
        relist(scan);
        return;
    }
    enter(folder, pathText, scan);
    emit Change();
}

void FolderList::relist(const FolderScan& scan)
{
    beginResetModel();
    takeScan(scan);
    endResetModel();
}

void FolderList::takeScan(const FolderScan& scan)
{
    m_subfolders = scan.folders;
    m_leftOut = scan.unwritableFolders;
    m_readFailed = !scan.complete;
    if (m_reads)
        m_reads->keepLast({*m_folder, m_pathText, scan});
}

QString FolderList::List(qsizetype index) const
{
    if (index < 0 || index >= m_subfolders.size())
        return QString();
    return WindowsPath::joinName(Path(), m_subfolders[index]);
}

int FolderList::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_folder)
        return 0;
    return int(ancestorRows() + m_subfolders.size());
}

QList<int> FolderList::longestRows() const
{
    if (!m_folder)
        return {};
    const QStringList& names = m_folder->names();
    // A row one step deeper is as wide as a few letters more.
    constexpr qsizetype kLettersPerStep = 2;
    return LongestRows::among(rowCount(), [&](qsizetype row) {
        if (row < ancestorRows())
            return (row == 0 ? 3 : names[row - 1].size()) + row * kLettersPerStep;
        return m_subfolders[row - ancestorRows()].size() + ancestorRows() * kLettersPerStep;
    });
}

QVariant FolderList::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const qsizetype row = index.row();
    const QStringList& names = m_folder->names();
    const bool isAncestorRow = row < ancestorRows();
    switch (role) {
    case Qt::DisplayRole:
        if (row == 0)
            return QString(m_folder->drive().toLower()) + QStringLiteral(":\\");
        return Windows1252::displayText(isAncestorRow ? names[row - 1] : m_subfolders[row - ancestorRows()]);
    case Qt::ToolTipRole:
        return Windows1252::displayText(data(index, PathRole).toString());
    case PathRole: {
        if (!isAncestorRow)
            return List(row - ancestorRows());
        WindowsPath ancestor = WindowsPath::root(m_folder->drive());
        for (qsizetype i = 0; i < row; ++i)
            ancestor = ancestor.child(names[i]);
        return ancestor.toString();
    }
    case RowKindRole:
        if (!isAncestorRow)
            return int(RowKind::Subfolder);
        return int(row == ancestorRows() - 1 ? RowKind::Current : RowKind::Ancestor);
    case DepthRole:
        return int(isAncestorRow ? row : ancestorRows());
    default:
        return QVariant();
    }
}
