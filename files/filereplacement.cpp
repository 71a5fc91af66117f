#include "files/filereplacement.h"

#include "files/fileattributes.h"
#include "files/markedfiles.h"
#include "files/readback.h"
#include "process/stallablecall.h"

#include <QLoggingCategory>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Why a write failed in the host's own words: the status line gives the reason a user can
// act on, this the exact one (QT_LOGGING_RULES="korvale.files.debug=true").
Q_LOGGING_CATEGORY(filesLog, "korvale.files", QtWarningMsg)

std::function<void()>& firstWriteHold()
{
    static std::function<void()> hold;
    return hold;
}

WriteFailure failureOf(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return WriteFailure::NoRight;
    case ENOENT:
    case ENOTDIR:
        return WriteFailure::FolderMissing;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return WriteFailure::DiskFull;
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ:
        return WriteFailure::InvalidName;
    case EISDIR:
    case ELOOP:
    case ENXIO:
        return WriteFailure::NotARegularFile;
    default:
        return WriteFailure::Other;
    }
}

bool isRefusal(int error) { return error == EACCES || error == EPERM; }

// What open() answers where a file system has no anonymous files: NFS, CIFS, FAT.
bool noAnonymousFiles(int error) { return error == EOPNOTSUPP || error == EISDIR || error == EINVAL; }

QByteArray procPath(int file) { return "/proc/self/fd/" + QByteArray::number(file); }

// A new file could not stand in for a file with another name: that one would go on showing
// the old content.
bool mayBeReplaced(const struct stat& old) { return old.st_nlink == 1; }

// The replaced list's blocks are freed when its last descriptor closes: 34 ms for a list of
// 150 MB on ext4, and on a share the close may wait for the server. A thread of its own
// closes it, so the run ends without waiting for either.
void closeOldFile(int file)
{
    const StallableCall closing([file] { ::close(file); });
    if (!closing.started())
        ::close(file);
}

} // namespace

FileReplacement::FileReplacement(const QByteArray& folderHostPath, const QByteArray& name)
    : m_name(name)
{
    if (name.isEmpty() || name == "." || name == ".." || name.contains('/') || name.contains('\0')) {
        m_failure = WriteFailure::InvalidName;
        return;
    }
    m_folder = ::open(folderHostPath.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0) {
        m_failure = isRefusal(errno) ? WriteFailure::NoRight : WriteFailure::FolderMissing;
        return;
    }
    MarkedFiles::removeStaleTemporaries(m_folder);
    m_leftover = KeptContent::restoreLeftover(m_folder, m_name);
    if (m_leftover == KeptContent::Restore::Failed)
        qCWarning(filesLog) << "the old content of" << m_name << "left by a write that never ended could not be put back";
    open();
}

FileReplacement::~FileReplacement()
{
    discard();
    if (m_folder >= 0)
        ::close(m_folder);
}

void FileReplacement::holdAfterFirstWrite(std::function<void()> hold) { firstWriteHold() = std::move(hold); }

void FileReplacement::open()
{
    struct stat existing;
    m_nameExisted = fstatat(m_folder, m_name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (!m_nameExisted && errno != ENOENT)
        return fail(errno);
    if (!m_nameExisted) {
        if (!openNew())
            fail(errno);
        return;
    }
    if (!S_ISREG(existing.st_mode)) {
        m_failure = WriteFailure::NotARegularFile;
        return;
    }
    // A file the user made read-only is kept, though its folder would let it be replaced.
    if (faccessat(m_folder, m_name.constData(), W_OK, AT_EACCESS) != 0)
        return fail(errno);
    const int oldFile = openat(m_folder, m_name.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (oldFile < 0)
        return fail(errno);
    struct stat old;
    if (fstat(oldFile, &old) != 0 || !S_ISREG(old.st_mode)) {
        ::close(oldFile);
        m_failure = WriteFailure::NotARegularFile;
        return;
    }
    openOver(oldFile, old);
}

// A new file where it can stand in for the old one, the old one itself otherwise.
void FileReplacement::openOver(int oldFile, const struct stat& old)
{
    if (mayBeReplaced(old)) {
        if (openNew()) {
            if (FileAttributes::carryOver(oldFile, old, m_file)) {
                m_oldFile = oldFile;
                m_oldLength = old.st_size;
                return;
            }
            discard();
        } else if (!isRefusal(errno)) {
            fail(errno);
            ::close(oldFile);
            return;
        }
    }
    m_file = oldFile;
    m_oldLength = old.st_size;
    m_mode = Mode::InPlace;
}

bool FileReplacement::openNew()
{
    return openAnonymous() || (noAnonymousFiles(errno) && openTemporary());
}

bool FileReplacement::openAnonymous()
{
    const int file = openat(m_folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (file < 0)
        return false;
    // The file gets its name through /proc; without it, it could never get one.
    if (faccessat(AT_FDCWD, procPath(file).constData(), F_OK, 0) != 0) {
        ::close(file);
        errno = EOPNOTSUPP;
        return false;
    }
    m_file = file;
    m_mode = Mode::Anonymous;
    return true;
}

// Locked while it is written, so that a later write into the folder never takes it for
// one left behind, however long this one takes.
bool FileReplacement::openTemporary()
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QByteArray name = MarkedFiles::temporaryName();
        const int file = openat(m_folder, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (file >= 0) {
            flock(file, LOCK_EX | LOCK_NB);
            m_file = file;
            m_temporaryName = name;
            m_mode = Mode::Temporary;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    return false;
}

bool FileReplacement::reserve(qint64 size)
{
    if (m_file < 0 || m_failure != WriteFailure::None)
        return false;
    if (m_mode != Mode::InPlace || m_reserved)
        return true;
    int reserved = 0;
    do
        reserved = size > 0 ? fallocate(m_file, FALLOC_FL_KEEP_SIZE, 0, size) : 0;
    while (reserved != 0 && errno == EINTR);
    // A file system that cannot reserve room is written all the same: the kept bytes go
    // back if it fills up.
    if (reserved != 0 && errno != EOPNOTSUPP && errno != ENOSYS) {
        fail(errno);
        return false;
    }
    struct stat old;
    if (fstat(m_file, &old) != 0 || !m_kept.take(m_folder, m_name, m_file, old)) {
        fail(errno);
        return false;
    }
    m_changing.emplace();
    m_reserved = true;
    return true;
}

bool FileReplacement::write(QByteArrayView bytes)
{
    if (m_file < 0 || m_failure != WriteFailure::None)
        return false;
    if (m_mode == Mode::InPlace && !m_reserved) {
        m_failure = WriteFailure::Other;
        return false;
    }
    m_writeBegun = true;
    if (m_mode == Mode::InPlace)
        keepTail(bytes);
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(m_file, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            fail(written < 0 ? errno : ENOSPC);
            return false;
        }
        data += written;
        left -= written;
    }
    // The disk starts on these bytes while the caller makes the next ones.
    if (m_startsDisk)
        startDiskOn(m_written, bytes.size());
    const bool first = m_written == 0 && !bytes.isEmpty();
    m_written += bytes.size();
    if (first && firstWriteHold())
        firstWriteHold()();
    return true;
}

void FileReplacement::startDiskOn(off_t offset, off_t length) const
{
    if (m_file >= 0)
        sync_file_range(m_file, offset, length, SYNC_FILE_RANGE_WRITE);
}

bool FileReplacement::commit()
{
    if (m_file < 0 || m_failure != WriteFailure::None) {
        discard();
        return false;
    }
    // Some file systems report a failed write only at the sync or the close.
    bool done = fsync(m_file) == 0;
    switch (m_mode) {
    case Mode::InPlace:
        done = done && ftruncate(m_file, m_written) == 0 && fsync(m_file) == 0;
        if (done && !ReadBack::holds(m_file, m_written, m_tail)) {
            done = false;
            errno = EIO;
        }
        break;
    case Mode::Anonymous:
        done = done && nameAnonymous();
        break;
    case Mode::Temporary:
        done = done && closeFile() && renameTemporary();
        break;
    case Mode::None:
        break;
    }
    if (!done) {
        fail(errno);
        discard();
        return false;
    }
    closeFile();
    if (m_mode == Mode::InPlace)
        m_kept.release();
    else
        MarkedFiles::syncFolder(m_folder);
    // The new content is complete: a copy of older bytes that could not be put back before
    // must never be put back over it.
    if (m_leftover == KeptContent::Restore::Failed)
        KeptContent::removeLeftover(m_folder, m_name);
    m_changing.reset();
    m_mode = Mode::None;
    return true;
}

OldContent FileReplacement::oldContent() const
{
    if (m_mode == Mode::InPlace)
        return m_kept.content();
    return {m_oldFile, m_oldLength};
}

void FileReplacement::keepTail(QByteArrayView bytes)
{
    if (bytes.size() >= ReadBack::kTailLength) {
        m_tail = bytes.last(ReadBack::kTailLength).toByteArray();
        return;
    }
    m_tail.append(bytes);
    if (m_tail.size() > ReadBack::kTailLength)
        m_tail.remove(0, m_tail.size() - ReadBack::kTailLength);
}

bool FileReplacement::renameTemporary()
{
    if (renameat(m_folder, m_temporaryName.constData(), m_folder, m_name.constData()) != 0)
        return false;
    m_temporaryName.clear();
    return true;
}

// Where no file has the name, the new one takes it at once; otherwise it gets a temporary
// name first, so that the old file is replaced in one step.
bool FileReplacement::nameAnonymous()
{
    if (!m_nameExisted && linkAnonymousAs(m_name))
        return true;
    if (!m_nameExisted && errno != EEXIST)
        return false;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QByteArray name = MarkedFiles::temporaryName();
        if (linkAnonymousAs(name)) {
            m_temporaryName = name;
            return renameTemporary();
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

// Through /proc, which any user may do; naming the handle itself needs a privilege.
bool FileReplacement::linkAnonymousAs(const QByteArray& name)
{
    return linkat(AT_FDCWD, procPath(m_file).constData(), m_folder, name.constData(), AT_SYMLINK_FOLLOW) == 0;
}

void FileReplacement::fail(int error)
{
    if (m_failure != WriteFailure::None)
        return;
    qCDebug(filesLog) << "writing" << m_name << "failed:" << qt_error_string(error);
    m_failure = failureOf(error);
}

// A copy of the old bytes that could not be put back stays beside the file, for the next
// write to put back.
void FileReplacement::discard()
{
    if (m_mode == Mode::InPlace) {
        if (m_writeBegun && !m_kept.putBack(m_file))
            qCWarning(filesLog) << "the old content of" << m_name << "could not be put back:" << qt_error_string(errno);
        else
            m_kept.release();
    }
    closeFile();
    if (!m_temporaryName.isEmpty()) {
        unlinkat(m_folder, m_temporaryName.constData(), 0);
        m_temporaryName.clear();
    }
    m_changing.reset();
    m_mode = Mode::None;
}

bool FileReplacement::closeFile()
{
    if (m_oldFile >= 0)
        closeOldFile(m_oldFile);
    m_oldFile = -1;
    if (m_file < 0)
        return true;
    const int file = m_file;
    m_file = -1;
    return ::close(file) == 0;
}
