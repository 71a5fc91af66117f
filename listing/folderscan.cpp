#include "listing/folderscan.h"

#include "platform/folderhandles.h"
#include "platform/hostdirectory.h"
#include "platform/hostfolder.h"
#include "platform/namecodec.h"

#include <algorithm>
#include <cstring>

namespace {

using EntryKind = HostDirectory::EntryKind;

// Room for the names of most folders at once, so the lists rarely grow name by name.
constexpr qsizetype kExpectedNames = 64;

char16_t lowerAscii(char16_t unit) { return unit >= u'A' && unit <= u'Z' ? unit + 32 : unit; }

// Names of one folder often begin alike, and identical units are equal however letter
// case is counted: they are skipped four at a time.
qsizetype identicalPrefix(const QString& a, const QString& b, qsizetype common)
{
    const char16_t* x = QStringView(a).utf16();
    const char16_t* y = QStringView(b).utf16();
    qsizetype i = 0;
    for (; i + 4 <= common; i += 4) {
        quint64 fourOfA, fourOfB;
        std::memcpy(&fourOfA, x + i, sizeof fourOfA);
        std::memcpy(&fourOfB, y + i, sizeof fourOfB);
        if (fourOfA != fourOfB)
            break;
    }
    while (i < common && x[i] == y[i])
        ++i;
    return i;
}

// Letter case not counted, ties broken case-sensitively. Most names are ASCII; those are
// compared directly, and only from the first other character on does the full case
// folding run.
bool nameLess(const QString& a, const QString& b)
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = identicalPrefix(a, b, common); i < common; ++i) {
        const char16_t x = a[i].unicode();
        const char16_t y = b[i].unicode();
        if (x >= 0x80 || y >= 0x80) {
            const int folded = QStringView(a).mid(i).compare(QStringView(b).mid(i), Qt::CaseInsensitive);
            return folded != 0 ? folded < 0 : a < b;
        }
        if (lowerAscii(x) != lowerAscii(y))
            return lowerAscii(x) < lowerAscii(y);
    }
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

void sortByName(QStringList& names) { std::sort(names.begin(), names.end(), nameLess); }

// A folder that is there but cannot be opened is still a folder: it is entered, lists
// nothing and says that it could not be read.
bool isUnopenableFolder(FolderHandles& handles, const WindowsPath& path, FolderHandles::Reach reach)
{
    return reach == FolderHandles::Reach::Blocked
        && handles.standing(path, false) == FolderHandles::Standing::Folder;
}

} // namespace

FolderScan FolderScan::read(FolderHandles& handles, const WindowsPath& path)
{
    return read(handles, path, path.toString());
}

FolderScan FolderScan::read(FolderHandles& handles, const WindowsPath& path, const QString& pathText)
{
    return fromEntries(readEntries(handles, path, pathText));
}

FolderScan::Entries FolderScan::readEntries(FolderHandles& handles, const WindowsPath& path, const QString& pathText)
{
    Entries entries;
    const FolderHandles::Folder folder = handles.open(path, pathText);
    if (folder.reach != FolderHandles::Reach::Opened) {
        entries.isFolder = isUnopenableFolder(handles, path, folder.reach);
        return entries;
    }
    entries.isFolder = true;
    entries.identity = FolderHandles::identityOf(folder.descriptor);
    if (!entries.identity)
        return entries;
    const auto start = folder.fresh ? HostDirectory::Start::Fresh : HostDirectory::Start::Rewind;
    const auto outcome = HostDirectory::readFolder(folder.descriptor, entries.identity->device, start,
                                                   [&](std::string_view name, EntryKind kind) {
        if ((kind != EntryKind::File && kind != EntryKind::Folder) || name.front() == '.')
            return;
        entries.visible.append(kind == EntryKind::Folder ? 'd' : 'f');
        entries.visible.append(name.data(), qsizetype(name.size()));
        entries.visible.append('\0');
    });
    entries.complete = outcome == HostDirectory::Outcome::Complete;
    return entries;
}

FolderScan FolderScan::fromEntries(const Entries& entries)
{
    FolderScan scan;
    scan.isFolder = entries.isFolder;
    scan.complete = entries.complete;
    scan.identity = entries.identity;
    scan.files.reserve(kExpectedNames);
    const char* entry = entries.visible.constData();
    const char* const end = entry + entries.visible.size();
    while (entry < end) {
        const bool isFolder = *entry++ == 'd';
        const qsizetype length = qsizetype(std::strlen(entry));
        QString decoded = NameCodec::decode(entry, length);
        entry += length + 1;
        const bool writable = HostFolder::canStandInPath(decoded);
        if (isFolder) {
            if (writable)
                scan.folders.append(std::move(decoded));
            else
                ++scan.leftOutFolders;
        } else {
            (writable ? scan.files : scan.unwritableFiles).append(std::move(decoded));
        }
    }
    sortByName(scan.folders);
    sortByName(scan.files);
    return scan;
}

FolderScan::MatchingFiles FolderScan::filesMatching(const FilePattern& pattern) const
{
    MatchingFiles matching;
    // Most patterns take every name ("*.*"): then the list is shared, not copied.
    const auto firstMiss = std::find_if(files.cbegin(), files.cend(),
                                        [&](const QString& name) { return !pattern.matches(name); });
    if (firstMiss == files.cend()) {
        matching.names = files;
    } else {
        matching.names.reserve(files.size());
        std::copy(files.cbegin(), firstMiss, std::back_inserter(matching.names));
        std::copy_if(firstMiss + 1, files.cend(), std::back_inserter(matching.names),
                     [&](const QString& name) { return pattern.matches(name); });
    }
    matching.leftOut = std::count_if(unwritableFiles.cbegin(), unwritableFiles.cend(),
                                     [&](const QString& name) { return pattern.matches(name); });
    return matching;
}
