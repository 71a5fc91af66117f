#include "drives/drivetable.h"

#include "drives/hosthome.h"
#include "mounts/mounttable.h"
#include "mounts/sharefolder.h"
#include "text/namecodec.h"

#include <QLoggingCategory>

#include <unistd.h>

namespace {

// Which host folder each letter stands for (QT_LOGGING_RULES="korvale.drives.debug=true").
Q_LOGGING_CATEGORY(drivesLog, "korvale.drives", QtWarningMsg)

// The host's table as it was at the first look is never changed; a thread that installs
// another table sees only its own, so a run on a thread of its own shares no drive table
// that the window's thread could change under it.
const DriveTable& hostTable()
{
    static const DriveTable table = DriveTable::forThisHost();
    return table;
}

thread_local std::optional<DriveTable> installedTable;

// Shares the desktop's helper holds at start; one that does not answer at once is taken
// up by the window's watch later.
QList<QByteArray> volumesMountedNow()
{
    const MountTable mounts = MountTable::read();
    QList<QByteArray> shares;
    if (const std::optional<QByteArray> shareFolder = mounts.shareFolder(getuid()))
        shares = ShareFolder::sharesWithin(*shareFolder, std::chrono::milliseconds(300)).value_or(shares);
    return mounts.volumeMountPoints(shares);
}

QByteArray withoutTrailingSlash(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

} // namespace

DriveTable::DriveTable(QList<Drive> drives)
    : m_drives(std::move(drives))
{
    for (Drive& drive : m_drives) {
        drive.letter = drive.letter.toUpper();
        drive.hostRoot = withoutTrailingSlash(drive.hostRoot);
    }
}

DriveTable DriveTable::forThisHost() { return forHost(HostHome::folder(), volumesMountedNow()); }

DriveTable DriveTable::forHost(const QByteArray& homeFolder, const QList<QByteArray>& volumeMountPoints)
{
    QList<Drive> drives{{u'C', homeFolder}};
    char letter = 'D';
    for (const QByteArray& mountPoint : volumeMountPoints) {
        if (letter > 'Y')
            break;
        drives.append({QChar(letter++), mountPoint});
    }
    drives.append({u'Z', "/"});
    for (const Drive& drive : drives)
        qCDebug(drivesLog).nospace() << drive.letter << ": " << drive.hostRoot;
    return DriveTable(drives);
}

const DriveTable& DriveTable::active() { return installedTable ? *installedTable : hostTable(); }

void DriveTable::setActive(DriveTable table) { installedTable = std::move(table); }

const DriveTable::Drive* DriveTable::find(QChar letter) const
{
    const QChar upper = letter.toUpper();
    for (const Drive& drive : m_drives) {
        if (drive.letter == upper)
            return &drive;
    }
    return nullptr;
}

std::optional<QByteArray> DriveTable::hostRoot(QChar letter) const
{
    const Drive* drive = find(letter);
    return drive && drive->present ? std::optional(drive->hostRoot) : std::nullopt;
}

std::optional<QByteArray> DriveTable::hostPathOf(const WindowsPath& path) const
{
    const Drive* drive = find(path.drive());
    if (!drive || !drive->present)
        return std::nullopt;
    // Room for the longest encoding up front: this runs several times per folder of a walk.
    qsizetype length = drive->hostRoot.size() + path.names().size();
    for (const QString& name : path.names())
        length += 3 * name.size();
    QByteArray host;
    host.reserve(length);
    host.append(drive->hostRoot);
    for (const QString& name : path.names()) {
        if (!host.endsWith('/'))
            host.append('/');
        NameCodec::appendEncoded(name, host);
    }
    return host;
}

std::optional<WindowsPath> DriveTable::windowsPathOf(const QByteArray& hostPath) const
{
    const QByteArray host = withoutTrailingSlash(hostPath);
    const Drive* best = nullptr;
    for (const Drive& drive : m_drives) {
        if (drive.present && MountTable::isInOrBelow(host, drive.hostRoot) && (!best || drive.hostRoot.size() > best->hostRoot.size()))
            best = &drive;
    }
    if (!best)
        return std::nullopt;
    WindowsPath path = WindowsPath::root(best->letter);
    const QByteArray rest = host.mid(best->hostRoot == "/" ? 1 : best->hostRoot.size() + 1);
    for (const QByteArray& name : rest.split('/')) {
        if (!name.isEmpty())
            path = path.child(NameCodec::decode(name));
    }
    return path;
}
