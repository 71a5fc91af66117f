#pragma once

#include "drives/windowspath.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <sys/types.h>

// Open folders, reached by their Windows-style paths. Only a drive's own host folder is
// opened by its host path; every folder below it is opened relative to its parent's
// handle, one name at a time. So a path of any depth can be reached and the kernel never
// resolves a long path. A link that leads to a folder is followed, as a person who named
// it expects; which folder a path led to is noted at its first open, and a path opened
// again leads there or nowhere, so a folder swapped for a link to elsewhere in between is
// not taken for the one read before.
//
// The handles used last are kept, a bounded number of them: a breadth-first walk meets
// the folders of one parent in a row, and a folder whose handle was given up is reopened
// from its nearest kept ancestor.
class FolderHandles {
public:
    enum class Reach {
        Opened,
        Missing,    // nothing of that name, or a folder on the way is gone or another now
        NotAFolder, // a file, a link to one or a system entry stands there
        Blocked,    // it is there but cannot be opened (no right to enter, a failing device)
        NoDrive,    // no path, or a drive the table does not hold
        NoDescriptor, // the process may open no more files, even after giving back its own
    };

    // Which folder a handle or a name stands for: a folder swapped for another under the
    // same name is told apart from the one read before.
    struct Identity {
        dev_t device = 0;
        ino_t inode = 0;
        friend bool operator==(const Identity&, const Identity&) = default;
    };

    // An open folder, closed once nobody holds it any more: these handles, a caller reading
    // it or a walk's readers, which look and open below it (never read it) on threads of
    // their own. So a descriptor stays open as long as its Handle is held, however these
    // handles move on.
    class Handle {
    public:
        explicit Handle(int descriptor = -1)
            : m_descriptor(descriptor)
        {
        }
        Handle(Handle&& other) noexcept
            : m_descriptor(std::exchange(other.m_descriptor, -1))
        {
        }
        Handle& operator=(Handle&&) = delete;
        ~Handle();
        int descriptor() const { return m_descriptor; }

    private:
        int m_descriptor;
    };

    // A folder opened for reading. It is fresh when nobody has had it before, so reading it
    // starts at its first entry.
    struct Folder {
        std::shared_ptr<const Handle> handle; // only when opened
        Reach reach = Reach::Missing;
        bool fresh = false;
        Identity identity; // when opened
    };

    explicit FolderHandles(qsizetype capacity = kDefaultCapacity);
    FolderHandles(const FolderHandles&) = delete;
    FolderHandles& operator=(const FolderHandles&) = delete;

    Folder open(const WindowsPath& path);
    // pathText must be path.toString().
    Folder open(const WindowsPath& path, const QString& pathText);

    static std::optional<Identity> identityOf(int descriptor);
    // The folders from the drive root down to the path's own, as far as they can be opened.
    std::vector<Identity> identitiesOnWay(const WindowsPath& path);

    // What stands under a path, looked at from its parent without opening it; links are
    // followed only when asked, as the old platform's attribute query did.
    enum class Standing { Folder, File, Other, Missing, Unknown };
    struct Look {
        Standing standing = Standing::Missing;
        Identity identity;
    };
    Look look(const WindowsPath& path, bool followLink);
    // The same for a path's text; cheap when its parent's handle is kept.
    Look look(QStringView pathText, bool followLink);
    Standing standing(const WindowsPath& path, bool followLink) { return look(path, followLink).standing; }
    // The same for a name in an open folder.
    static Look lookAt(int parent, const QByteArray& name, bool followLink);

    // The folder for other threads; nothing when it cannot be reached.
    std::shared_ptr<const Handle> share(const WindowsPath& path, const QString& pathText);
    // The same for a folder read before as that one: opened in one step from its nearest
    // kept ancestor, without keeping the folders between, and only when it is still the
    // folder read then. Opened only as a place to open and look below, never for reading:
    // on a share that spares the server the round trips of opening a folder.
    std::shared_ptr<const Handle> reopen(const WindowsPath& path, Identity expected);

    // The folder of that name below parent, opened for one read; only where it is a folder
    // itself, not a link to one, when asked.
    struct Opened {
        Handle handle;
        Reach reach = Reach::Missing;
    };
    static Opened openBelow(const Handle& parent, const QByteArray& name, bool notThroughLink = false);

    // Where the process may open no more files, a folder is opened again after the handles
    // are given back: those kept here that nobody else holds, and what giveBack frees (held
    // by others), a few times, waiting a little longer each time for other threads to close
    // theirs. From then on fewer are kept.
    void onOutOfDescriptors(std::function<void()> giveBack) { m_giveBack = std::move(giveBack); }
    // An open failed for want of descriptors even so.
    bool ranOutOfDescriptors() const { return m_ranOut; }

    static constexpr qsizetype kDefaultCapacity = 32;
    // A walk needs the folder it reads and the one it reads it from.
    static constexpr qsizetype kFewestKept = 2;
    static constexpr int kOpenAttempts = 5;

private:
    // A folder that may be passed but not read (no read right) is held for the way only.
    struct Held {
        QString text;
        Handle handle;
        bool readable;
        Identity identity;
        std::uint64_t lastUse;
        bool handedOut = false;
    };
    // Shared, so that a folder given up while someone still uses it stays open for them.
    using HeldFolder = std::shared_ptr<Held>;
    struct Way {
        HeldFolder held;
        Reach failure = Reach::Missing;
    };

    struct Opening {
        int descriptor;
        bool readable;
        int error;
    };
    static Opening openOnce(int parent, const char* name);
    Opening openFolder(int parent, const char* name);
    void giveBack();

    HeldFolder find(QStringView text);
    HeldFolder keep(QString text, int descriptor, bool readable, Identity identity);
    // Nothing, with the descriptor closed, when the path leads to another folder than at
    // its first open.
    HeldFolder keepOpened(QString text, int descriptor, bool readable);
    Way wayTo(const WindowsPath& path, const QString& text);
    static Folder handOut(const Way& way);
    static std::shared_ptr<const Handle> handleOf(const HeldFolder& held);

    std::vector<HeldFolder> m_held;
    // What the folders given up led to, for the check when they are opened again.
    QHash<QString, Identity> m_givenUp;
    qsizetype m_capacity;
    std::uint64_t m_uses = 0;
    std::function<void()> m_giveBack;
    bool m_ranOut = false;
};
