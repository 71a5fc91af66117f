#include "support/unprivileged.h"

#include "support/childprocess.h"

#include <QDirIterator>
#include <QFile>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool becomeUser(uid_t user, gid_t group, const QList<gid_t>& groups)
{
    return setgroups(size_t(groups.size()), groups.constData()) == 0 && setgid(group) == 0 && setuid(user) == 0;
}

} // namespace

int runUnprivileged(const std::function<int()>& body)
{
    return runInChild([&body] {
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            if (!nobody || !becomeUser(nobody->pw_uid, nobody->pw_gid, {}))
                return 125;
        }
        return body();
    });
}

int runAsUser(uid_t user, gid_t group, const QList<gid_t>& groups, const std::function<int()>& body)
{
    return runInChild([&] { return becomeUser(user, group, groups) ? body() : 125; });
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
