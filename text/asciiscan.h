#pragma once

#include <QtGlobal>

#include <cstring>
#include <type_traits>

namespace AsciiScan {

// A control character of ASCII: the C0 codes (line breaks and tabs among them) and DEL. No
// name or value a person types holds one, and none may reach a line of ours unescaped.
constexpr bool isControl(char32_t code) { return code < 0x20 || code == 0x7F; }

// How many units at the start of text are ASCII and, where other is given, the same as
// other's units at the same places (other holds at least size units). Nearly every name
// and path is ASCII throughout, and two paths in a row mostly share most of theirs: the
// units are looked at a machine word at a time, and only the last few one by one.
template <typename Unit>
qsizetype prefixLength(const Unit* text, qsizetype size, const Unit* other = nullptr)
{
    static_assert(std::is_same_v<Unit, char> || std::is_same_v<Unit, char16_t>);
    using Word = quint64;
    constexpr qsizetype kUnitsPerWord = sizeof(Word) / sizeof(Unit);
    // The bits that only a unit beyond ASCII sets, in every unit of a word.
    constexpr Word kBeyondAscii = sizeof(Unit) == 1 ? 0x8080808080808080ull : 0xFF80FF80FF80FF80ull;
    qsizetype length = 0;
    for (; length + kUnitsPerWord <= size; length += kUnitsPerWord) {
        Word word;
        std::memcpy(&word, text + length, sizeof word);
        if (word & kBeyondAscii)
            break;
        if (other) {
            Word otherWord;
            std::memcpy(&otherWord, other + length, sizeof otherWord);
            if (word != otherWord)
                break;
        }
    }
    using Code = std::make_unsigned_t<Unit>;
    while (length < size && Code(text[length]) < 0x80 && (!other || other[length] == text[length]))
        ++length;
    return length;
}

// The top bit of each byte of word that equals byte, and of none other.
constexpr quint64 bytesEqualTo(quint64 word, unsigned char byte)
{
    constexpr quint64 kEachByte = 0x0101010101010101ull;
    const quint64 zeroWhereEqual = word ^ (kEachByte * byte);
    // A byte borrows from the next only where it was zero, so a false mark can follow only
    // a true one: whether any byte is marked is exact.
    return (zeroWhereEqual - kEachByte) & ~zeroWhereEqual & (kEachByte * 0x80);
}

// Eight ASCII bytes read as one word, each capital letter made small.
constexpr quint64 lowerCase(quint64 eight)
{
    constexpr quint64 kEachByte = 0x0101010101010101ull;
    // Adding to a byte below 0x80 never carries into the next one: the top bit of each sum
    // tells whether the byte reached 'A', or passed 'Z'.
    const quint64 fromA = eight + kEachByte * (0x80 - 'A');
    const quint64 pastZ = eight + kEachByte * (0x80 - 'Z' - 1);
    const quint64 capitals = fromA & ~pastZ & (kEachByte * 0x80);
    return eight | (capitals >> 2); // 0x20 on each capital letter
}

// How many bytes at the start of a and b (each holds at least size) are ASCII and the same
// but for letter case, counted in whole words of eight: the last few, and the word where
// they part, are for the caller to look at one by one.
inline qsizetype foldedWordsPrefixLength(const char* a, const char* b, qsizetype size)
{
    constexpr quint64 kBeyondAscii = 0x8080808080808080ull;
    qsizetype length = 0;
    for (; length + 8 <= size; length += 8) {
        quint64 x;
        quint64 y;
        std::memcpy(&x, a + length, sizeof x);
        std::memcpy(&y, b + length, sizeof y);
        if (((x | y) & kBeyondAscii) || lowerCase(x) != lowerCase(y))
            break;
    }
    return length;
}

} // namespace AsciiScan
