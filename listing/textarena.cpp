#include "listing/textarena.h"

#include <cstring>

const char* TextArena::store(const char* bytes, qsizetype length)
{
    if (length > m_freeLength) {
        const qsizetype blockSize = std::max(kBlockSize, length);
        m_blocks.push_back(std::make_unique_for_overwrite<char[]>(size_t(blockSize)));
        m_free = m_blocks.back().get();
        m_freeLength = blockSize;
    }
    char* stored = m_free;
    if (length > 0)
        std::memcpy(stored, bytes, size_t(length));
    m_free += length;
    m_freeLength -= length;
    return stored;
}

void TextArena::clear()
{
    m_blocks.clear();
    m_free = nullptr;
    m_freeLength = 0;
}
