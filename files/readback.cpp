#include "files/readback.h"

#include <QByteArray>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The length as the file system has it now: a FUSE or network file system is asked again
// instead of answering from the attributes cached at the last write.
bool lengthIs(int file, off_t length)
{
    struct statx info;
    if (statx(file, "", AT_EMPTY_PATH | AT_STATX_FORCE_SYNC, STATX_SIZE, &info) == 0)
        return off_t(info.stx_size) == length;
    struct stat fallback;
    return fstat(file, &fallback) == 0 && fallback.st_size == length;
}

} // namespace

namespace ReadBack {

bool holds(int file, off_t length, QByteArrayView tail)
{
    if (!lengthIs(file, length) || tail.size() > length)
        return false;
    const off_t start = length - off_t(tail.size());
    posix_fadvise(file, start, off_t(tail.size()), POSIX_FADV_DONTNEED);
    QByteArray read(tail.size(), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < read.size()) {
        const ssize_t got = pread(file, read.data() + done, size_t(read.size() - done), start + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += got;
    }
    return read == tail;
}

} // namespace ReadBack
