#include "listing/textarena.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {

constexpr qsizetype kHugePage = qsizetype(2) << 20;

} // namespace

// Blocks are aligned to the host's huge pages and offered to them: filled a page at a
// time, a million entries would otherwise cost a page fault every 4 KiB.
char* TextArena::allocateBlock(qsizetype size)
{
    const qsizetype rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
    void* block = std::aligned_alloc(size_t(kHugePage), size_t(rounded));
#ifdef __linux__
    if (block)
        madvise(block, size_t(rounded), MADV_HUGEPAGE);
#endif
    return static_cast<char*>(block);
}

void TextArena::FreeBlock::operator()(char* block) const { std::free(block); }

char* TextArena::allocate(qsizetype length)
{
    if (length > m_freeLength) {
        const qsizetype blockSize = std::max(kBlockSize, length);
        char* block = allocateBlock(blockSize);
        if (!block)
            throw std::bad_alloc();
        m_blocks.emplace_back(block);
        m_free = block;
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
