#include "listing/folderscan.h"

#include "platform/hostdirectory.h"
#include "platform/mounttable.h"
#include "platform/namecodec.h"

#include <algorithm>

namespace {

using EntryKind = HostDirectory::EntryKind;

void sortByName(QStringList& names)
{
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = QString::compare(a, b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
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
    const bool mayHoldPseudoMounts = MountTable::system().hasPseudoMountBelow(hostPath);
    scan.complete = HostDirectory::read(hostPath, [&](std::string_view name, EntryKind kind) {
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
    });
    sortByName(scan.names);
    return scan;
}

FolderScan FolderScan::files(const QByteArray& hostPath, const FilePattern& pattern)
{
    FolderScan scan;
    scan.complete = HostDirectory::read(hostPath, [&](std::string_view name, EntryKind kind) {
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
    sortByName(scan.names);
    return scan;
}
