#include "drives/drivetable.h"
#include "settings/settingsstore.h"
#include "support/testdrives.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <pwd.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

std::optional<QByteArray> hostOf(const QString& windowsPath)
{
    const std::optional<WindowsPath> path = WindowsPath::parse(windowsPath);
    return path ? DriveTable::active().hostPathOf(*path) : std::nullopt;
}

QString windowsOf(const QByteArray& hostPath)
{
    const std::optional<WindowsPath> path = DriveTable::active().windowsPathOf(hostPath);
    return path ? path->toString() : u"(none)"_s;
}

TEST(DriveTable, ConvertsWindowsPathsToHostPaths)
{
    TestDrives drives;
    const QByteArray c = QFile::encodeName(drives.cRoot());
    const QByteArray d = QFile::encodeName(drives.dRoot());
    const struct {
        QString windows;
        QByteArray host;
    } cases[] = {
        {u"C:\\"_s, c},
        {u"c:\\"_s, c},
        {u"C:\\Liste.txt"_s, c + "/Liste.txt"},
        {u"C:\\\\Liste.txt"_s, c + "/Liste.txt"},
        {u"C:/a//b\\"_s, c + "/a/b"},
        {u"C:\\..\\..\\a"_s, c + "/a"},
        {u"C:\\a\\.\\..\\b"_s, c + "/b"},
        {u"d:\\Daten"_s, d + "/Daten"},
        {u"C:\\Grüße"_s, c + "/Gr\xC3\xBC\xC3\x9F" "e"},
        {u"C:\\caf\xDCE9"_s, c + "/caf\xE9"},
    };
    for (const auto& [windows, host] : cases) {
        const std::optional<QByteArray> converted = hostOf(windows);
        ASSERT_TRUE(converted.has_value()) << windows.toStdString();
        EXPECT_EQ(*converted, host) << windows.toStdString();
    }
}

TEST(DriveTable, UnknownDriveHasNoHostPath)
{
    TestDrives drives;
    EXPECT_FALSE(hostOf(u"Q:\\"_s).has_value());
    EXPECT_FALSE(hostOf(u"q:\\a"_s).has_value());
    EXPECT_FALSE(DriveTable::active().contains(u'Q'));
    EXPECT_TRUE(DriveTable::active().contains(u'c'));
}

TEST(DriveTable, HostPathMapsBackToTheDriveWithTheLongestPrefix)
{
    QTemporaryDir outer;
    const QByteArray z = QFile::encodeName(outer.path());
    std::optional<ScopedDriveTable> table;
    table.emplace(DriveTable({{u'Z', z}, {u'C', z + "/home/"}, {u'D', z + "/home/user/stick"}}));

    EXPECT_EQ(windowsOf(z), u"Z:\\"_s);
    EXPECT_EQ(windowsOf(z + "/"), u"Z:\\"_s);
    EXPECT_EQ(windowsOf(z + "/etc/x"), u"Z:\\etc\\x"_s);
    EXPECT_EQ(windowsOf(z + "/home"), u"C:\\"_s);
    EXPECT_EQ(windowsOf(z + "/home/user/x"), u"C:\\user\\x"_s);
    EXPECT_EQ(windowsOf(z + "/homer"), u"Z:\\homer"_s);
    EXPECT_EQ(windowsOf(z + "/home/user/stick/a"), u"D:\\a"_s);
    EXPECT_EQ(windowsOf(z + "/home/user/sticky"), u"C:\\user\\sticky"_s);
    EXPECT_EQ(windowsOf(z + "/home/caf\xE9"), u"C:\\caf\xDCE9"_s);
    EXPECT_EQ(windowsOf("/somewhere/else"), u"(none)"_s);

    table.reset();
    table.emplace(DriveTable({{u'C', z}, {u'Z', "/"}}));
    EXPECT_EQ(windowsOf("/"), u"Z:\\"_s);
    EXPECT_EQ(windowsOf("/etc"), u"Z:\\etc"_s);
    EXPECT_EQ(windowsOf(z + "/x"), u"C:\\x"_s);
}

TEST(DriveTable, HomeOnCVolumesFromDInMountOrderAndTheRootOnZ)
{
    QList<QByteArray> volumes;
    for (int i = 0; i < 25; ++i)
        volumes.append("/media/anna/Stick" + QByteArray::number(i));
    const DriveTable table = DriveTable::forHost("/home/anna", volumes);
    QStringList letters;
    for (const DriveTable::Drive& drive : table.drives())
        letters.append(QString(drive.letter) + u'=' + QString::fromLatin1(drive.hostRoot));
    EXPECT_EQ(letters.size(), 1 + 22 + 1);
    EXPECT_EQ(letters.first(), u"C=/home/anna"_s);
    EXPECT_EQ(letters[1], u"D=/media/anna/Stick0"_s);
    EXPECT_EQ(letters[22], u"Y=/media/anna/Stick21"_s);
    EXPECT_EQ(letters.last(), u"Z=/"_s);
    EXPECT_EQ(DriveTable::forHost("/root", {}).drives().size(), 2);
}

// One home: C: and the settings file stand on the same folder, whatever $HOME holds.
TEST(DriveTable, HomeDriveAndSettingsShareOneHome)
{
    const QByteArray savedHome = qgetenv("HOME");
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_CONFIG_HOME");
    QTemporaryDir elsewhere;
    const QByteArray account = getpwuid(getuid())->pw_dir;
    const std::pair<QByteArray, QByteArray> cases[] = {
        {QFile::encodeName(elsewhere.path()), QFile::encodeName(elsewhere.path())},
        {QFile::encodeName(elsewhere.path()) + "/fehlt", account},
        {"relativ", account},
        {"", account},
    };
    for (const auto& [home, expected] : cases) {
        qputenv("HOME", home);
        EXPECT_EQ(DriveTable::forThisHost().drives().first().hostRoot, expected) << home.constData();
        EXPECT_EQ(QFile::encodeName(SettingsStore().fileName(u"Korvale"_s)), expected + "/.config/Korvale/Korvale.ini")
            << home.constData();
    }
    qputenv("HOME", savedHome);
    savedConfig.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", savedConfig);
}

} // namespace
