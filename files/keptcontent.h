#pragma once

#include <QByteArray>

#include <sys/types.h>

struct stat;

// The bytes a file held before a write began, for whoever compares the old content with
// the new: the untouched old file while a new one is made, the kept copy where the file is
// written over where it stands. Valid until the write is committed or given up.
class OldContent {
public:
    OldContent() = default;
    OldContent(int file, off_t length)
        : m_file(file)
        , m_length(length)
    {
    }

    // False where the name held no file before the write.
    bool exists() const { return m_file >= 0; }
    off_t length() const { return m_length; }
    // As pread(): the count of bytes read, 0 at the end, -1 with errno set on a failure.
    ssize_t readAt(off_t offset, char* into, size_t size) const;
    // The first length bytes are read and wanted no more: the page cache may let go of them
    // now, rather than the close that drops a replaced file, at the end of the run.
    void letGoOfCache(off_t length) const;

private:
    int m_file = -1;
    off_t m_length = 0;
};

// The bytes of a file that is about to be written over where it stands, kept aside so that
// a write that fails part way can put them back. They go into a hidden copy beside the file
// (MarkedFiles::keptCopyName), with the file's owner, group and mode where they can be
// carried and private to the writer otherwise, locked while the write runs and on the disk
// before the first byte of the file changes: should the process be killed, the next write
// to the file puts them back (restoreLeftover). Where no copy fits beside the file (the
// folder takes no new file, the disk is full), they are held in an anonymous memory file.
class KeptContent {
public:
    // A file larger than this is not kept; it is not written over either.
    static constexpr off_t kMaxLength = off_t(512) << 20;

    enum class Place { Nowhere, BesideTheFile, InMemory };
    enum class Restore { NothingLeft, Restored, Failed };

    KeptContent() = default;
    ~KeptContent();
    KeptContent(const KeptContent&) = delete;
    KeptContent& operator=(const KeptContent&) = delete;

    // Keeps the first length bytes of file, whose name in folder is name and whose state
    // is old. False with errno set when they could not be kept anywhere.
    bool take(int folder, const QByteArray& name, int file, const struct stat& old);
    Place place() const { return m_place; }
    OldContent content() const { return {m_copy, m_length}; }
    // Writes the kept bytes from the start of the file, cuts it to their length and syncs it.
    bool putBack(int file) const;
    // The write has ended, with the new content complete or the old one back: the copy goes.
    void release();

    // Where a write to the name was killed before it ended, its copy of the old bytes is
    // still beside the file, with no lock on it: puts them back into the file (or, where the
    // file is gone, gives the copy its name) and removes the copy. Only a copy owned by the
    // file's owner or by this user is trusted.
    static Restore restoreLeftover(int folder, const QByteArray& name);
    // Removes such a copy that could not be put back, once the file's new content is complete.
    static void removeLeftover(int folder, const QByteArray& name);

private:
    bool takeBesideTheFile(int folder, const QByteArray& name, int file, const struct stat& old);
    bool takeInMemory(int file);

    int m_copy = -1;
    off_t m_length = 0;
    Place m_place = Place::Nowhere;
    int m_folder = -1;
    QByteArray m_copyName;
};
