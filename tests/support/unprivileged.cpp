#include "support/unprivileged.h"

#include "support/childprocess.h"

#include <QDirIterator>
#include <QFile>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

int runUnprivileged(const std::function<int()>& body)
{
    return runInChild([&body] {
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            if (!nobody || setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)
                return 125;
        }
        return body();
    });
}

OpenToEveryone::OpenToEveryone(const QByteArray& hostPath)
{
    for (QByteArray up = hostPath.left(hostPath.lastIndexOf('/')); up.size() > 1; up = up.left(up.lastIndexOf('/'))) {
        struct stat info;
        if (stat(up.constData(), &info) == 0 && (info.st_mode & S_IXOTH) == 0
            && chmod(up.constData(), info.st_mode | S_IXOTH) == 0)
            m_ancestors.append({up, info.st_mode & 07777});
    }
    struct stat top;
    if (stat(hostPath.constData(), &top) == 0)
        chmod(hostPath.constData(), top.st_mode | S_IROTH | S_IXOTH);
    QDirIterator it(QFile::decodeName(hostPath), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QByteArray entry = QFile::encodeName(it.next());
        struct stat info;
        if (lstat(entry.constData(), &info) == 0 && !S_ISLNK(info.st_mode))
            chmod(entry.constData(), info.st_mode | S_IROTH | S_IWOTH | (S_ISDIR(info.st_mode) ? S_IXOTH : 0));
    }
}

OpenToEveryone::~OpenToEveryone()
{
    for (const Opened& ancestor : m_ancestors)
        chmod(ancestor.path.constData(), ancestor.mode);
}
