#pragma once

#include <QByteArray>
#include <QList>

#include <chrono>
#include <optional>

// The desktop's share helper shows each share it has connected as one folder inside a
// single FUSE mount (gvfs under /run/user/UID/gvfs): a share comes and goes without a
// mount of its own, so the folder itself is looked at.
class ShareFolder {
public:
    // The host paths of the shares in folder, sorted; none when it cannot be read. It may
    // stall as long as the helper does: call it off the window's thread.
    static QList<QByteArray> shares(const QByteArray& folder);

    // The same, waiting at most limit; nothing when the helper did not answer in time.
    static std::optional<QList<QByteArray>> sharesWithin(const QByteArray& folder, std::chrono::milliseconds limit);
};
