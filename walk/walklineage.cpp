#include "walk/walklineage.h"

WalkLineage::WalkLineage(const std::vector<Identity>& startPath)
{
    for (const Identity& identity : startPath)
        m_entered = std::make_shared<const Folder>(Folder{identity, m_entered});
}

void WalkLineage::queued(qsizetype count)
{
    if (count > 0)
        m_parents.push_back({m_entered, count});
}

void WalkLineage::takeNext()
{
    if (m_parents.empty()) {
        m_parentOfNext = nullptr;
        return;
    }
    m_parentOfNext = m_parents.front().folder;
    if (--m_parents.front().childrenLeft == 0)
        m_parents.pop_front();
}

bool WalkLineage::leadsBack(const std::optional<Identity>& identity) const
{
    if (!identity)
        return false;
    for (const Folder* folder = m_parentOfNext.get(); folder; folder = folder->parent.get()) {
        if (folder->identity == identity)
            return true;
    }
    return false;
}

void WalkLineage::enter(const std::optional<Identity>& identity)
{
    m_entered = std::make_shared<const Folder>(Folder{identity, m_parentOfNext});
}
