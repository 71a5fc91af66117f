#include "drives/driveletters.h"
#include "mounts/mounttable.h"

#include <gtest/gtest.h>

namespace {

QByteArray mountLine(int id, const QByteArray& mountPoint, const QByteArray& type = "ext4")
{
    return QByteArray::number(id) + " 1 8:" + QByteArray::number(id) + " / " + mountPoint + " rw - " + type
        + " /dev/x rw\n";
}

QList<QByteArray> volumesOf(const QList<QByteArray>& mountPoints)
{
    QByteArray info = "1 0 254:0 / / rw - ext4 /dev/vda rw\n";
    for (qsizetype i = 0; i < mountPoints.size(); ++i)
        info += mountLine(int(i) + 10, mountPoints[i]);
    return MountTable::fromMountInfo(info).volumeMountPoints();
}

// "D=/media/a", with "-" for a volume that has gone.
QStringList lettersOf(const DriveTable& table)
{
    QStringList letters;
    for (const DriveTable::Drive& drive : table.drives()) {
        letters.append(QString(drive.letter) + (drive.present ? u'=' : u'-') + QString::fromUtf8(drive.hostRoot));
    }
    return letters;
}

TEST(DriveLetters, VolumesComeAndGoWithoutALetterEverNamingAnotherFolder)
{
    DriveLetters letters(DriveTable::forHost("/home/anna", volumesOf({"/mnt/b", "/media/anna/Stick", "/srv/x"})));
    EXPECT_EQ(lettersOf(letters.table()),
              QStringList({"C=/home/anna", "D=/media/anna/Stick", "E=/mnt/b", "Z=/"}));

    const struct {
        const char* step;
        QList<QByteArray> mounted;
        bool changed;
        QStringList expected;
    } steps[] = {
        {"the stick goes", {"/mnt/b"}, true, {"C=/home/anna", "D-/media/anna/Stick", "E=/mnt/b", "Z=/"}},
        {"a new one takes the first letter never given", {"/mnt/b", "/media/anna/Neu"}, true,
         {"C=/home/anna", "D-/media/anna/Stick", "E=/mnt/b", "F=/media/anna/Neu", "Z=/"}},
        {"nothing new", {"/media/anna/Neu", "/mnt/b"}, false,
         {"C=/home/anna", "D-/media/anna/Stick", "E=/mnt/b", "F=/media/anna/Neu", "Z=/"}},
        {"the stick comes back to its folder", {"/media/anna/Stick", "/mnt/b", "/media/anna/Neu"}, true,
         {"C=/home/anna", "D=/media/anna/Stick", "E=/mnt/b", "F=/media/anna/Neu", "Z=/"}},
        {"all go", {}, true, {"C=/home/anna", "D-/media/anna/Stick", "E-/mnt/b", "F-/media/anna/Neu", "Z=/"}},
    };
    for (const auto& [step, mounted, changed, expected] : steps) {
        EXPECT_EQ(letters.follow(volumesOf(mounted)), changed) << step;
        EXPECT_EQ(lettersOf(letters.table()), expected) << step;
    }
}

TEST(DriveLetters, AVolumeThatHasGoneLeadsNowhere)
{
    DriveLetters letters(DriveTable::forHost("/home/anna", {"/media/anna/Stick"}));
    letters.follow({});
    const DriveTable& table = letters.table();
    EXPECT_TRUE(table.contains(u'D'));
    EXPECT_FALSE(table.hostRoot(u'D').has_value());
    EXPECT_FALSE(table.hostPathOf(*WindowsPath::parse(QStringLiteral("D:\\Daten"))).has_value());
    EXPECT_EQ(table.windowsPathOf("/media/anna/Stick/Daten")->toString(), QStringLiteral("Z:\\media\\anna\\Stick\\Daten"));
}

TEST(DriveLetters, NoLetterPastY)
{
    QList<QByteArray> volumes;
    for (int i = 0; i < 21; ++i)
        volumes.append("/mnt/v" + QByteArray::number(i + 10));
    DriveLetters letters(DriveTable::forHost("/root", volumes));
    EXPECT_TRUE(letters.follow(volumes + QList<QByteArray>({"/mnt/w1", "/mnt/w2"})));
    const QStringList all = lettersOf(letters.table());
    ASSERT_EQ(all.size(), 1 + 22 + 1);
    EXPECT_EQ(all[22], QStringLiteral("Y=/mnt/w1"));
    EXPECT_EQ(all.last(), QStringLiteral("Z=/"));

    EXPECT_TRUE(letters.follow({"/mnt/w2"}));
    EXPECT_EQ(lettersOf(letters.table()).size(), 24);
}

} // namespace
