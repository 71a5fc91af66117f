#pragma once

#include <sys/types.h>

// The bytes of a file that is about to be written over where it stands, kept aside so
// that a write that fails part way can put them back. They are held in an anonymous
// memory file the system may swap out, never on the disk that is filling up.
class KeptContent {
public:
    // A file larger than this is not kept; it is not written over either.
    static constexpr off_t kMaxLength = off_t(512) << 20;

    KeptContent() = default;
    ~KeptContent();
    KeptContent(const KeptContent&) = delete;
    KeptContent& operator=(const KeptContent&) = delete;

    // Copies the file's first length bytes. False with errno set when they could not all be kept.
    bool take(int file, off_t length);
    // Writes the kept bytes from the start of the file, cuts it to their length and syncs it.
    bool putBack(int file) const;

private:
    int m_copy = -1;
    off_t m_length = 0;
};
