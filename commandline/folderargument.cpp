#include "commandline/folderargument.h"

#include "platform/drivetable.h"

#include <QDir>
#include <QFile>

namespace {

bool startsWithDriveLetter(const QString& text)
{
    return text.size() >= 2 && text[1] == u':' && text[0].isLetter() && text[0].unicode() < 0x80;
}

} // namespace

std::optional<QString> FolderArgument::toWindowsPath(const QString& text, const QByteArray& currentHostFolder)
{
    if (startsWithDriveLetter(text)) {
        // A bare "D:" means the drive's root here: the command line has no current folder
        // per drive.
        const std::optional<WindowsPath> path = WindowsPath::parse(text.size() == 2 ? text + u'\\' : text);
        return path ? std::optional(path->toString()) : std::nullopt;
    }
    // A name holding '\' cannot stand in the program's paths anyway, so a '\' here is a
    // separator typed out of habit ("Daten\2024"). ".." goes by name, as a shell user reads
    // it: the drive table compares names, not inodes.
    QString host = text;
    host.replace(u'\\', u'/');
    const QString absolute = QDir::isAbsolutePath(host) ? host : QFile::decodeName(currentHostFolder) + u'/' + host;
    const std::optional<WindowsPath> path = DriveTable::active().windowsPathOf(QFile::encodeName(QDir::cleanPath(absolute)));
    return path ? std::optional(path->toString()) : std::nullopt;
}
