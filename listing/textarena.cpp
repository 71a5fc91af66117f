#include "listing/textarena.h"

#include <algorithm>

// Plain pages, not huge ones: on a virtual machine that hands free memory back to its host
// (as ours do), a fresh huge page costs the host 2 MiB of faulting at once, and a run paid
// more for that than it saved on faults of 4 KiB.
char* TextArena::allocate(qsizetype length)
{
    Q_ASSERT(length >= 0);
    if (length > m_freeLength) {
        const qsizetype blockSize = std::max(kBlockSize, length);
        m_blocks.push_back(std::make_unique_for_overwrite<char[]>(size_t(blockSize)));
        m_free = m_blocks.back().get();
        m_freeLength = blockSize;
    }
    char* room = m_free;
    m_free += length;
    m_freeLength -= length;
    return room;
}

void TextArena::clear()
{
    m_blocks.clear();
    m_free = nullptr;
    m_freeLength = 0;
}
