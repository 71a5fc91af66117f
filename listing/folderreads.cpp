#include "listing/folderreads.h"

void FolderReads::readAheadBelow(QStringView pathText)
{
    const Read* read = last(pathText);
    if (!m_ahead.isReading() || !read || read->scan.folders.isEmpty())
        return;
    m_below.push_back({read->path, read->pathText, read->scan.folders});
    requestMore();
}

// Only a few folders are asked for at a time: a level of a wide tree holds tens of
// thousands, and their paths would take room long before their turn.
void FolderReads::requestMore()
{
    std::vector<ReadAhead::Request> requests;
    for (std::size_t outstanding = m_ahead.outstanding(); outstanding < ReadAhead::kMostReadsAhead && !m_below.empty();
         ++outstanding) {
        Below& below = m_below.front();
        const QString& name = below.names[below.next];
        requests.push_back({below.path.child(name), WindowsPath::joinName(below.pathText, name)});
        if (++below.next == below.names.size())
            m_below.pop_front();
    }
    if (!requests.empty())
        m_ahead.request(std::move(requests));
}

void FolderReads::noteFound(const QString& pathText, FolderHandles::Identity identity)
{
    m_foundText = pathText;
    m_found = identity;
}

std::optional<FolderReads::Read> FolderReads::takeReadAhead(QStringView pathText)
{
    if (!m_ahead.isReading() || m_foundText != pathText)
        return std::nullopt;
    std::optional<ReadAhead::Read> read = m_ahead.take(pathText);
    requestMore();
    if (!read || read->entries.identity != m_found)
        return std::nullopt;
    return Read{std::move(read->path), std::move(read->pathText), FolderScan::fromEntries(read->entries)};
}

FolderScan FolderReads::read(FolderReads* shared, const WindowsPath& path, const QString& pathText)
{
    std::optional<FolderHandles> own;
    return FolderScan::read(shared ? shared->m_handles : own.emplace(), path, pathText);
}

bool FolderReads::isFolder(FolderReads* shared, const WindowsPath& path)
{
    std::optional<FolderHandles> own;
    FolderHandles& handles = shared ? shared->m_handles : own.emplace();
    return handles.standing(path, true) == FolderHandles::Standing::Folder;
}
