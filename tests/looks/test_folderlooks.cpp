#include "listing/drivelist.h"
#include "listing/folderlist.h"
#include "looks/folderlooks.h"
#include "support/childchecks.h"
#include "support/qtprinters.h"
#include "support/settle.h"
#include "support/stallingshare.h"
#include "support/testdrives.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <optional>

#include <sys/stat.h>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Outcome = FolderLooks::Outcome;

// How one move ended, as the list and the signal tell it.
struct Ended {
    std::optional<Outcome> outcome;
    QString path;
    qsizetype changes = 0;
    Clock::duration took{};
};

class FolderLooksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_drives.makeFolder(QStringLiteral("C:\\Eins\\Unter"));
        m_drives.makeFolder(QStringLiteral("C:\\Zwei"));
        m_drives.makeFolder(QStringLiteral("D:\\Netz"));
        m_drives.makeFile(QStringLiteral("C:\\Datei.txt"));
    }

    QByteArray shareFolder() const { return QFile::encodeName(m_drives.host(QStringLiteral("D:\\Netz"))); }

    // Asks for a move and waits until everything asked for has ended.
    static Ended askAndWait(FolderLooks& looks, FolderList& list, const std::function<FolderLooks::Ticket()>& ask)
    {
        Ended ended;
        QSignalSpy changes(&list, &FolderList::Change);
        const auto start = Clock::now();
        const FolderLooks::Ticket ticket = ask();
        // Never inside the call: the window goes on at once.
        EXPECT_EQ(changes.count(), 0);
        const QMetaObject::Connection listening = QObject::connect(
            &looks, &FolderLooks::answered, &list, [&](FolderLooks::Ticket answeredTicket, FolderList*, Outcome outcome) {
                if (answeredTicket == ticket) {
                    ended.outcome = outcome;
                    ended.took = Clock::now() - start;
                }
            });
        EXPECT_TRUE(waitUntilSettled([&] { return looks.isLooking() || !ended.outcome; }));
        QObject::disconnect(listening);
        ended.path = list.Path();
        ended.changes = changes.count();
        return ended;
    }
    static Ended moveAndWait(FolderLooks& looks, FolderList& list, const QString& pathOrDrive)
    {
        return askAndWait(looks, list, [&] { return looks.move(list, pathOrDrive); });
    }
    static std::optional<Outcome> pickAndWait(FolderLooks& looks, FolderList& list, QChar letter)
    {
        return askAndWait(looks, list, [&] { return looks.pickDrive(list, letter); }).outcome;
    }

    TestDrives m_drives;
};

TEST_F(FolderLooksTest, AMoveTakesEffectWhenTheFolderAnswers)
{
    const StallingShare share(shareFolder());
    const QString c = QStringLiteral("C:\\");
    struct Case {
        QString asked;
        Outcome outcome;
        QString path;
        bool needsShare = false;
    };
    const Case cases[] = {
        {QStringLiteral("C:\\Eins"), Outcome::Read, QStringLiteral("C:\\Eins")},
        {QStringLiteral("c:\\eins\\..\\Zwei\\"), Outcome::Read, QStringLiteral("C:\\Zwei")},
        {c, Outcome::Read, c},
        {QStringLiteral("C:\\Datei.txt"), Outcome::NotAFolder, c},
        {QStringLiteral("C:\\Fehlt"), Outcome::NotAFolder, c},
        {QStringLiteral("kein Pfad"), Outcome::NotAFolder, c},
        {DriveList::driveText(u'D'), Outcome::Read, QStringLiteral("D:\\")},
        {DriveList::driveText(u'E'), Outcome::NotAFolder, c},
        {QStringLiteral("D:\\Netz\\lebt\\unten"), Outcome::Read, QStringLiteral("D:\\Netz\\lebt\\unten"), true},
        {QStringLiteral("D:\\Netz\\haengt"), Outcome::NotAnswering, c, true},
        {QStringLiteral("D:\\Netz\\haengt\\tiefer"), Outcome::NotAnswering, c, true},
    };
    for (const Case& tried : cases) {
        if (tried.needsShare && !share.mounted())
            continue;
        SCOPED_TRACE(tried.asked.toStdString());
        FolderLooks looks;
        FolderList list;
        ASSERT_TRUE(list.setPath(c));
        const Ended ended = moveAndWait(looks, list, tried.asked);
        EXPECT_EQ(ended.outcome, tried.outcome);
        EXPECT_EQ(ended.path, tried.path);
        EXPECT_EQ(ended.changes, tried.path == c ? 0 : 1);
        if (tried.outcome == Outcome::NotAnswering) {
            EXPECT_GE(ended.took, FolderLooks::kLimit - 50ms);
            EXPECT_LT(ended.took, FolderLooks::kLimit + 1s);
        }
    }
    if (!share.mounted())
        GTEST_SKIP() << "the folders of a stalled share were left out: " << share.missingReason().toStdString();
}

// A drive value goes back to the folder the list last stood on there, and to the drive's
// root where that folder is gone.
TEST_F(FolderLooksTest, ADriveValueGoesWhereTheListLastStoodThere)
{
    FolderLooks looks;
    FolderList list;
    ASSERT_TRUE(list.setPath(QStringLiteral("C:\\Eins\\Unter")));
    ASSERT_TRUE(list.setPath(QStringLiteral("D:\\Netz")));
    EXPECT_EQ(moveAndWait(looks, list, DriveList::driveText(u'C')).path, QStringLiteral("C:\\Eins\\Unter"));
    QDir(m_drives.host(QStringLiteral("D:\\Netz"))).removeRecursively();
    EXPECT_EQ(moveAndWait(looks, list, DriveList::driveText(u'D')).path, QStringLiteral("D:\\"));

    // A drive the person picks is looked at even where the list stands on it; a drive
    // value the window's handlers hand on is not.
    QTemporaryDir gone;
    const ScopedDriveTable withGone(DriveTable({{u'C', QFile::encodeName(m_drives.cRoot())}, {u'G', QFile::encodeName(gone.path())}}));
    ASSERT_TRUE(list.setPath(QStringLiteral("G:\\")));
    ASSERT_TRUE(gone.remove());
    EXPECT_EQ(pickAndWait(looks, list, u'G'), std::optional(Outcome::NotAFolder));
    EXPECT_EQ(moveAndWait(looks, list, DriveList::driveText(u'G')).outcome, std::optional(Outcome::Read));
    EXPECT_EQ(pickAndWait(looks, list, u'C'), std::optional(Outcome::Read));
    EXPECT_EQ(list.Path(), QStringLiteral("C:\\Eins\\Unter"));
}

// As the old platform's drive list has it: a drive whose root cannot be read is not ready.
TEST_F(FolderLooksTest, ADriveWhoseRootCannotBeReadIsNotReady)
{
    const OpenToEveryone everyone(QFile::encodeName(m_drives.cRoot()));
    m_drives.makeFolder(QStringLiteral("C:\\gesperrt"));
    const QByteArray locked = QFile::encodeName(m_drives.host(QStringLiteral("C:\\gesperrt")));
    ASSERT_EQ(chmod(locked.constData(), 0), 0);
    const ScopedDriveTable withLocked(DriveTable({{u'C', QFile::encodeName(m_drives.cRoot())}, {u'L', locked}}));

    const std::string failures = failedChecksIn(runUnprivileged, [](ChildChecks& check) {
        FolderLooks looks;
        FolderList list;
        check.holds("on C:", list.setPath(QStringLiteral("C:\\")));
        check.equal("L:", pickAndWait(looks, list, u'L'), std::optional(Outcome::NotAFolder));
        check.equal("still on", list.Path(), QStringLiteral("C:\\"));
    });
    chmod(locked.constData(), 0755);
    EXPECT_EQ(failures, "");
}

// The person picked again before the first folder answered: when it answers, late, it
// changes nothing, and says nothing.
TEST_F(FolderLooksTest, ALateAnswerNeverOverridesALaterPick)
{
    StallingShare share(shareFolder());
    if (!share.mounted())
        GTEST_SKIP() << share.missingReason().toStdString();
    FolderLooks looks;
    FolderList list;
    ASSERT_TRUE(list.setPath(QStringLiteral("C:\\")));
    QSignalSpy answers(&looks, &FolderLooks::answered);
    share.freeze();
    looks.move(list, QStringLiteral("D:\\Netz\\lebt"));
    const Ended second = moveAndWait(looks, list, QStringLiteral("C:\\Zwei"));
    share.thaw();
    // A look on the same mount waits for the late one, so once it is read the late one is in.
    FolderList other;
    EXPECT_EQ(moveAndWait(looks, other, QStringLiteral("D:\\Netz\\lebt")).outcome, std::optional(Outcome::Read));

    EXPECT_EQ(second.outcome, std::optional(Outcome::Read));
    EXPECT_EQ(list.Path(), QStringLiteral("C:\\Zwei"));
    EXPECT_EQ(answers.count(), 2);
}

// A share that stopped answering gets one stuck read: a look there waits behind it, and
// once it is overdue every further one ends at once; other mounts go on as ever.
TEST_F(FolderLooksTest, OneReadPerMountAndNoWaitOnceItIsOverdue)
{
    const StallingShare share(shareFolder());
    if (!share.mounted())
        GTEST_SKIP() << share.missingReason().toStdString();
    FolderLooks looks;
    FolderList stuck;
    FolderList behind;
    FolderList later;
    FolderList elsewhere;
    QList<Ended> ended;
    looks.move(stuck, QStringLiteral("D:\\Netz\\haengt"));
    ended << moveAndWait(looks, behind, QStringLiteral("D:\\Netz\\lebt"));
    ended << moveAndWait(looks, later, QStringLiteral("D:\\Netz\\lebt"));
    ended << moveAndWait(looks, elsewhere, QStringLiteral("C:\\Eins"));

    EXPECT_EQ(ended[0].outcome, std::optional(Outcome::NotAnswering));
    EXPECT_EQ(ended[1].outcome, std::optional(Outcome::NotAnswering));
    EXPECT_LT(ended[1].took, 300ms);
    EXPECT_EQ(ended[2].outcome, std::optional(Outcome::Read));
    EXPECT_EQ(stuck.Path(), QString());
}

} // namespace
