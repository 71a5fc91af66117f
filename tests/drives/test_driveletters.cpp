#include "drives/driveletters.h"
#include "mounts/mounttable.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

namespace {

const QDate kMonday(2026, 12, 7);
const QDate kTuesday(2026, 12, 8);

MountedVolume volume(const char* mountPoint, const char* identity)
{
    return {mountPoint, QString::fromUtf8(identity)};
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

// "D=uuid:S@2026-12-07" for each remembered letter.
QStringList rememberedOf(const RememberedLetters& remembered)
{
    QStringList lines;
    for (auto it = remembered.volumes().cbegin(); it != remembered.volumes().cend(); ++it)
        lines.append(QString(it.key()) + u'=' + it->identity + u'@' + it->lastMounted.toString(Qt::ISODate));
    return lines;
}

RememberedLetters rememberedFrom(const QList<std::tuple<char, QString, QDate>>& lines)
{
    RememberedLetters remembered;
    for (const auto& [letter, identity, day] : lines)
        EXPECT_TRUE(remembered.remember(QChar(letter), {identity, day}));
    return remembered;
}

TEST(DriveLetters, VolumesComeAndGoWithoutALetterEverNamingAnotherVolume)
{
    DriveLetters letters("/home/anna", {});
    letters.follow({volume("/media/anna/Stick", "uuid:S"), volume("/mnt/b", "uuid:B")}, kMonday);
    EXPECT_EQ(lettersOf(letters.table()), QStringList({"C=/home/anna", "D=/media/anna/Stick", "E=/mnt/b", "Z=/"}));

    const struct {
        const char* step;
        QList<MountedVolume> mounted;
        bool changed;
        QStringList expected;
    } steps[] = {
        {"the stick goes", {volume("/mnt/b", "uuid:B")}, true, {"C=/home/anna", "D-/media/anna/Stick", "E=/mnt/b", "Z=/"}},
        {"another volume on the stick's folder gets a letter of its own",
         {volume("/mnt/b", "uuid:B"), volume("/media/anna/Stick", "uuid:N")}, true,
         {"C=/home/anna", "D-/media/anna/Stick", "E=/mnt/b", "F=/media/anna/Stick", "Z=/"}},
        {"nothing new", {volume("/media/anna/Stick", "uuid:N"), volume("/mnt/b", "uuid:B")}, false,
         {"C=/home/anna", "D-/media/anna/Stick", "E=/mnt/b", "F=/media/anna/Stick", "Z=/"}},
        {"the stick comes back on another folder", {volume("/media/anna/Stick1", "uuid:S"), volume("/mnt/b", "uuid:B")},
         true, {"C=/home/anna", "D=/media/anna/Stick1", "E=/mnt/b", "F-/media/anna/Stick", "Z=/"}},
        {"all go", {}, true, {"C=/home/anna", "D-/media/anna/Stick1", "E-/mnt/b", "F-/media/anna/Stick", "Z=/"}},
    };
    for (const auto& [step, mounted, changed, expected] : steps) {
        EXPECT_EQ(letters.follow(mounted, kMonday), changed) << step;
        EXPECT_EQ(lettersOf(letters.table()), expected) << step;
    }
    const DriveTable& table = letters.table();
    EXPECT_FALSE(table.hostRoot(u'D').has_value());
    EXPECT_FALSE(table.hostPathOf(*WindowsPath::parse(QStringLiteral("D:\\Daten"))).has_value());
    EXPECT_EQ(table.windowsPathOf("/mnt/b/Daten")->toString(), QStringLiteral("Z:\\mnt\\b\\Daten"));
}

TEST(DriveLetters, AVolumeHasItsLetterAgainAfterARestartWhateverIsMountedFirst)
{
    // A share known by its source, as it has neither UUID nor label, from the mount table.
    const QList<MountedVolume> share = VolumeIdentity::volumes(
        MountTable::fromMountInfo("48 26 0:52 / /srv/nas rw - nfs4 nas:/export rw\n"), {}, {});
    ASSERT_EQ(share.size(), 1);

    DriveLetters first("/home/anna", {});
    first.follow({volume("/media/anna/Stick", "uuid:S")}, kMonday);
    first.follow(QList<MountedVolume>{volume("/media/anna/Stick", "uuid:S")} + share, kMonday);
    EXPECT_EQ(rememberedOf(first.remembered()),
              QStringList({"D=uuid:S@2026-12-07", "E=source:nas:/export@2026-12-07"}));

    DriveLetters second("/home/anna", first.remembered());
    second.follow(QList<MountedVolume>{volume("/media/anna/Alpha", "uuid:A"), volume("/media/anna/Stick", "uuid:S")} + share,
                  kTuesday);
    EXPECT_EQ(lettersOf(second.table()), QStringList({"C=/home/anna", "D=/media/anna/Stick", "E=/srv/nas",
                                                      "F=/media/anna/Alpha", "Z=/"}));

    // Only a new one and the share at first: the stick's letter waits for it.
    DriveLetters third("/root", second.remembered());
    third.follow(QList<MountedVolume>{volume("/media/anna/Beta", "uuid:B")} + share, kTuesday);
    EXPECT_EQ(lettersOf(third.table()), QStringList({"C=/root", "E=/srv/nas", "G=/media/anna/Beta", "Z=/"}));
    third.follow(QList<MountedVolume>{volume("/media/anna/Beta", "uuid:B"), volume("/media/anna/Stick", "uuid:S")} + share,
                 kTuesday);
    EXPECT_EQ(lettersOf(third.table()),
              QStringList({"C=/root", "D=/media/anna/Stick", "E=/srv/nas", "G=/media/anna/Beta", "Z=/"}));
    EXPECT_EQ(rememberedOf(third.remembered()),
              QStringList({"D=uuid:S@2026-12-08", "E=source:nas:/export@2026-12-08", "F=uuid:A@2026-12-08",
                           "G=uuid:B@2026-12-08"}));
}

TEST(DriveLetters, WhenEveryLetterIsRememberedTheOneMountedLongestAgoIsGivenAnew)
{
    // D: to Y: remembered, mounted on days in letter order, but for two seen longer ago, and
    // D: seen on E:'s day.
    QList<std::tuple<char, QString, QDate>> lines;
    for (char letter = 'D'; letter <= 'Y'; ++letter)
        lines.append({letter, QStringLiteral("uuid:") + QChar(letter), kMonday.addDays(letter)});
    std::get<2>(lines[4]) = QDate(); // H: no one knows when
    std::get<2>(lines[7]) = QDate(2020, 1, 1);
    std::get<2>(lines[0]) = std::get<2>(lines[1]);

    const struct {
        const char* what;
        QList<MountedVolume> mounted;
        QStringList lettersOfNewOnes;
    } cases[] = {
        {"the one never dated first, then the oldest", {volume("/mnt/n1", "uuid:N1"), volume("/mnt/n2", "uuid:N2")},
         {"H", "K"}},
        {"never one that is mounted now", {volume("/mnt/h", "uuid:H"), volume("/mnt/n1", "uuid:N1")}, {"K"}},
        {"then the oldest of the others, on the same day the first letter", {volume("/mnt/h", "uuid:H"), volume("/mnt/k", "uuid:K"),
                                            volume("/mnt/n1", "uuid:N1")}, {"D"}},
    };
    for (const auto& [what, mounted, lettersOfNewOnes] : cases) {
        DriveLetters letters("/root", rememberedFrom(lines));
        letters.follow(mounted, kMonday);
        QStringList given;
        for (const MountedVolume& volume : mounted) {
            if (volume.identity.startsWith(u"uuid:N"))
                given.append(QString(*letters.remembered().letterOf(volume.identity)));
        }
        EXPECT_EQ(given, lettersOfNewOnes) << what;
        EXPECT_EQ(letters.remembered().volumes().size(), 22) << what;
    }

    // A letter given this session stays its volume's: H went, and the next new one gets K.
    DriveLetters letters("/root", rememberedFrom(lines));
    letters.follow({volume("/mnt/h", "uuid:H")}, kMonday);
    letters.follow({}, kMonday);
    letters.follow({volume("/mnt/n1", "uuid:N1")}, kMonday);
    EXPECT_EQ(letters.remembered().letterOf(u"uuid:N1"), QChar(u'K'));
    EXPECT_EQ(letters.remembered().letterOf(u"uuid:H"), QChar(u'H'));
}

TEST(DriveLetters, NoLetterPastYAndNoneTakenFromThisSession)
{
    QList<MountedVolume> volumes;
    for (int i = 0; i < 22; ++i)
        volumes.append({"/mnt/v" + QByteArray::number(i + 10), QStringLiteral("path:v%1").arg(i)});
    DriveLetters letters("/root", {});
    letters.follow(volumes, kMonday);
    EXPECT_FALSE(letters.follow(volumes + QList<MountedVolume>{volume("/mnt/w", "uuid:W")}, kMonday));
    const QStringList all = lettersOf(letters.table());
    ASSERT_EQ(all.size(), 1 + 22 + 1);
    EXPECT_EQ(all[22], QStringLiteral("Y=/mnt/v31"));
    EXPECT_EQ(all.last(), QStringLiteral("Z=/"));
    // Every letter was given this session, so none is given anew, however old.
    EXPECT_TRUE(letters.follow({volume("/mnt/w", "uuid:W")}, kTuesday));
    EXPECT_EQ(lettersOf(letters.table()).size(), 24);
    EXPECT_FALSE(letters.remembered().letterOf(u"uuid:W").has_value());
}

TEST(DriveLetters, AVolumeMountedTwiceHasOneLetterRemembered)
{
    DriveLetters letters("/root", {});
    letters.follow({volume("/mnt/a", "uuid:X"), volume("/mnt/b", "uuid:X")}, kMonday);
    EXPECT_EQ(lettersOf(letters.table()), QStringList({"C=/root", "D=/mnt/a", "E=/mnt/b", "Z=/"}));
    EXPECT_EQ(rememberedOf(letters.remembered()), QStringList({"D=uuid:X@2026-12-07"}));
}

} // namespace
