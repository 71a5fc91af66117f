#include "listing/filelist.h"

#include "platform/hostdirectory.h"
#include "platform/windows1252.h"

FileList::FileList(QObject* parent)
    : QAbstractListModel(parent)
    , m_folder(HostFolder::processCurrentFolder())
{
    if (m_folder)
        m_pathText = m_folder->path.toString();
    readFiles();
}

void FileList::setPattern(const QString& pattern)
{
    if (pattern == m_patternText)
        return;
    m_patternText = pattern;
    m_pattern = FilePattern(pattern);
    readFiles();
}

QString FileList::Path() const
{
    return m_pathText;
}

// Pointing the list at the folder it lists costs nothing (a walk does it right after the
// folder list's change handler has moved it there); reading a new folder is itself the
// test that it is one.
bool FileList::setPath(const QString& path)
{
    if (m_folder && path == m_pathText)
        return true;
    const std::optional<HostFolder> located = HostFolder::locate(path);
    if (!located)
        return false;
    if (m_folder && located->path == m_folder->path)
        return HostDirectory::isFolder(located->hostPath);
    FolderScan scan = FolderScan::files(located->hostPath, m_pattern);
    if (!scan.isFolder)
        return false;
    m_folder = located;
    m_pathText = located->path.toString();
    takeScan(std::move(scan));
    return true;
}

void FileList::Refresh() { readFiles(); }

void FileList::readFiles()
{
    takeScan(m_folder ? FolderScan::files(m_folder->hostPath, m_pattern) : FolderScan());
}

void FileList::takeScan(FolderScan scan)
{
    beginResetModel();
    m_names = std::move(scan.names);
    m_leftOut = scan.leftOut;
    m_readFailed = m_folder && !scan.complete;
    endResetModel();
}

QString FileList::List(qsizetype index) const
{
    return index >= 0 && index < m_names.size() ? m_names[index] : QString();
}

int FileList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_names.size());
}

QVariant FileList::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole
        || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    return Windows1252::displayText(m_names[index.row()]);
}
