#include "walk/walklineage.h"

WalkLineage::WalkLineage(const std::vector<Identity>& startPath)
{
    for (const Identity& identity : startPath)
        m_entered = std::make_shared<const Folder>(Folder{identity, m_entered, true});
}

void WalkLineage::queued(qsizetype count, const QList<SubfolderKind>& kinds)
{
    if (count > 0)
        m_parents.push_back({m_entered, count, 0, kinds});
}

void WalkLineage::takeNext()
{
    m_kindOfNext = SubfolderKind::Plain;
    if (m_parents.empty()) {
        m_parentOfNext = nullptr;
        return;
    }
    Parent& parent = m_parents.front();
    m_parentOfNext = parent.folder;
    if (!parent.kinds.isEmpty())
        m_kindOfNext = parent.kinds[parent.taken];
    if (++parent.taken == parent.count)
        m_parents.pop_front();
}

bool WalkLineage::mayFollowLinkAtNext() const { return !m_parentOfNext || m_parentOfNext->followsLinks; }

bool WalkLineage::leadsBack(const Identity& identity) const
{
    for (const Folder* folder = m_parentOfNext.get(); folder; folder = folder->parent.get()) {
        if (folder->identity == identity)
            return true;
    }
    return false;
}

void WalkLineage::enter(const Identity& identity, bool throughLink, const QByteArray& resolvedPath)
{
    bool followsLinks = mayFollowLinkAtNext();
    if (throughLink)
        followsLinks = m_enteredThroughLink.emplace(identity.device, identity.inode, resolvedPath).second;
    m_entered = std::make_shared<const Folder>(Folder{identity, m_parentOfNext, followsLinks});
}
