// A file system that shows a folder of this machine as a slow file server would: every
// request that reaches it is passed to the folder below and answered a fixed time late,
// with up to a given number of requests served at once. The share benchmark walks it to
// see how a walk copes with round trips it cannot avoid. Read-only.
//
//   slowshare SOURCE MOUNTPOINT [--delay-ms N] [--max-threads N]
//
// It stays in the foreground until it is unmounted or gets SIGTERM/SIGINT.

#define FUSE_USE_VERSION 312
#include <fuse_lowlevel.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::chrono::microseconds g_delay{2000};
// The kernel keeps names and attributes for this long; every run mounts afresh, so
// nothing carries over from one run to the next.
constexpr double kCacheSeconds = 60.0;

// One object of the folder below, held open (O_PATH) for as long as the kernel knows it.
struct Node {
    int fd = -1;
    dev_t device = 0;
    ino_t inode = 0;
    std::uint64_t lookups = 0;
};

std::mutex g_nodesMutex;
std::map<std::pair<dev_t, ino_t>, Node*> g_nodes;
Node g_root;

Node& nodeOf(fuse_ino_t ino)
{
    return ino == FUSE_ROOT_ID ? g_root : *reinterpret_cast<Node*>(ino);
}

void answerLate()
{
    std::this_thread::sleep_for(g_delay);
}

void lookup(fuse_req_t req, fuse_ino_t parent, const char* name)
{
    answerLate();
    fuse_entry_param entry{};
    entry.attr_timeout = kCacheSeconds;
    entry.entry_timeout = kCacheSeconds;
    const int fd = openat(nodeOf(parent).fd, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 || fstatat(fd, "", &entry.attr, AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW) != 0) {
        const int error = errno;
        if (fd >= 0)
            close(fd);
        fuse_reply_err(req, error);
        return;
    }
    Node* node;
    {
        const std::lock_guard lock(g_nodesMutex);
        Node*& known = g_nodes[{entry.attr.st_dev, entry.attr.st_ino}];
        if (!known) {
            known = new Node{fd, entry.attr.st_dev, entry.attr.st_ino, 0};
        } else {
            close(fd);
        }
        ++known->lookups;
        node = known;
    }
    entry.ino = reinterpret_cast<fuse_ino_t>(node);
    fuse_reply_entry(req, &entry);
}

void forgetOne(fuse_ino_t ino, std::uint64_t lookups)
{
    if (ino == FUSE_ROOT_ID)
        return;
    const std::lock_guard lock(g_nodesMutex);
    Node* node = &nodeOf(ino);
    node->lookups -= std::min(lookups, node->lookups);
    if (node->lookups == 0) {
        g_nodes.erase({node->device, node->inode});
        close(node->fd);
        delete node;
    }
}

void forget(fuse_req_t req, fuse_ino_t ino, std::uint64_t lookups)
{
    forgetOne(ino, lookups);
    fuse_reply_none(req);
}

void forgetMulti(fuse_req_t req, size_t count, fuse_forget_data* forgets)
{
    for (size_t i = 0; i < count; ++i)
        forgetOne(forgets[i].ino, forgets[i].nlookup);
    fuse_reply_none(req);
}

void getattr(fuse_req_t req, fuse_ino_t ino, fuse_file_info*)
{
    answerLate();
    struct stat attributes{};
    if (fstatat(nodeOf(ino).fd, "", &attributes, AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW) != 0)
        fuse_reply_err(req, errno);
    else
        fuse_reply_attr(req, &attributes, kCacheSeconds);
}

// An open folder: where the last answer ended, and the entry that no longer fitted in it.
struct OpenFolder {
    DIR* stream = nullptr;
    off_t offset = 0;
    dirent* pending = nullptr;
};

void opendir(fuse_req_t req, fuse_ino_t ino, fuse_file_info* info)
{
    answerLate();
    const int fd = openat(nodeOf(ino).fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* stream = fd < 0 ? nullptr : fdopendir(fd);
    if (!stream) {
        const int error = errno;
        if (fd >= 0)
            close(fd);
        fuse_reply_err(req, error);
        return;
    }
    info->fh = reinterpret_cast<std::uint64_t>(new OpenFolder{stream, 0, nullptr});
    fuse_reply_open(req, info);
}

void readdir(fuse_req_t req, fuse_ino_t, size_t size, off_t offset, fuse_file_info* info)
{
    answerLate();
    auto& folder = *reinterpret_cast<OpenFolder*>(info->fh);
    if (offset != folder.offset) {
        seekdir(folder.stream, offset);
        folder.offset = offset;
        folder.pending = nullptr;
    }
    std::string buffer(size, '\0');
    size_t used = 0;
    for (;;) {
        errno = 0;
        dirent* entry = folder.pending ? folder.pending : ::readdir(folder.stream);
        if (!entry) {
            if (errno != 0 && used == 0) {
                fuse_reply_err(req, errno);
                return;
            }
            break;
        }
        struct stat kind{};
        kind.st_ino = entry->d_ino;
        kind.st_mode = mode_t(entry->d_type) << 12;
        const size_t needed = fuse_add_direntry(req, buffer.data() + used, size - used, entry->d_name, &kind, entry->d_off);
        if (needed > size - used) {
            folder.pending = entry;
            break;
        }
        used += needed;
        folder.offset = entry->d_off;
        folder.pending = nullptr;
    }
    fuse_reply_buf(req, buffer.data(), used);
}

void releasedir(fuse_req_t req, fuse_ino_t, fuse_file_info* info)
{
    answerLate();
    auto* folder = reinterpret_cast<OpenFolder*>(info->fh);
    closedir(folder->stream);
    delete folder;
    fuse_reply_err(req, 0);
}

void open(fuse_req_t req, fuse_ino_t ino, fuse_file_info* info)
{
    answerLate();
    if ((info->flags & O_ACCMODE) != O_RDONLY) {
        fuse_reply_err(req, EROFS);
        return;
    }
    const std::string path = "/proc/self/fd/" + std::to_string(nodeOf(ino).fd);
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        fuse_reply_err(req, errno);
        return;
    }
    info->fh = std::uint64_t(fd);
    fuse_reply_open(req, info);
}

void read(fuse_req_t req, fuse_ino_t, size_t size, off_t offset, fuse_file_info* info)
{
    answerLate();
    std::string buffer(size, '\0');
    const ssize_t got = pread(int(info->fh), buffer.data(), size, offset);
    if (got < 0)
        fuse_reply_err(req, errno);
    else
        fuse_reply_buf(req, buffer.data(), size_t(got));
}

void release(fuse_req_t req, fuse_ino_t, fuse_file_info* info)
{
    answerLate();
    close(int(info->fh));
    fuse_reply_err(req, 0);
}

int usage()
{
    std::fprintf(stderr, "usage: slowshare SOURCE MOUNTPOINT [--delay-ms N] [--max-threads N]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return usage();
    const char* source = argv[1];
    const char* mountPoint = argv[2];
    unsigned maxThreads = 64;
    for (int i = 3; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--delay-ms") == 0)
            g_delay = std::chrono::microseconds(std::llround(std::atof(argv[i + 1]) * 1000));
        else if (std::strcmp(argv[i], "--max-threads") == 0)
            maxThreads = unsigned(std::max(1, std::atoi(argv[i + 1])));
        else
            return usage();
    }
    g_root.fd = ::open(source, O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (g_root.fd < 0) {
        std::perror(source);
        return 1;
    }

    fuse_lowlevel_ops operations{};
    operations.lookup = lookup;
    operations.forget = forget;
    operations.forget_multi = forgetMulti;
    operations.getattr = getattr;
    operations.opendir = opendir;
    operations.readdir = readdir;
    operations.releasedir = releasedir;
    operations.open = open;
    operations.read = read;
    operations.release = release;

    char program[] = "slowshare";
    char option[] = "-o";
    char mountOptions[] = "ro,fsname=slowshare,subtype=slowshare";
    char* arguments[] = {program, option, mountOptions, nullptr};
    fuse_args args = FUSE_ARGS_INIT(3, arguments);
    fuse_session* session = fuse_session_new(&args, &operations, sizeof(operations), nullptr);
    if (!session)
        return 1;
    int status = 1;
    if (fuse_set_signal_handlers(session) == 0) {
        if (fuse_session_mount(session, mountPoint) == 0) {
            fuse_loop_config* config = fuse_loop_cfg_create();
            fuse_loop_cfg_set_max_threads(config, maxThreads);
            // Threads that have served stay for the next request, as a server's would.
            fuse_loop_cfg_set_idle_threads(config, maxThreads);
            status = fuse_session_loop_mt(session, config) == 0 ? 0 : 1;
            fuse_loop_cfg_destroy(config);
            fuse_session_unmount(session);
        }
        fuse_remove_signal_handlers(session);
    }
    fuse_session_destroy(session);
    return status;
}
