#include "support/testusers.h"

#include "support/unprivileged.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// By a plain fork and exec: a sanitizer follows those, and no thread is started for it.
bool run(const char* program, const QList<QByteArray>& arguments)
{
    QList<char*> argv{const_cast<char*>(program)};
    for (const QByteArray& argument : arguments)
        argv.append(const_cast<char*>(argument.constData()));
    argv.append(nullptr);
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        const int quiet = ::open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        execvp(program, argv.data());
        _exit(127);
    }
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

TestUsers::TestUsers(int count)
    : m_groupName("kvg" + QByteArray::number(getpid()))
{
    if (geteuid() != 0 || !run("groupadd", {m_groupName}))
        return;
    const group* shared = getgrnam(m_groupName.constData());
    m_made = shared != nullptr;
    m_sharedGroup = shared ? shared->gr_gid : 0;
    for (int i = 0; i < count && m_made; ++i) {
        User user{"kv" + QByteArray::number(getpid()) + char('a' + i)};
        m_made = run("useradd", {"-M", "-U", "-s", "/usr/sbin/nologin", "-G", m_groupName, user.name});
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
        run("userdel", {user.name});
    run("groupdel", {m_groupName});
}

int TestUsers::runAs(int user, const std::function<int()>& body) const
{
    return runAsUser(m_users[user].uid, m_users[user].gid, {m_sharedGroup}, body);
}
