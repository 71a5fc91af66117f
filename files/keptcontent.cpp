#include "files/keptcontent.h"

#include "files/fileattributes.h"
#include "files/markedfiles.h"
#include "files/readback.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kBufferSize = 64 * 1024;

// Copies length bytes from the start of one file to the start of the other, retrying
// where a signal cut a call short. A file that ends early is a failure (EIO).
bool copyBytes(int from, int to, off_t length)
{
    char buffer[kBufferSize];
    for (off_t done = 0; done < length;) {
        const size_t wanted = size_t(std::min<off_t>(length - done, off_t(kBufferSize)));
        const ssize_t got = pread(from, buffer, wanted, done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            errno = got < 0 ? errno : EIO;
            return false;
        }
        for (ssize_t put = 0; put < got;) {
            const ssize_t written = pwrite(to, buffer + put, size_t(got - put), done + put);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0) {
                errno = written < 0 ? errno : ENOSPC;
                return false;
            }
            put += written;
        }
        done += got;
    }
    return true;
}

// The last bytes of a file, to read back where they were copied to.
QByteArray tailOf(int file, off_t length)
{
    QByteArray tail(qsizetype(std::min<off_t>(length, ReadBack::kTailLength)), Qt::Uninitialized);
    const ssize_t got = pread(file, tail.data(), size_t(tail.size()), length - off_t(tail.size()));
    tail.truncate(std::max<ssize_t>(got, 0));
    return tail;
}

// Writes length bytes of from over the whole of file and makes sure the file system kept them.
bool copyOver(int from, int file, off_t length)
{
    return copyBytes(from, file, length) && ftruncate(file, length) == 0 && fsync(file) == 0
        && ReadBack::holds(file, length, tailOf(from, length));
}

// Another person could plant a file under the copy's name in a shared folder: only a copy
// that its owner could have made of the file is put back.
bool isTrusted(const struct stat& copy, const struct stat& file)
{
    return copy.st_uid == file.st_uid || copy.st_uid == geteuid();
}

// The copy open and locked, and the file's state; false where there is no copy to trust.
struct Leftover {
    int copy = -1;
    struct stat copyInfo = {};
    bool fileExists = false;
    struct stat fileInfo = {};
};

bool findLeftover(int folder, const QByteArray& name, const QByteArray& copyName, Leftover& found)
{
    found.copy = MarkedFiles::openUnused(folder, copyName, found.copyInfo);
    if (found.copy < 0)
        return false;
    found.fileExists = fstatat(folder, name.constData(), &found.fileInfo, AT_SYMLINK_NOFOLLOW) == 0;
    const bool trusted = found.fileExists ? S_ISREG(found.fileInfo.st_mode) && isTrusted(found.copyInfo, found.fileInfo)
                                          : errno == ENOENT && found.copyInfo.st_uid == geteuid();
    if (!trusted || found.copyInfo.st_size > KeptContent::kMaxLength) {
        ::close(found.copy);
        return false;
    }
    return true;
}

bool putLeftoverBack(int folder, const QByteArray& name, const QByteArray& copyName, const Leftover& leftover)
{
    if (!leftover.fileExists) {
        // The copy carries the file's owner, group and mode: it takes the file's place whole.
        int renamed = renameat2(folder, copyName.constData(), folder, name.constData(), RENAME_NOREPLACE);
        if (renamed != 0 && errno == EINVAL)
            renamed = renameat(folder, copyName.constData(), folder, name.constData());
        if (renamed == 0)
            MarkedFiles::syncFolder(folder);
        return renamed == 0;
    }
    const int file = openat(folder, name.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (file < 0)
        return false;
    struct stat opened;
    const bool putBack = fstat(file, &opened) == 0 && opened.st_ino == leftover.fileInfo.st_ino
        && opened.st_dev == leftover.fileInfo.st_dev && copyOver(leftover.copy, file, leftover.copyInfo.st_size);
    ::close(file);
    return putBack && MarkedFiles::removeIfStill(folder, copyName, leftover.copy);
}

} // namespace

ssize_t OldContent::readAt(off_t offset, char* into, size_t size) const
{
    if (m_file < 0 || offset >= m_length)
        return 0;
    const size_t wanted = size_t(std::min<off_t>(off_t(size), m_length - offset));
    ssize_t got = 0;
    do
        got = pread(m_file, into, wanted, offset);
    while (got < 0 && errno == EINTR);
    return got;
}

void OldContent::letGoOfCache(off_t length) const
{
    if (m_file >= 0)
        posix_fadvise(m_file, 0, std::min(length, m_length), POSIX_FADV_DONTNEED);
}

KeptContent::~KeptContent()
{
    if (m_copy >= 0)
        ::close(m_copy);
}

bool KeptContent::take(int folder, const QByteArray& name, int file, const struct stat& old)
{
    if (old.st_size > kMaxLength) {
        errno = EFBIG;
        return false;
    }
    m_length = old.st_size;
    if (takeBesideTheFile(folder, name, file, old))
        m_place = Place::BesideTheFile;
    else if (takeInMemory(file))
        m_place = Place::InMemory;
    return m_place != Place::Nowhere;
}

bool KeptContent::takeBesideTheFile(int folder, const QByteArray& name, int file, const struct stat& old)
{
    const std::optional<QByteArray> copyName = MarkedFiles::keptCopyName(name);
    if (!copyName)
        return false;
    const int copy = openat(folder, copyName->constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (copy < 0)
        return false;
    // Private to the writer where the file's owner, group and mode cannot all be carried
    // (another person's file): never readable by more people than the file.
    const bool kept = flock(copy, LOCK_EX | LOCK_NB) == 0
        && (FileAttributes::carryOver(file, old, copy) || fchmod(copy, 0600) == 0)
        && copyBytes(file, copy, m_length) && fsync(copy) == 0;
    if (!kept) {
        MarkedFiles::removeIfStill(folder, *copyName, copy);
        ::close(copy);
        return false;
    }
    MarkedFiles::syncFolder(folder);
    m_copy = copy;
    m_folder = folder;
    m_copyName = *copyName;
    return true;
}

bool KeptContent::takeInMemory(int file)
{
    m_copy = memfd_create("korvale-kept", MFD_CLOEXEC);
    if (m_copy >= 0 && copyBytes(file, m_copy, m_length))
        return true;
    const int error = errno;
    if (m_copy >= 0)
        ::close(m_copy);
    m_copy = -1;
    errno = error;
    return false;
}

bool KeptContent::putBack(int file) const { return m_copy >= 0 && copyOver(m_copy, file, m_length); }

void KeptContent::release()
{
    if (m_place == Place::BesideTheFile)
        MarkedFiles::removeIfStill(m_folder, m_copyName, m_copy);
    if (m_copy >= 0)
        ::close(m_copy);
    m_copy = -1;
    m_place = Place::Nowhere;
}

KeptContent::Restore KeptContent::restoreLeftover(int folder, const QByteArray& name)
{
    const std::optional<QByteArray> copyName = MarkedFiles::keptCopyName(name);
    Leftover leftover;
    if (!copyName || !findLeftover(folder, name, *copyName, leftover))
        return Restore::NothingLeft;
    const bool putBack = putLeftoverBack(folder, name, *copyName, leftover);
    ::close(leftover.copy);
    return putBack ? Restore::Restored : Restore::Failed;
}

void KeptContent::removeLeftover(int folder, const QByteArray& name)
{
    const std::optional<QByteArray> copyName = MarkedFiles::keptCopyName(name);
    Leftover leftover;
    if (!copyName || !findLeftover(folder, name, *copyName, leftover))
        return;
    MarkedFiles::removeIfStill(folder, *copyName, leftover.copy);
    ::close(leftover.copy);
}
