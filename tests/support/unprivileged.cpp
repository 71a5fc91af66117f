#include "support/unprivileged.h"

#include <QDirIterator>
#include <QFile>
#include <QString>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

int runUnprivileged(const std::function<int()>& body)
{
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            if (!nobody || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)
                _exit(125);
        }
        _exit(body());
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

void openToEveryone(const char* hostPath)
{
    // Every folder on the way must be passable, not only the folder itself.
    QString path = QFile::decodeName(hostPath);
    for (QString up = path; up.size() > 1; up = up.left(up.lastIndexOf(u'/'))) {
        struct stat info;
        if (stat(QFile::encodeName(up).constData(), &info) == 0)
            chmod(QFile::encodeName(up).constData(), info.st_mode | S_IXOTH | S_IROTH);
        if (up.lastIndexOf(u'/') <= 0)
            break;
    }
    QDirIterator it(path, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QByteArray entry = QFile::encodeName(it.next());
        struct stat info;
        if (lstat(entry.constData(), &info) == 0 && !S_ISLNK(info.st_mode))
            chmod(entry.constData(), info.st_mode | S_IROTH | S_IWOTH | (S_ISDIR(info.st_mode) ? S_IXOTH : 0));
    }
}
