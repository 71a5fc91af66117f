#include "commandline/folderargument.h"

#include "platform/hostfolder.h"

namespace {

using Failure = FolderArgument::Mapped::Failure;

bool startsWithDriveLetter(const QString& text)
{
    return text.size() >= 2 && text[1] == u':' && text[0].isLetter() && text[0].unicode() < 0x80;
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

FolderArgument::Mapped FolderArgument::toWindowsPath(const QString& text, const QByteArray& currentHostFolder)
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
    return mapped(HostFolder::fromTypedHostPath(host, currentHostFolder));
}
