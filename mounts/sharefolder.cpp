#include "mounts/sharefolder.h"

#include "process/stallablecall.h"

#include <algorithm>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Far more than there are letters: a helper that reports more is not believed further.
constexpr qsizetype kMostShares = 256;

} // namespace

QList<QByteArray> ShareFolder::shares(const QByteArray& folder)
{
    QList<QByteArray> found;
    const int descriptor = open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return found;
    alignas(dirent64) char buffer[8192];
    ssize_t filled;
    while (found.size() < kMostShares && (filled = getdents64(descriptor, buffer, sizeof buffer)) > 0) {
        for (ssize_t offset = 0; offset < filled && found.size() < kMostShares;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + offset);
            offset += entry->d_reclen;
            const bool folderLike = entry->d_type == DT_DIR || entry->d_type == DT_UNKNOWN;
            if (folderLike && entry->d_name[0] != '.')
                found.append(folder + '/' + entry->d_name);
        }
    }
    close(descriptor);
    std::sort(found.begin(), found.end());
    return found;
}

std::optional<QList<QByteArray>> ShareFolder::sharesWithin(const QByteArray& folder, std::chrono::milliseconds limit)
{
    auto found = std::make_shared<QList<QByteArray>>();
    const StallableCall call([folder, found] { *found = shares(folder); });
    if (!call.waitFor(limit))
        return std::nullopt;
    return *found;
}
