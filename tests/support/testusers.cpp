#include "support/testusers.h"

#include "support/childprocess.h"
#include "support/unprivileged.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

TestUsers::TestUsers(int count)
    : m_groupName("kvg" + QByteArray::number(getpid()))
{
    if (geteuid() != 0 || !runQuietly("groupadd", {m_groupName}))
        return;
    const group* shared = getgrnam(m_groupName.constData());
    m_made = shared != nullptr;
    m_sharedGroup = shared ? shared->gr_gid : 0;
    for (int i = 0; i < count && m_made; ++i) {
        User user{"kv" + QByteArray::number(getpid()) + char('a' + i)};
        m_made = runQuietly("useradd", {"-M", "-U", "-s", "/usr/sbin/nologin", "-G", m_groupName, user.name});
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
        runQuietly("userdel", {user.name});
    runQuietly("groupdel", {m_groupName});
}

int TestUsers::runAs(int user, const std::function<int()>& body) const
{
    return runAsUser(m_users[user].uid, m_users[user].gid, {m_sharedGroup}, body);
}
