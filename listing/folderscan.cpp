#include "listing/folderscan.h"

#include "platform/hostdirectory.h"
#include "platform/mounttable.h"
#include "platform/namecodec.h"

#include <algorithm>
#include <cstring>

namespace {

using EntryKind = HostDirectory::EntryKind;

// Room for the names of most folders at once, so the list rarely grows name by name.
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

void noteOutcome(HostDirectory::Outcome outcome, FolderScan& scan)
{
    scan.complete = outcome == HostDirectory::Outcome::Complete;
    scan.isFolder = outcome != HostDirectory::Outcome::NoFolder;
}

bool isPseudoMount(const QByteArray& folder, std::string_view name)
{
    QByteArray child = folder;
    if (!child.endsWith('/'))
        child.append('/');
    child.append(name.data(), qsizetype(name.size()));
    return MountTable::system().isPseudoMountPoint(child);
}

} // namespace

bool FolderScan::canStandInPath(QStringView name)
{
    for (QChar c : name) {
        if (c == u'\\' || c == u'\n' || c == u'\r')
            return false;
    }
    return true;
}

FolderScan FolderScan::subfolders(const QByteArray& hostPath)
{
    FolderScan scan;
    scan.names.reserve(kExpectedNames);
    const bool mayHoldPseudoMounts = MountTable::system().hasPseudoMountBelow(hostPath);
    const auto outcome = HostDirectory::readFolder(hostPath, [&](std::string_view name, EntryKind kind) {
        if (kind != EntryKind::Folder || name.front() == '.')
            return;
        if (mayHoldPseudoMounts && isPseudoMount(hostPath, name))
            return;
        QString decoded = NameCodec::decode(name.data(), qsizetype(name.size()));
        if (!canStandInPath(decoded)) {
            ++scan.leftOut;
            return;
        }
        scan.names.append(std::move(decoded));
    }, HostDirectory::Wanted::FoldersOnly);
    noteOutcome(outcome, scan);
    sortByName(scan.names);
    return scan;
}

FolderScan FolderScan::files(const QByteArray& hostPath, const FilePattern& pattern)
{
    FolderScan scan;
    scan.names.reserve(kExpectedNames);
    const auto outcome = HostDirectory::readFolder(hostPath, [&](std::string_view name, EntryKind kind) {
        if (kind != EntryKind::File || name.front() == '.')
            return;
        QString decoded = NameCodec::decode(name.data(), qsizetype(name.size()));
        if (!pattern.matches(decoded))
            return;
        if (!canStandInPath(decoded)) {
            ++scan.leftOut;
            return;
        }
        scan.names.append(std::move(decoded));
    });
    noteOutcome(outcome, scan);
    sortByName(scan.names);
    return scan;
}
