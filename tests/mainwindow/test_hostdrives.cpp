#include "controls/drivecombo.h"
#include "controls/elidinglabel.h"
#include "controls/notreadymessage.h"
#include "drives/hostdrives.h"
#include "listing/drivelist.h"
#include "mainwindow/form1.h"
#include "mounts/filesystemtypes.h"
#include "mounts/mounttable.h"
#include "settings/settingsstore.h"
#include "support/privatemounts.h"
#include "support/settle.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>
#include <unistd.h>

namespace {

// A folder of the test's own bound onto a fresh folder below /mnt, where a disk gets a
// letter; unmounted and removed however the test ends.
class TestMount {
public:
    TestMount()
    {
        char pattern[] = "/mnt/korvale-test-XXXXXX";
        if (mkdtemp(pattern))
            m_mountPoint = pattern;
        QDir(m_volume.path()).mkpath(QStringLiteral("Daten"));
    }
    ~TestMount()
    {
        unmount();
        if (!m_mountPoint.isEmpty())
            rmdir(m_mountPoint.constData());
    }

    const QByteArray& mountPoint() const { return m_mountPoint; }
    bool mount() const
    {
        return ::mount(QFile::encodeName(m_volume.path()).constData(), m_mountPoint.constData(), nullptr, MS_BIND,
                       nullptr) == 0;
    }
    // Detached, as a desktop's eject does when a program still has a folder of it open.
    void unmount() const { umount2(m_mountPoint.constData(), MNT_DETACH); }
    // The type the mount table gives the bound folder (that of the file system under it).
    QByteArray mountedType() const
    {
        const MountTable table = MountTable::read();
        for (const MountTable::Mount& mount : table.mounts()) {
            if (mount.mountPoint == m_mountPoint)
                return mount.fileSystemType;
        }
        return QByteArray();
    }

private:
    QTemporaryDir m_volume{QDir::currentPath() + QStringLiteral("/volume-XXXXXX")};
    QByteArray m_mountPoint;
};

QChar letterOn(const DriveList& drives, const QByteArray& hostRoot)
{
    for (int row = 0; row < drives.rowCount(); ++row) {
        const QChar letter = drives.index(row).data(DriveList::LetterRole).toChar();
        if (drives.index(row).data().toString().endsWith(u'[' + QFile::decodeName(hostRoot) + u']'))
            return letter;
    }
    return QChar();
}

TEST(HostDrives, ADiskMountedAndUnmountedWhileTheWindowIsOpen)
{
    if (const QByteArray why = PrivateMounts::missingForTheProgram(); !why.isEmpty())
        GTEST_SKIP() << why.constData();
    TestMount disk;
    if (disk.mountPoint().isEmpty() || !disk.mount())
        GTEST_SKIP() << "no folder below /mnt could be made or mounted on here";
    const QByteArray type = disk.mountedType();
    disk.unmount();
    if (FileSystemTypes::isNeverGivenALetter(type))
        GTEST_SKIP() << "the test's folder lies on " << type.constData() << ", which never gets a letter";

    QTemporaryDir config;
    SettingsStore store(config.filePath(QStringLiteral("Korvale.ini")));
    const HostDrives host;
    Form1 form(store);
    auto settled = [&form] { return waitUntilSettled([&] { return form.isRestoring() || form.folderLooks().isLooking(); }); };
    ASSERT_TRUE(settled());
    const MainControls& c = form.controls();
    const int rowsBefore = c.models.Drive1->rowCount();

    ASSERT_TRUE(disk.mount());
    QChar letter;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !(letter = letterOn(*c.models.Drive1, disk.mountPoint())).isNull(); }, 5000));
    EXPECT_EQ(c.models.Drive1->rowCount(), rowsBefore + 1);
    EXPECT_EQ(letterOn(*c.models.Drive2, disk.mountPoint()), letter);

    emit c.Drive1->activated(c.models.Drive1->rowOf(letter));
    ASSERT_TRUE(settled());
    EXPECT_EQ(c.models.Dir2->Path(), QString(letter) + QStringLiteral(":\\"));
    emit c.Drive2->activated(c.models.Drive2->rowOf(letter));
    ASSERT_TRUE(settled());
    EXPECT_EQ(c.models.Drive2->letter(), letter);
    EXPECT_EQ(c.Label2->text(), QString(letter) + QStringLiteral(":\\"));
    ASSERT_TRUE(c.models.Dir3->setPath(QString(letter) + QStringLiteral(":\\Daten")));

    // Gone: still listed and chosen, with no change and no message.
    QSignalSpy changes(c.models.Drive2, &DriveList::Change);
    disk.unmount();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !DriveTable::active().find(letter)->present; }, 5000));
    EXPECT_EQ(c.models.Drive2->rowCount(), rowsBefore + 1);
    EXPECT_EQ(c.Drive2->currentIndex(), c.models.Drive2->rowOf(letter));
    EXPECT_EQ(c.Label2->text(), QString(letter) + QStringLiteral(":\\Daten"));
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(form.findChild<QMessageBox*>(), nullptr);

    // A run from it finds nothing to read, and a pick of it is refused as not ready.
    QSignalSpy ended(&form, &Form1::runEnded);
    form.Command1_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ended.isEmpty(); }, 10000));
    EXPECT_EQ(c.Label3->text(), QStringLiteral("Quellverzeichnis %1:\\ konnte nicht gelesen werden.").arg(letter));
    emit c.Drive1->activated(c.models.Drive1->rowOf(letter));
    ASSERT_TRUE(settled());
    QMessageBox* box = form.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), NotReadyMessage::driveText(letter));
    box->close();

    // Back on its folder, it is the same drive again.
    ASSERT_TRUE(disk.mount());
    ASSERT_TRUE(QTest::qWaitFor([&] { return DriveTable::active().find(letter)->present; }, 5000));
    EXPECT_EQ(letterOn(*c.models.Drive1, disk.mountPoint()), letter);
    EXPECT_EQ(c.models.Drive1->rowCount(), rowsBefore + 1);
}

} // namespace
