#include "table/filefacts.h"

#include "listing/listbox.h"
#include "text/namecodec.h"
#include "walk/folderhandles.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>
#include <string>

namespace {

// Progress is told this often: often enough for a live count, rare enough to cost nothing.
constexpr qsizetype kProgressEvery = 1024;

FileFact missing(FileFact::State state) { return {0, 0, state}; }

// The folder an entry's head names ("C:\Daten\" or "C:\"), opened; its state tells why not.
struct OpenFolder {
    std::shared_ptr<const FolderHandles::Handle> handle;
    FileFact::State state = FileFact::State::Known;
};

OpenFolder openHead(FolderHandles& handles, QByteArrayView headText)
{
    QString text = NameCodec::decode(headText.data(), headText.size());
    if (text.size() > 3 && text.endsWith(u'\\'))
        text.chop(1);
    const std::optional<WindowsPath> path = WindowsPath::parse(text);
    if (!path)
        return {nullptr, FileFact::State::Gone};
    FolderHandles::Folder folder = handles.open(*path, path->toString());
    switch (folder.reach) {
    case FolderHandles::Reach::Opened:
        return {std::move(folder.handle), FileFact::State::Known};
    case FolderHandles::Reach::Blocked:
    case FolderHandles::Reach::NoDescriptor: // its files are there, only not to be looked at now
        return {nullptr, FileFact::State::Unreadable};
    case FolderHandles::Reach::Missing:
    case FolderHandles::Reach::NotAFolder:
    case FolderHandles::Reach::NoDrive:
        break;
    }
    return {nullptr, FileFact::State::Gone};
}

// Never mounts anything on the way (an automount point): only what is there is looked at.
FileFact factAt(int folder, const char* name)
{
    struct statx info;
    if (::statx(folder, name, AT_NO_AUTOMOUNT, STATX_TYPE | STATX_SIZE | STATX_MTIME, &info) != 0)
        return missing(errno == ENOENT || errno == ENOTDIR ? FileFact::State::Gone : FileFact::State::Unreadable);
    if (!S_ISREG(info.stx_mode))
        return missing(FileFact::State::Gone);
    return {qint64(info.stx_size), qint64(info.stx_mtime.tv_sec), FileFact::State::Known};
}

} // namespace

FileFacts::Read FileFacts::read(ListBox& entries, const Progress& progress, const std::stop_token& stop)
{
    Read result;
    const qsizetype count = entries.ListCount();
    result.facts.reserve(size_t(count));
    FolderHandles handles;
    OpenFolder folder;
    quint32 head = 0;
    std::string name;
    for (qsizetype i = 0; i < count; ++i) {
        if (stop.stop_requested()) {
            result.stopped = true;
            return result;
        }
        if (progress && i % kProgressEvery == 0)
            progress(i);
        const ListBox::EncodedItem entry = entries.encodedItem(i);
        if (i == 0 || entry.head != head) {
            head = entry.head;
            folder = openHead(handles, entry.headText);
        }
        name.assign(entry.rest.data(), size_t(entry.rest.size()));
        const FileFact fact = folder.handle ? factAt(folder.handle->descriptor(), name.c_str()) : missing(folder.state);
        result.gone += fact.state == FileFact::State::Gone;
        result.unreadable += fact.state == FileFact::State::Unreadable;
        result.facts.push_back(fact);
    }
    if (progress)
        progress(count);
    return result;
}
