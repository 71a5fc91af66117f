#pragma once

#include <cstddef>
#include <new>
#include <type_traits>

// Pages of memory of the system's own, grown in place: the kernel moves the pages already
// filled to a larger range where it cannot extend the old one, and copies nothing.
namespace GrowingPages {
// A range of at least bytes, or nullptr where the system has none.
void* map(std::size_t bytes);
// The range at pages, of oldBytes, made to hold newBytes (perhaps elsewhere; its content
// kept), or nullptr with the old range left as it was.
void* grow(void* pages, std::size_t oldBytes, std::size_t newBytes);
void unmap(void* pages, std::size_t bytes);
}

// An array of plain values that only grows, as a list of a million entries does while a
// walk adds them. A vector doubling its room copies all it holds into fresh memory each
// time, so that by its end it has touched twice what it holds; a machine pays for every
// fresh page it touches, and on a virtual one the host pays again. This one's room grows
// in place (GrowingPages) and touches only what it holds.
template <typename Value>
class GrowingArray {
    static_assert(std::is_trivially_copyable_v<Value>, "its values are moved as bytes");

public:
    GrowingArray() = default;
    ~GrowingArray() { clear(); }
    GrowingArray(const GrowingArray&) = delete;
    GrowingArray& operator=(const GrowingArray&) = delete;

    // Throws std::bad_alloc where the system has no room left, as a vector does.
    void push_back(Value value)
    {
        if (m_size == m_capacity)
            growRoom();
        m_values[m_size++] = value;
    }
    std::size_t size() const { return m_size; }
    const Value& operator[](std::size_t index) const { return m_values[index]; }
    // Gives its room back.
    void clear()
    {
        if (m_values)
            GrowingPages::unmap(m_values, m_capacity * sizeof(Value));
        m_values = nullptr;
        m_size = m_capacity = 0;
    }

private:
    // A small list takes one range of this size, which it seldom outgrows.
    static constexpr std::size_t kFirstBytes = std::size_t(64) << 10;

    void growRoom();

    Value* m_values = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

template <typename Value>
void GrowingArray<Value>::growRoom()
{
    const std::size_t oldBytes = m_capacity * sizeof(Value);
    const std::size_t newBytes = m_values ? 2 * oldBytes : kFirstBytes;
    void* room = m_values ? GrowingPages::grow(m_values, oldBytes, newBytes) : GrowingPages::map(newBytes);
    if (!room)
        throw std::bad_alloc();
    m_values = static_cast<Value*>(room);
    m_capacity = newBytes / sizeof(Value);
}
