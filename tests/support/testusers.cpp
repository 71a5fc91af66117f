#include "support/testusers.h"

#include "support/unprivileged.h"

#include <QProcess>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace {

bool run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

TestUsers::TestUsers(int count)
    : m_groupName("kvg" + QByteArray::number(getpid()))
{
    if (geteuid() != 0 || !run(QStringLiteral("groupadd"), {QString::fromLatin1(m_groupName)}))
        return;
    const group* shared = getgrnam(m_groupName.constData());
    m_made = shared != nullptr;
    m_sharedGroup = shared ? shared->gr_gid : 0;
    for (int i = 0; i < count && m_made; ++i) {
        User user{"kv" + QByteArray::number(getpid()) + char('a' + i)};
        m_made = run(QStringLiteral("useradd"), {"-M", "-U", "-s", "/usr/sbin/nologin", "-G",
                                                 QString::fromLatin1(m_groupName), QString::fromLatin1(user.name)});
        const passwd* entry = m_made ? getpwnam(user.name.constData()) : nullptr;
        m_made = entry != nullptr;
        if (entry) {
            user.uid = entry->pw_uid;
            user.gid = entry->pw_gid;
        }
        m_users.append(user);
    }
}

TestUsers::~TestUsers()
{
    for (const User& user : m_users)
        run(QStringLiteral("userdel"), {QString::fromLatin1(user.name)});
    run(QStringLiteral("groupdel"), {QString::fromLatin1(m_groupName)});
}

int TestUsers::runAs(int user, const std::function<int()>& body) const
{
    return runAsUser(m_users[user].uid, m_users[user].gid, {m_sharedGroup}, body);
}
