#include "files/markedfiles.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kTemporaryMarker[] = ".Korvale~neu~";
constexpr char kKeptCopyMarker[] = ".Korvale~alt~";
constexpr qsizetype kRandomLength = 8;
constexpr char kRandomCharacters[] = "abcdefghijklmnopqrstuvwxyz0123456789";

bool isRandomCharacter(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

// A write changes its temporary file's content as it goes; nothing else changes it.
bool isStale(const struct stat& info) { return time(nullptr) - info.st_mtime >= MarkedFiles::kStaleAfterSeconds; }

} // namespace

namespace MarkedFiles {

// Short, so that a name as long as the file system allows still has room beside it.
QByteArray temporaryName()
{
    QByteArray name(kTemporaryMarker);
    for (qsizetype i = 0; i < kRandomLength; ++i)
        name += kRandomCharacters[QRandomGenerator::global()->bounded(int(sizeof kRandomCharacters) - 1)];
    return name;
}

bool isTemporaryName(QByteArrayView name)
{
    constexpr qsizetype markerLength = sizeof kTemporaryMarker - 1;
    if (name.size() != markerLength + kRandomLength || !name.startsWith(kTemporaryMarker))
        return false;
    const QByteArrayView random = name.sliced(markerLength);
    return std::all_of(random.begin(), random.end(), isRandomCharacter);
}

std::optional<QByteArray> keptCopyName(QByteArrayView fileName)
{
    QByteArray name = kKeptCopyMarker + fileName.toByteArray();
    if (name.size() > NAME_MAX)
        return std::nullopt;
    return name;
}

// Looked at before it is opened, since opening a device can do something.
int openUnused(int folder, const QByteArray& name, struct stat& info)
{
    struct stat named;
    if (fstatat(folder, name.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(named.st_mode))
        return -1;
    const int file = openat(folder, name.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (file < 0)
        return -1;
    if (fstat(file, &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink != 1 || info.st_ino != named.st_ino
        || info.st_dev != named.st_dev || flock(file, LOCK_EX | LOCK_NB) != 0) {
        ::close(file);
        return -1;
    }
    return file;
}

bool removeIfStill(int folder, const QByteArray& name, int file)
{
    struct stat named;
    struct stat opened;
    if (fstatat(folder, name.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0 || fstat(file, &opened) != 0
        || named.st_dev != opened.st_dev || named.st_ino != opened.st_ino)
        return false;
    if (unlinkat(folder, name.constData(), 0) != 0)
        return false;
    syncFolder(folder);
    return true;
}

void removeStaleTemporaries(int folder)
{
    const int listing = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0)
        return;
    DIR* entries = fdopendir(listing);
    if (!entries) {
        ::close(listing);
        return;
    }
    while (const dirent* entry = readdir(entries)) {
        const QByteArray name(entry->d_name);
        if (!isTemporaryName(name))
            continue;
        struct stat info;
        const int file = openUnused(folder, name, info);
        if (file < 0)
            continue;
        if (info.st_uid == geteuid() && isStale(info))
            removeIfStill(folder, name, file);
        ::close(file);
    }
    closedir(entries);
}

void syncFolder(int folder)
{
    const int handle = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle >= 0) {
        fsync(handle);
        ::close(handle);
    }
}

} // namespace MarkedFiles
