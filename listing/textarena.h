#pragma once

#include <QtGlobal>

#include <memory>
#include <vector>

// Keeps many short byte strings in large blocks that never move, so a million entries
// cost one allocation per block instead of one per entry, and growing never copies.
class TextArena {
public:
    // Room for length bytes, to be filled by the caller, that stays until clear().
    char* allocate(qsizetype length);
    void clear();

private:
    static constexpr qsizetype kBlockSize = qsizetype(4) << 20;

    std::vector<std::unique_ptr<char[]>> m_blocks;
    char* m_free = nullptr;
    qsizetype m_freeLength = 0;
};
