#include "listing/filelist.h"

#include "readahead/folderreads.h"
#include "text/windows1252.h"
#include "walk/hostfolder.h"

FileList::FileList(ListStart start, QObject* parent)
    : QAbstractListModel(parent)
{
    if (start == ListStart::Nowhere)
        return;
    m_folder = HostFolder::processCurrentFolder();
    if (m_folder)
        m_pathText = m_folder->toString();
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

// Pointing the list at the folder it lists costs nothing, and in a run the folder list
// has just read the new folder; otherwise reading it is itself the test that it is one.
bool FileList::setPath(const QString& path)
{
    if (m_folder && path == m_pathText)
        return true;
    if (const FolderReads::Read* read = m_reads ? m_reads->last(path) : nullptr) {
        takeFolder(read->path, read->pathText, read->scan);
        return true;
    }
    const std::optional<WindowsPath> parsed = WindowsPath::parse(path);
    if (!parsed || !HostFolder::canStandInPath(*parsed))
        return false;
    if (m_folder && *parsed == *m_folder)
        return FolderReads::isFolder(m_reads, *parsed);
    const QString pathText = parsed->toString();
    const FolderScan scan = FolderReads::read(m_reads, *parsed, pathText);
    if (!scan.isFolder)
        return false;
    takeFolder(*parsed, pathText, scan);
    return true;
}

void FileList::Refresh() { readFiles(); }

void FileList::readFiles()
{
    if (!m_folder) {
        takeScan(FolderScan());
        return;
    }
    takeScan(FolderReads::read(m_reads, *m_folder, m_pathText));
}

void FileList::takeFolder(const WindowsPath& folder, const QString& pathText, const FolderScan& scan)
{
    m_folder = folder;
    m_pathText = pathText;
    takeScan(scan);
}

void FileList::takeScan(const FolderScan& scan)
{
    FolderScan::MatchingFiles matching = scan.filesMatching(m_pattern);
    beginResetModel();
    m_names = std::move(matching.names);
    m_leftOut = matching.leftOut;
    m_readFailed = m_folder && !scan.complete;
    endResetModel();
}

QString FileList::List(qsizetype index) const
{
    return index >= 0 && index < m_names.size() ? m_names.decoded(index) : QString();
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
    return Windows1252::displayText(m_names.decoded(index.row()));
}
