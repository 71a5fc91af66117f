#include "listing/filelist.h"

#include "listing/folderscan.h"

FileList::FileList(QObject* parent)
    : QAbstractListModel(parent)
    , m_folder(HostFolder::processCurrentFolder())
{
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
    return m_folder ? m_folder->path.toString() : QString();
}

bool FileList::setPath(const QString& path)
{
    const std::optional<HostFolder> folder = HostFolder::resolve(path);
    if (!folder)
        return false;
    if (m_folder && folder->path == m_folder->path)
        return true;
    m_folder = folder;
    readFiles();
    return true;
}

void FileList::Refresh() { readFiles(); }

void FileList::readFiles()
{
    beginResetModel();
    FolderScan scan = m_folder ? FolderScan::files(m_folder->hostPath, m_pattern) : FolderScan();
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
    return m_names[index.row()];
}
