#include "platform/filereplacement.h"

#include <QLoggingCategory>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Why a write failed in the host's own words: the status line gives the reason a user can
// act on, this the exact one (QT_LOGGING_RULES="korvale.files.debug=true").
Q_LOGGING_CATEGORY(filesLog, "korvale.files", QtWarningMsg)

// Short, so that a name as long as the file system allows still has room beside it.
QByteArray temporaryName()
{
    static constexpr char kCharacters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name(".Korvale");
    for (int i = 0; i < 8; ++i)
        name += kCharacters[QRandomGenerator::global()->bounded(int(sizeof kCharacters) - 1)];
    return name;
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

} // namespace

FileReplacement::FileReplacement(const QByteArray& folderHostPath, const QByteArray& name, InPlace inPlace)
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
    open(inPlace);
}

FileReplacement::~FileReplacement()
{
    discard();
    if (m_folder >= 0)
        ::close(m_folder);
}

bool FileReplacement::open(InPlace inPlace)
{
    struct stat existing;
    const bool exists = fstatat(m_folder, m_name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT) {
        fail(errno);
        return false;
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        m_failure = WriteFailure::NotARegularFile;
        return false;
    }
    // A file the user made read-only is kept, though its folder would let it be replaced.
    if (exists && faccessat(m_folder, m_name.constData(), W_OK, AT_EACCESS) != 0) {
        fail(errno);
        return false;
    }
    const bool mayWriteInPlace = exists && inPlace == InPlace::Allowed;
    if (mayWriteInPlace && renameRefusedInStickyFolder(existing))
        return openInPlace();
    if (openTemporary(exists ? &existing : nullptr))
        return true;
    if (mayWriteInPlace && isRefusal(errno))
        return openInPlace();
    fail(errno);
    return false;
}

bool FileReplacement::openTemporary(const struct stat* existing)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QByteArray name = temporaryName();
        const int file = openat(m_folder, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (file >= 0) {
            m_file = file;
            m_temporaryName = name;
            // The old file's rights carry over; a new file takes the user's umask.
            if (existing)
                fchmod(file, existing->st_mode & 0777);
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

// In a sticky folder only the owner of a file (or of the folder) may replace it, so the
// rename would fail after the whole list was written.
bool FileReplacement::renameRefusedInStickyFolder(const struct stat& existing) const
{
    struct stat folder;
    if (fstat(m_folder, &folder) != 0)
        return false;
    const uid_t me = geteuid();
    return (folder.st_mode & S_ISVTX) != 0 && existing.st_uid != me && folder.st_uid != me && me != 0;
}

bool FileReplacement::openInPlace()
{
    const int file = openat(m_folder, m_name.constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (file < 0) {
        fail(errno);
        return false;
    }
    struct stat info;
    if (fstat(file, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(file);
        m_failure = WriteFailure::NotARegularFile;
        return false;
    }
    if (ftruncate(file, 0) != 0) {
        fail(errno);
        ::close(file);
        return false;
    }
    m_file = file;
    m_inPlace = true;
    return true;
}

bool FileReplacement::write(QByteArrayView bytes)
{
    if (m_file < 0 || m_failure != WriteFailure::None)
        return false;
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
    // The disk starts on these bytes while the caller makes the next ones, so the sync at
    // the end waits for little. Only a hint: the sync still decides.
    sync_file_range(m_file, m_written, bytes.size(), SYNC_FILE_RANGE_WRITE);
    m_written += bytes.size();
    return true;
}

bool FileReplacement::commit()
{
    if (m_file < 0 || m_failure != WriteFailure::None) {
        discard();
        return false;
    }
    const int file = m_file;
    m_file = -1;
    // Some file systems report a failed write only at the sync or the close.
    const bool synced = fsync(file) == 0;
    const int syncError = errno;
    const bool closed = ::close(file) == 0;
    if (!synced || !closed) {
        fail(!synced ? syncError : errno);
        discard();
        return false;
    }
    if (!m_inPlace) {
        if (renameat(m_folder, m_temporaryName.constData(), m_folder, m_name.constData()) != 0) {
            fail(errno);
            discard();
            return false;
        }
        m_temporaryName.clear();
    }
    // The new name must survive a power cut too; a folder that cannot be synced is no failure.
    const int folder = openat(m_folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        ::close(folder);
    }
    return true;
}

void FileReplacement::fail(int error)
{
    if (m_failure != WriteFailure::None)
        return;
    qCDebug(filesLog) << "writing" << m_name << "failed:" << qt_error_string(error);
    m_failure = failureOf(error);
}

void FileReplacement::discard()
{
    if (m_file >= 0) {
        ::close(m_file);
        m_file = -1;
    }
    if (!m_temporaryName.isEmpty()) {
        unlinkat(m_folder, m_temporaryName.constData(), 0);
        m_temporaryName.clear();
    }
}
