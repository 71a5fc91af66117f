#include "listing/growingarray.h"

#include <sys/mman.h>

namespace GrowingPages {

void* map(std::size_t bytes)
{
    void* pages = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return pages == MAP_FAILED ? nullptr : pages;
}

void* grow(void* pages, std::size_t oldBytes, std::size_t newBytes)
{
    void* grown = mremap(pages, oldBytes, newBytes, MREMAP_MAYMOVE);
    return grown == MAP_FAILED ? nullptr : grown;
}

void unmap(void* pages, std::size_t bytes) { munmap(pages, bytes); }

} // namespace GrowingPages
