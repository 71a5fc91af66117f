#include "walk/folderhandles.h"

#include "drives/drivetable.h"
#include "text/namecodec.h"

#include <algorithm>
#include <utility>
#include <cerrno>
#include <chrono>
#include <climits>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Reach = FolderHandles::Reach;

bool isOutOfDescriptors(int error) { return error == EMFILE || error == ENFILE; }

Reach reachOfError(int error)
{
    switch (error) {
    case ENOENT:
        return Reach::Missing;
    case ENOTDIR:
    case ELOOP: // a link that leads to itself, or one where a folder was asked for
        return Reach::NotAFolder;
    case EMFILE:
    case ENFILE:
        return Reach::NoDescriptor;
    default:
        return Reach::Blocked;
    }
}

FolderHandles::Standing standingOfMode(mode_t mode)
{
    if (S_ISDIR(mode))
        return FolderHandles::Standing::Folder;
    if (S_ISREG(mode))
        return FolderHandles::Standing::File;
    return FolderHandles::Standing::Other;
}

} // namespace

FolderHandles::FolderHandles(qsizetype capacity)
    : m_capacity(std::max<qsizetype>(capacity, kFewestKept))
{
    m_held.reserve(m_capacity);
}

// A folder without the right to read it may still be passed on the way to one below it.
// A link is followed; where the kernel refuses to follow it (protected_symlinks), the
// folder counts as one that cannot be read.
FolderHandles::Opening FolderHandles::openOnce(int parent, const char* name)
{
    const int readable = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (readable >= 0)
        return {readable, true, 0};
    const int error = errno;
    if (error != EACCES)
        return {-1, false, error};
    const int passable = ::openat(parent, name, O_PATH | O_DIRECTORY | O_CLOEXEC);
    return passable >= 0 ? Opening{passable, false, 0} : Opening{-1, false, error};
}

FolderHandles::Opening FolderHandles::openFolder(int parent, const char* name)
{
    Opening opened = openOnce(parent, name);
    for (int attempt = 1; attempt < kOpenAttempts && isOutOfDescriptors(opened.error); ++attempt) {
        giveBack();
        std::this_thread::sleep_for(std::chrono::milliseconds(1 << (2 * attempt)));
        opened = openOnce(parent, name);
    }
    m_ranOut = m_ranOut || isOutOfDescriptors(opened.error);
    return opened;
}

// The limit was reached although the walk's budget kept below it: others use more than
// was left for them, so fewer folders are kept from now on.
void FolderHandles::giveBack()
{
    std::erase_if(m_held, [this](const HeldFolder& held) {
        if (held.use_count() > 1)
            return false;
        m_givenUp.insert(held->text, held->identity);
        return true;
    });
    m_capacity = std::max<qsizetype>(m_capacity / 2, kFewestKept);
    if (m_giveBack)
        m_giveBack();
}

FolderHandles::HeldFolder FolderHandles::find(QStringView text)
{
    // Newest first: the folder asked for is nearly always one just opened.
    for (auto held = m_held.rbegin(); held != m_held.rend(); ++held) {
        if ((*held)->text.size() == text.size() && (*held)->text == text) {
            (*held)->lastUse = ++m_uses;
            return *held;
        }
    }
    return nullptr;
}

FolderHandles::HeldFolder FolderHandles::keep(QString text, int descriptor, bool readable, Identity identity)
{
    if (qsizetype(m_held.size()) >= m_capacity) {
        const auto oldest = std::min_element(m_held.begin(), m_held.end(), [](const HeldFolder& a, const HeldFolder& b) {
            return a->lastUse < b->lastUse;
        });
        m_givenUp.insert((*oldest)->text, (*oldest)->identity);
        m_held.erase(oldest);
    }
    return m_held.emplace_back(
        std::make_shared<Held>(Held{std::move(text), Handle(descriptor), readable, identity, ++m_uses, false}));
}

FolderHandles::HeldFolder FolderHandles::keepOpened(QString text, int descriptor, bool readable)
{
    const std::optional<Identity> identity = identityOf(descriptor);
    const auto before = m_givenUp.constFind(text);
    if (!identity || (before != m_givenUp.cend() && *before != *identity)) {
        ::close(descriptor);
        return nullptr;
    }
    if (before != m_givenUp.cend())
        m_givenUp.erase(before);
    return keep(std::move(text), descriptor, readable, *identity);
}

FolderHandles::Folder FolderHandles::handOut(const Way& way)
{
    if (!way.held)
        return {nullptr, way.failure, false, {}};
    if (!way.held->readable)
        return {nullptr, Reach::Blocked, false, {}};
    const bool fresh = !std::exchange(way.held->handedOut, true);
    return {handleOf(way.held), Reach::Opened, fresh, way.held->identity};
}

// The handle lives as long as its held folder, which stays while anyone holds either.
std::shared_ptr<const FolderHandles::Handle> FolderHandles::handleOf(const HeldFolder& held)
{
    return held ? std::shared_ptr<const Handle>(held, &held->handle) : nullptr;
}

FolderHandles::Folder FolderHandles::open(const WindowsPath& path)
{
    return open(path, path.toString());
}

FolderHandles::Folder FolderHandles::open(const WindowsPath& path, const QString& pathText)
{
    return handOut(wayTo(path, pathText));
}

FolderHandles::Way FolderHandles::wayTo(const WindowsPath& path, const QString& text)
{
    if (HeldFolder held = find(text))
        return {std::move(held)};
    const QStringList& names = path.names();
    qsizetype reached = names.size() - 1;
    HeldFolder current;
    for (; reached >= 0 && !current; --reached)
        current = find(QStringView(text).left(path.headTextLength(reached)));
    reached += current ? 1 : 0;
    if (!current) {
        const std::optional<QByteArray> root = DriveTable::active().hostRoot(path.drive());
        if (!root)
            return {nullptr, Reach::NoDrive};
        // The drive's own folder may be a link (a home folder under /var/home): it is the
        // table's choice, so it is followed.
        const Opening opened = openFolder(AT_FDCWD, root->constData());
        if (opened.descriptor < 0)
            return {nullptr, reachOfError(opened.error)};
        current = keepOpened(text.left(3), opened.descriptor, opened.readable);
        reached = 0;
    }
    QByteArray name;
    for (; current && reached < names.size(); ++reached) {
        name.clear();
        NameCodec::appendEncoded(names[reached], name);
        const Opening opened = openFolder(current->handle.descriptor(), name.constData());
        if (opened.descriptor < 0)
            return {nullptr, reachOfError(opened.error)};
        current = keepOpened(text.left(path.headTextLength(reached + 1)), opened.descriptor, opened.readable);
    }
    return {current, Reach::Missing};
}

std::optional<FolderHandles::Identity> FolderHandles::identityOf(int descriptor)
{
    struct stat info;
    if (::fstat(descriptor, &info) != 0)
        return std::nullopt;
    return Identity{info.st_dev, info.st_ino};
}

std::vector<FolderHandles::Identity> FolderHandles::identitiesOnWay(const WindowsPath& path)
{
    std::vector<Identity> identities;
    WindowsPath folder = WindowsPath::root(path.drive());
    for (qsizetype depth = 0;; ++depth) {
        const Way way = wayTo(folder, folder.toString());
        if (!way.held)
            break;
        identities.push_back(way.held->identity);
        if (depth == path.names().size())
            break;
        folder = folder.child(path.names()[depth]);
    }
    return identities;
}

FolderHandles::Look FolderHandles::look(QStringView pathText, bool followLink)
{
    // A walk asks about the subfolders of one folder in a row: its handle is kept, and the
    // name is looked at without taking the path apart.
    const std::optional<WindowsPath::LastName> last = WindowsPath::splitLastName(pathText);
    if (const HeldFolder parent = last ? find(last->parentText) : nullptr)
        return lookAt(parent->handle.descriptor(), NameCodec::encode(last->name), followLink);
    const std::optional<WindowsPath> path = WindowsPath::parse(pathText);
    return path ? look(*path, followLink) : Look{};
}

FolderHandles::Look FolderHandles::look(const WindowsPath& path, bool followLink)
{
    const bool isRoot = path.isRoot();
    const WindowsPath& holder = isRoot ? path : path.parent();
    const Way way = wayTo(holder, holder.toString());
    if (!way.held)
        return {way.failure == Reach::Blocked ? Standing::Unknown : Standing::Missing, {}};
    if (!isRoot)
        return lookAt(way.held->handle.descriptor(), NameCodec::encode(path.names().constLast()), followLink);
    struct stat info;
    if (::fstat(way.held->handle.descriptor(), &info) != 0)
        return {Standing::Unknown, {}};
    return {standingOfMode(info.st_mode), Identity{info.st_dev, info.st_ino}};
}

FolderHandles::Handle::~Handle()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

std::shared_ptr<const FolderHandles::Handle> FolderHandles::share(const WindowsPath& path, const QString& pathText)
{
    return handleOf(wayTo(path, pathText).held);
}

std::shared_ptr<const FolderHandles::Handle> FolderHandles::reopen(const WindowsPath& path, Identity expected)
{
    const QString text = path.toString();
    const QStringList& names = path.names();
    qsizetype reached = names.size();
    HeldFolder base;
    for (; reached >= 0 && !base; --reached)
        base = find(QStringView(text).left(path.headTextLength(reached)));
    reached = base ? reached + 1 : 0; // the names that base stands for
    if (base && reached == names.size())
        return base->identity == expected ? handleOf(base) : nullptr;
    QByteArray rest;
    if (!base) {
        const std::optional<QByteArray> root = DriveTable::active().hostRoot(path.drive());
        if (!root)
            return nullptr;
        rest = *root;
    }
    for (qsizetype i = reached; i < names.size(); ++i) {
        if (!rest.isEmpty() && !rest.endsWith('/'))
            rest += '/';
        NameCodec::appendEncoded(names[i], rest);
    }
    // A path the kernel would refuse as too long goes name by name.
    if (rest.size() >= PATH_MAX) {
        const HeldFolder held = wayTo(path, text).held;
        return held && held->identity == expected ? handleOf(held) : nullptr;
    }
    // Links on the way are followed as when the folder was first opened; the identity
    // check below refuses any other folder than that one.
    const int descriptor = ::openat(base ? base->handle.descriptor() : AT_FDCWD, rest.constData(),
                                    O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    if (identityOf(descriptor) != expected) {
        ::close(descriptor);
        return nullptr;
    }
    return std::make_shared<const Handle>(descriptor);
}

FolderHandles::Opened FolderHandles::openBelow(const Handle& parent, const QByteArray& name, bool notThroughLink)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (notThroughLink ? O_NOFOLLOW : 0);
    const int descriptor = ::openat(parent.descriptor(), name.constData(), flags);
    return {Handle(descriptor), descriptor >= 0 ? Reach::Opened : reachOfError(errno)};
}

FolderHandles::Look FolderHandles::lookAt(int parent, const QByteArray& name, bool followLink)
{
    struct stat info;
    if (::fstatat(parent, name.constData(), &info, followLink ? 0 : AT_SYMLINK_NOFOLLOW) != 0)
        return {errno == ENOENT || errno == ENOTDIR ? Standing::Missing : Standing::Unknown, {}};
    return {standingOfMode(info.st_mode), Identity{info.st_dev, info.st_ino}};
}
