#include "listing/folderlist.h"

#include "platform/hostdirectory.h"
#include "platform/windows1252.h"

FolderList::FolderList(QObject* parent)
    : QAbstractListModel(parent)
{
    if (const std::optional<HostFolder> start = HostFolder::processCurrentFolder())
        enter(*start, FolderScan::subfolders(start->hostPath));
}

QString FolderList::Path() const
{
    return m_pathText;
}

std::optional<HostFolder> FolderList::folderForDrive(QChar letter) const
{
    if (const auto last = m_lastFolderOnDrive.constFind(letter); last != m_lastFolderOnDrive.cend()) {
        if (auto folder = HostFolder::resolve(*last))
            return folder;
    }
    return HostFolder::resolve(WindowsPath::root(letter));
}

bool FolderList::setPath(const QString& pathOrDrive)
{
    if (const std::optional<QChar> drive = WindowsPath::driveValueLetter(pathOrDrive)) {
        const std::optional<HostFolder> folder = folderForDrive(*drive);
        return folder && moveTo(folder->path, folder->hostPath);
    }
    const std::optional<HostFolder> located = HostFolder::locate(pathOrDrive);
    return located && moveTo(located->path, located->hostPath);
}

// Reading the new folder is also the test that it is one: a walk moves here once per
// folder, and a stat before the read would cost as much as the read itself.
bool FolderList::moveTo(const WindowsPath& path, const QByteArray& hostPath)
{
    if (path == m_folder.path && !m_folder.hostPath.isEmpty())
        return HostDirectory::isFolder(hostPath);
    FolderScan scan = FolderScan::subfolders(hostPath);
    if (!scan.isFolder)
        return false;
    enter(HostFolder{path, hostPath}, std::move(scan));
    emit Change();
    return true;
}

void FolderList::enter(const HostFolder& folder, FolderScan scan)
{
    beginResetModel();
    m_folder = folder;
    m_pathText = folder.path.toString();
    m_lastFolderOnDrive.insert(folder.path.drive(), folder.path);
    takeScan(std::move(scan));
    endResetModel();
}

void FolderList::Refresh()
{
    beginResetModel();
    takeScan(FolderScan::subfolders(m_folder.hostPath));
    endResetModel();
}

void FolderList::takeScan(FolderScan scan)
{
    m_subfolders = std::move(scan.names);
    m_leftOut = scan.leftOut;
    m_readFailed = !scan.complete;
}

QString FolderList::List(qsizetype index) const
{
    if (index < 0 || index >= m_subfolders.size())
        return QString();
    return WindowsPath::joinName(Path(), m_subfolders[index]);
}

int FolderList::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || m_folder.hostPath.isEmpty())
        return 0;
    return int(ancestorRows() + m_subfolders.size());
}

QVariant FolderList::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const qsizetype row = index.row();
    const QStringList& names = m_folder.path.names();
    const bool isAncestorRow = row < ancestorRows();
    switch (role) {
    case Qt::DisplayRole:
        if (row == 0)
            return QString(m_folder.path.drive().toLower()) + QStringLiteral(":\\");
        return Windows1252::displayText(isAncestorRow ? names[row - 1] : m_subfolders[row - ancestorRows()]);
    case PathRole: {
        if (!isAncestorRow)
            return List(row - ancestorRows());
        WindowsPath ancestor = WindowsPath::root(m_folder.path.drive());
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
