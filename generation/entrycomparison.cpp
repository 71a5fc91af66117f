#include "generation/entrycomparison.h"

#include "drives/drivetable.h"
#include "drives/hostlocation.h"
#include "drives/windowspath.h"
#include "listing/listbox.h"
#include "text/namecodec.h"
#include "text/windows1252.h"

#include <QPointer>

namespace {

QByteArray inCodePage(QStringView text)
{
    QByteArray bytes;
    Windows1252::append(text, bytes);
    return bytes;
}

QStringView withoutDrive(QStringView path)
{
    return path.size() >= 2 && path[1] == u':' ? path.sliced(2) : path;
}

// The bytes a comparison is told of a path: below the root, drive letter aside.
ListComparison::Setup setupFor(const EntryComparison::Where& where)
{
    const QStringView newRoot = withoutDrive(where.newRoot);
    const QStringView own = withoutDrive(where.ownEntry);
    ListComparison::Setup setup;
    setup.newRoot = inCodePage(newRoot);
    setup.oldRoot = inCodePage(where.oldRoot);
    if (!own.isEmpty())
        setup.ownEntry = inCodePage(own.startsWith(newRoot) ? own.sliced(newRoot.size()) : own);
    return setup;
}

} // namespace

EntryComparison::EntryComparison(ListBox& entries, const Where& where, const OldContent& old, off_t entriesLength,
                                 std::function<bool()> stopRequested, EachChange each)
    : m_entries(entries)
    , m_newRoot(where.newRoot)
    , m_each(std::move(each))
    , m_oldLines(old, entriesLength)
    , m_comparison(m_oldLines, setupFor(where), [this](const ListComparison::Difference& difference) { take(difference); },
                   std::move(stopRequested))
{
    // Named by the thread that asks, in its drives, as long as the list is there.
    m_changes.nameRowsBy([list = QPointer<ListBox>(&entries)](qsizetype row) -> std::optional<ListChanges::Entry> {
        if (!list || row >= list->ListCount())
            return std::nullopt;
        return namedNew(*list, row);
    });
}

void EntryComparison::take(const ListComparison::Difference& difference)
{
    if (m_each) {
        const ListChanges::Entry entry = named(difference);
        m_each(difference.kind, entry);
        m_changes.add(difference.kind, [&entry] { return entry; });
    } else if (difference.kind == ListChanges::Kind::New) {
        m_changes.addRow(difference.row);
    } else {
        m_changes.add(difference.kind, [this, &difference] { return named(difference); });
    }
}

// A new entry as the result list has it; an old one where it would stand in the folder
// now, or, outside the folder the old list was made of, as the old list wrote it.
ListChanges::Entry EntryComparison::named(const ListComparison::Difference& difference) const
{
    if (difference.kind == ListChanges::Kind::New)
        return namedNew(m_entries, difference.row);
    const QString written = Windows1252::decode(difference.path);
    const QString path = difference.outsideRoot ? written : m_newRoot + written;
    const std::optional<QByteArray> host = difference.outsideRoot ? std::nullopt : HostLocation::pathOf(path);
    return {path, host.value_or(path.toUtf8())};
}

ListChanges::Entry EntryComparison::namedNew(ListBox& entries, qsizetype row)
{
    const QString entry = entries.List(row);
    return {Windows1252::displayText(entry), HostLocation::pathOf(entry).value_or(entry.toUtf8())};
}

EntryComparison::Where EntryComparison::forRun(const QString& sourceFolder, const QString& listFile)
{
    const std::optional<WindowsPath> source = WindowsPath::parse(sourceFolder);
    const QString drive = source ? source->toString().left(2) : sourceFolder.left(2);
    return {drive, QString(), entryOf(sourceFolder, HostLocation::pathOf(listFile).value_or(QByteArray()))};
}

QString EntryComparison::entryOf(const QString& sourceFolder, const QByteArray& hostPath)
{
    const std::optional<WindowsPath> source = WindowsPath::parse(sourceFolder);
    const std::optional<QByteArray> sourceHost = source ? DriveTable::active().hostPathOf(*source) : std::nullopt;
    if (!sourceHost)
        return QString();
    const QByteArray folder = sourceHost->endsWith('/') ? *sourceHost : *sourceHost + '/';
    if (!hostPath.startsWith(folder))
        return QString();
    QString entry = source->toString();
    for (const QByteArray& name : hostPath.sliced(folder.size()).split('/')) {
        if (name.isEmpty())
            continue;
        const QString decoded = NameCodec::decode(name);
        if (name == "." || name == ".." || decoded.contains(u'\\') || decoded.contains(u'\n') || decoded.contains(u'\r'))
            return QString();
        entry = WindowsPath::joinName(entry, decoded);
    }
    return entry;
}
