#include "drives/hosthome.h"

#include <QDir>
#include <QFile>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isAbsoluteFolder(const QByteArray& path)
{
    struct stat info;
    return path.startsWith('/') && stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

QByteArray HostHome::folder()
{
    const QByteArray fromEnvironment = qgetenv("HOME");
    if (isAbsoluteFolder(fromEnvironment))
        return fromEnvironment;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir && entry->pw_dir[0] == '/')
        return QByteArray(entry->pw_dir);
    return "/";
}

QString HostHome::configFolder()
{
    const QByteArray fromEnvironment = qgetenv("XDG_CONFIG_HOME");
    if (fromEnvironment.startsWith('/'))
        return QFile::decodeName(fromEnvironment);
    const QByteArray home = folder();
    return QFile::decodeName(home == "/" ? QByteArray("/.config") : home + "/.config");
}
