#include "commandline/folderargument.h"

#include "drives/drivetable.h"
#include "text/namecodec.h"
#include "walk/hostfolder.h"

#include <algorithm>

namespace {

using Failure = FolderArgument::Mapped::Failure;

bool startsWithDriveLetter(const QString& text)
{
    return text.size() >= 2 && text[1] == u':' && text[0].isLetter() && text[0].unicode() < 0x80;
}

// A path the file system resolved names folders as they are, not as links name them: a
// drive's folder is known by both names, so a home folder reached through a link
// (/home -> /var/home) holds C: either way.
DriveTable withResolvedRoots(const DriveTable& table)
{
    QList<DriveTable::Drive> drives = table.drives();
    for (const DriveTable::Drive& drive : table.drives()) {
        const std::optional<QByteArray> physical = HostFolder::physicalPath(drive.hostRoot);
        if (physical && *physical != drive.hostRoot)
            drives.append({drive.letter, *physical});
    }
    return DriveTable(drives);
}

FolderArgument::Mapped mapped(const std::optional<WindowsPath>& path)
{
    if (!path)
        return {{}, Failure::NoDrive};
    if (!HostFolder::canStandInPath(*path))
        return {{}, Failure::NameCannotStand};
    return {path->toString(), Failure::None};
}

} // namespace

FolderArgument::Mapped FolderArgument::toWindowsPath(const QString& text, const QByteArray& currentHostFolder,
                                                     const DriveTable& drives)
{
    if (startsWithDriveLetter(text)) {
        // A bare "D:" means the drive's root here: the command line has no current folder
        // per drive.
        return mapped(WindowsPath::parse(text.size() == 2 ? text + u'\\' : text));
    }
    // A name holding '\' cannot stand in the program's paths anyway, so a '\' here is a
    // separator typed out of habit ("Daten\2024").
    QString host = text;
    host.replace(u'\\', u'/');
    const std::optional<QByteArray> resolved = HostFolder::resolveTypedHostPath(NameCodec::encode(host), currentHostFolder);
    if (!resolved)
        return {{}, Failure::Unreachable};
    return mapped(withResolvedRoots(drives).windowsPathOf(*resolved));
}

QString FolderArgument::problemText(Mapped::Failure failure)
{
    switch (failure) {
    case Failure::NameCannotStand:
        return QStringLiteral("ein Ordnername darin enthält \\ oder einen Zeilenumbruch und lässt sich nicht als Pfad "
                              "schreiben.");
    case Failure::Unreachable:
        return QStringLiteral("der Pfad bis zum letzten .. führt zu keinem Ordner.");
    case Failure::NoFileName:
        return QStringLiteral("das nennt keine Datei.");
    case Failure::NoDrive:
    case Failure::None:
        break;
    }
    return QStringLiteral("kein Laufwerk enthält diesen Ordner.");
}

FolderArgument::MappedFile FolderArgument::fileToWindowsPath(const QString& text, const QByteArray& currentHostFolder)
{
    const qsizetype cut = std::max(text.lastIndexOf(u'/'), text.lastIndexOf(u'\\'));
    // "D:Liste.csv" stands in the root of D:, where a bare "D:" leads.
    const qsizetype nameStart = cut >= 0 ? cut + 1 : startsWithDriveLetter(text) ? 2 : 0;
    const QString name = text.mid(nameStart);
    if (name.isEmpty() || name == u"." || name == u"..")
        return {{}, {}, Failure::NoFileName};
    if (name.contains(u'\n') || name.contains(u'\r'))
        return {{}, {}, Failure::NameCannotStand};
    const Mapped folder = toWindowsPath(nameStart > 0 ? text.left(nameStart) : QStringLiteral("."), currentHostFolder);
    if (folder.failure != Failure::None)
        return {{}, {}, folder.failure};
    return {folder.folder, name, Failure::None};
}
