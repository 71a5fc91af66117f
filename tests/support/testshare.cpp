#include "support/testshare.h"

#ifdef KORVALE_TEST_FUSE

#define FUSE_USE_VERSION 312
#include <fuse_lowlevel.h>

#include <csignal>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr double kCacheSeconds = 1.0;
// Long names fill a listing that never ends quickly.
constexpr int kEndlessNameLength = 200;

struct Node {
    enum class Kind { Folder, File, Link };
    QByteArray name;
    fuse_ino_t parent;
    Kind kind;
    QByteArray target;
    std::vector<fuse_ino_t> children;
};

} // namespace

struct TestShare::Server {
    std::vector<Node> nodes; // node n is inode n + 1; the root is inode 1
    Faults faults;
    fuse_ino_t stalled = 0;
    fuse_ino_t endless = 0;
    QByteArray mountPoint;
    pid_t server = -1;
    bool mounted = false;
    std::vector<fuse_req_t> held;

    Node& node(fuse_ino_t ino) { return nodes[ino - 1]; }

    fuse_ino_t child(fuse_ino_t parent, const QByteArray& name)
    {
        for (const fuse_ino_t candidate : node(parent).children) {
            if (node(candidate).name == name)
                return candidate;
        }
        return 0;
    }

    fuse_ino_t add(fuse_ino_t parent, const QByteArray& name, Node::Kind kind, const QByteArray& target = {})
    {
        if (const fuse_ino_t existing = child(parent, name))
            return existing;
        nodes.push_back({name, parent, kind, target, {}});
        const fuse_ino_t made = nodes.size();
        node(parent).children.push_back(made);
        return made;
    }

    // "a/b/c": the folders a and b are made on the way; 0 for the root itself.
    fuse_ino_t folderOf(const QByteArray& path, bool make)
    {
        fuse_ino_t at = FUSE_ROOT_ID;
        for (const QByteArray& name : path.split('/')) {
            if (name.isEmpty())
                continue;
            at = make ? add(at, name, Node::Kind::Folder) : child(at, name);
            if (at == 0)
                return 0;
        }
        return at;
    }

    void build(const QList<QByteArray>& entries)
    {
        nodes.push_back({"", FUSE_ROOT_ID, Node::Kind::Folder, {}, {}});
        for (const QByteArray& entry : entries) {
            const qsizetype arrow = entry.indexOf(" -> ");
            const QByteArray path = arrow >= 0 ? entry.left(arrow) : entry;
            if (path.endsWith('/')) {
                folderOf(path, true);
                continue;
            }
            const qsizetype cut = path.lastIndexOf('/');
            const fuse_ino_t parent = folderOf(cut >= 0 ? path.left(cut) : QByteArray(), true);
            add(parent, path.mid(cut + 1), arrow >= 0 ? Node::Kind::Link : Node::Kind::File,
                arrow >= 0 ? entry.mid(arrow + 4) : QByteArray());
        }
        if (!faults.stalledFolder.isEmpty())
            stalled = folderOf(faults.stalledFolder, true);
        if (!faults.endlessFolder.isEmpty())
            endless = folderOf(faults.endlessFolder, true);
    }

    bool isStalled(fuse_ino_t ino)
    {
        for (fuse_ino_t at = ino; stalled != 0; at = node(at).parent) {
            if (at == stalled)
                return true;
            if (at == FUSE_ROOT_ID)
                break;
        }
        return false;
    }

    // A request of a folder that never answers waits until the share goes.
    bool holdIfStalled(fuse_req_t request, fuse_ino_t ino)
    {
        if (!isStalled(ino))
            return false;
        held.push_back(request);
        return true;
    }

    struct stat attributesOf(fuse_ino_t ino)
    {
        struct stat attributes{};
        const Node& of = node(ino);
        attributes.st_ino = of.kind == Node::Kind::Folder && faults.sameInodeForEveryFolder ? 1 : ino;
        switch (of.kind) {
        case Node::Kind::Folder:
            attributes.st_mode = S_IFDIR | 0755;
            attributes.st_nlink = 2;
            break;
        case Node::Kind::File:
            attributes.st_mode = S_IFREG | 0644;
            attributes.st_nlink = 1;
            break;
        case Node::Kind::Link:
            attributes.st_mode = S_IFLNK | 0777;
            attributes.st_nlink = 1;
            attributes.st_size = of.target.size();
            break;
        }
        return attributes;
    }

    static Server& of(fuse_req_t request) { return *static_cast<Server*>(fuse_req_userdata(request)); }

    static void lookup(fuse_req_t request, fuse_ino_t parent, const char* name)
    {
        Server& server = of(request);
        if (server.holdIfStalled(request, parent))
            return;
        const fuse_ino_t found = server.child(parent, name);
        if (found == 0) {
            fuse_reply_err(request, ENOENT);
            return;
        }
        fuse_entry_param entry{};
        entry.ino = found;
        entry.attr = server.attributesOf(found);
        entry.attr_timeout = kCacheSeconds;
        entry.entry_timeout = kCacheSeconds;
        fuse_reply_entry(request, &entry);
    }

    static void getattr(fuse_req_t request, fuse_ino_t ino, fuse_file_info*)
    {
        Server& server = of(request);
        if (server.holdIfStalled(request, ino))
            return;
        const struct stat attributes = server.attributesOf(ino);
        fuse_reply_attr(request, &attributes, kCacheSeconds);
    }

    static void readlink(fuse_req_t request, fuse_ino_t ino)
    {
        fuse_reply_readlink(request, of(request).node(ino).target.constData());
    }

    static void opendir(fuse_req_t request, fuse_ino_t ino, fuse_file_info* info)
    {
        if (!of(request).holdIfStalled(request, ino))
            fuse_reply_open(request, info);
    }

    // Offsets count entries: ".", "..", then the children in the order they were made.
    static void readdir(fuse_req_t request, fuse_ino_t ino, size_t size, off_t offset, fuse_file_info*)
    {
        Server& server = of(request);
        if (server.holdIfStalled(request, ino))
            return;
        std::string buffer(size, '\0');
        size_t used = 0;
        const Node& folder = server.node(ino);
        for (off_t at = offset;; ++at) {
            QByteArray name;
            fuse_ino_t named = ino;
            if (at == 0) {
                name = ".";
            } else if (at == 1) {
                name = "..";
                named = folder.parent;
            } else if (ino == server.endless) {
                name = "n" + QByteArray::number(qint64(at)).rightJustified(kEndlessNameLength, 'x');
            } else if (size_t(at - 2) < folder.children.size()) {
                named = folder.children[size_t(at - 2)];
                name = server.node(named).name;
            } else {
                break;
            }
            struct stat kind{};
            kind.st_ino = ino == server.endless && at > 1 ? ino_t(at + 1000000) : server.attributesOf(named).st_ino;
            kind.st_mode = ino == server.endless && at > 1 ? S_IFREG : server.attributesOf(named).st_mode;
            const size_t needed = fuse_add_direntry(request, buffer.data() + used, size - used, name.constData(),
                                                    &kind, at + 1);
            if (needed > size - used)
                break;
            used += needed;
        }
        fuse_reply_buf(request, buffer.data(), used);
    }

    // Mounts and serves until the process ends; tells ready whether the share is mounted.
    [[noreturn]] void serve(int ready)
    {
        fuse_lowlevel_ops operations{};
        operations.lookup = lookup;
        operations.getattr = getattr;
        operations.readlink = readlink;
        operations.opendir = opendir;
        operations.readdir = readdir;
        char program[] = "korvale-test";
        char option[] = "-o";
        char mountOptions[] = "ro,allow_other,fsname=korvale-test,subtype=korvale-test";
        char* arguments[] = {program, option, mountOptions, nullptr};
        fuse_args args = FUSE_ARGS_INIT(3, arguments);
        fuse_session* session = fuse_session_new(&args, &operations, sizeof(operations), this);
        const char isMounted = session && fuse_session_mount(session, mountPoint.constData()) == 0 ? 1 : 0;
        const bool told = write(ready, &isMounted, 1) == 1;
        close(ready);
        if (isMounted && told)
            fuse_session_loop(session);
        _exit(0);
    }

    // The server is a process of its own: a request it holds must never wait on a thread
    // of the process that asked, or killing that process would leave it stuck for good.
    // It dies with the test's process, and the kernel then fails whatever was held.
    bool start()
    {
        int ready[2];
        if (pipe2(ready, O_CLOEXEC) != 0)
            return false;
        const pid_t parent = getpid();
        server = fork();
        if (server == 0) {
            close(ready[0]);
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent)
                _exit(0);
            serve(ready[1]);
        }
        close(ready[1]);
        char answer = 0;
        const bool heard = server > 0 && read(ready[0], &answer, 1) == 1;
        close(ready[0]);
        return heard && answer == 1;
    }

    ~Server()
    {
        if (server > 0) {
            kill(server, SIGKILL);
            waitpid(server, nullptr, 0);
        }
        if (mounted)
            umount2(mountPoint.constData(), MNT_DETACH);
    }
};

TestShare::TestShare(const QByteArray& mountPoint, const QList<QByteArray>& entries, const Faults& faults)
    : m_server(std::make_unique<Server>())
{
    m_server->faults = faults;
    m_server->mountPoint = mountPoint;
    m_server->build(entries);
    if (unavailableReason().isEmpty())
        m_server->mounted = m_server->start();
}

QByteArray TestShare::unavailableReason()
{
    if (geteuid() != 0)
        return "serving a test share takes root";
    if (access("/dev/fuse", R_OK | W_OK) != 0)
        return "no /dev/fuse here";
    return {};
}

// Never kill(-1): that would stop every process there is.
void TestShare::freeze()
{
    if (m_server->server > 0)
        kill(m_server->server, SIGSTOP);
}

void TestShare::thaw()
{
    if (m_server->server > 0)
        kill(m_server->server, SIGCONT);
}

#else

struct TestShare::Server {};

void TestShare::freeze() {}

void TestShare::thaw() {}

TestShare::TestShare(const QByteArray&, const QList<QByteArray>&, const Faults&) {}

QByteArray TestShare::unavailableReason() { return "built without libfuse3 (Debian: libfuse3-dev, fuse3)"; }

#endif

TestShare::TestShare(const QByteArray& mountPoint, const QList<QByteArray>& entries)
    : TestShare(mountPoint, entries, Faults())
{
}

TestShare::~TestShare() = default;

bool TestShare::mounted() const
{
#ifdef KORVALE_TEST_FUSE
    return m_server->mounted;
#else
    return false;
#endif
}
