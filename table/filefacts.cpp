#include "table/filefacts.h"

#include "drives/drivetable.h"
#include "listing/listbox.h"
#include "process/helperthread.h"
#include "process/processors.h"
#include "text/namecodec.h"
#include "walk/folderhandles.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
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

// From this many files a second thread looks at half of them: below, starting it costs more
// than it saves.
constexpr qsizetype kEntriesWorthASecondReader = 20000;

// The facts of the rows from first to end, in order; done is told how many now and then.
FileFacts::Read readRows(ListBox& entries, qsizetype first, qsizetype end, const FileFacts::Progress& done,
                         const std::stop_token& stop)
{
    FileFacts::Read result;
    result.facts.reserve(size_t(end - first));
    FolderHandles handles;
    OpenFolder folder;
    quint32 head = 0;
    std::string name;
    for (qsizetype i = first; i < end; ++i) {
        if (stop.stop_requested()) {
            result.stopped = true;
            return result;
        }
        if (done && (i - first) % kProgressEvery == 0)
            done(i - first);
        const ListBox::EncodedItem entry = entries.encodedItem(i);
        if (i == first || entry.head != head) {
            head = entry.head;
            folder = openHead(handles, entry.headText);
        }
        name.assign(entry.rest.data(), size_t(entry.rest.size()));
        const FileFact fact = folder.handle ? factAt(folder.handle->descriptor(), name.c_str()) : missing(folder.state);
        result.gone += fact.state == FileFact::State::Gone;
        result.unreadable += fact.state == FileFact::State::Unreadable;
        result.facts.push_back(fact);
    }
    return result;
}

} // namespace

// Each file costs a call into the kernel that mostly looks its name up: where a second
// processor may be used, a helper looks at the second half of the list while this thread
// looks at the first, and the count told is both together.
FileFacts::Read FileFacts::read(ListBox& entries, const Progress& progress, const std::stop_token& stop)
{
    const qsizetype count = entries.ListCount(); // the list is sorted before any thread reads it
    const qsizetype half = count / 2;
    std::atomic<qsizetype> secondDone = 0;
    Read second;
    HelperThread helper;
    if (count >= kEntriesWorthASecondReader && Processors::usable() > 1)
        helper.start("korvale-facts", [&, drives = DriveTable::active()] {
            // The helper sees the drives this thread sees: the table is kept per thread.
            DriveTable::setActive(drives);
            second = readRows(entries, half, count, [&](qsizetype done) { secondDone = done; }, stop);
        });
    const bool split = helper.joinable();
    Read result = readRows(entries, 0, split ? half : count, [&](qsizetype done) {
        if (progress)
            progress(done + secondDone);
    }, stop);
    helper.join();
    if (split) {
        result.stopped = result.stopped || second.stopped;
        if (!result.stopped)
            result.facts.insert(result.facts.end(), second.facts.begin(), second.facts.end());
        result.gone += second.gone;
        result.unreadable += second.unreadable;
    }
    if (progress && !result.stopped)
        progress(count);
    return result;
}
