#include "files/keptcontent.h"

#include <algorithm>
#include <cerrno>
#include <sys/mman.h>
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

} // namespace

KeptContent::~KeptContent()
{
    if (m_copy >= 0)
        ::close(m_copy);
}

bool KeptContent::take(int file, off_t length)
{
    if (length > kMaxLength) {
        errno = EFBIG;
        return false;
    }
    m_copy = memfd_create("korvale-kept", MFD_CLOEXEC);
    if (m_copy < 0)
        return false;
    m_length = length;
    return copyBytes(file, m_copy, length);
}

bool KeptContent::putBack(int file) const
{
    return m_copy >= 0 && copyBytes(m_copy, file, m_length) && ftruncate(file, m_length) == 0 && fsync(file) == 0;
}
