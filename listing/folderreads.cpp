#include "listing/folderreads.h"

HandlesInUse::HandlesInUse(FolderReads* shared)
    : m_shared(shared)
{
    if (!m_shared)
        m_own.emplace();
}
