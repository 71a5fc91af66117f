#pragma once

#include <QByteArray>
#include <QList>

#include <functional>

#include <sys/types.h>

// Users made for one test, each with a group of its own and all in one shared group, and
// removed again when the object goes. Needs root and useradd; made() says whether it worked.
class TestUsers {
public:
    explicit TestUsers(int count);
    ~TestUsers();
    TestUsers(const TestUsers&) = delete;
    TestUsers& operator=(const TestUsers&) = delete;

    bool made() const { return m_made; }
    gid_t sharedGroup() const { return m_sharedGroup; }
    uid_t uid(int user) const { return m_users[user].uid; }
    gid_t ownGroup(int user) const { return m_users[user].gid; }
    // Runs body in a child process as the user, a member of the shared group.
    int runAs(int user, const std::function<int()>& body) const;

private:
    struct User {
        QByteArray name;
        uid_t uid = 0;
        gid_t gid = 0;
    };
    QByteArray m_groupName;
    gid_t m_sharedGroup = 0;
    QList<User> m_users;
    bool m_made = false;
};
