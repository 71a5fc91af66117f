#include "generation/generaterun.h"
#include "options/optionrestore.h"
#include "options/optionstore.h"
#include "settings/settingsstore.h"
#include "support/childchecks.h"
#include "support/childprocess.h"
#include "support/logcapture.h"
#include "support/qtprinters.h"
#include "support/settle.h"
#include "support/stallingshare.h"
#include "support/testdrives.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <memory>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// What a window shows of the stored options: the folders its three lists stand on, the
// drives of its two drive lists, the target it names and the list-file name.
struct Shown {
    QString dir1, dir2, dir3;
    QChar drive1, drive2;
    QString label2, text1;

    // As the window couples them: the drive lists on the drives of Dir2 and Dir3, the
    // target on Dir3.
    static Shown of(const QString& dir1, const QString& dir2, const QString& dir3,
                    const QString& text1 = QStringLiteral("Liste.txt"))
    {
        return {dir1, dir2, dir3, dir2.at(0), dir3.at(0), dir3, text1};
    }
    friend bool operator==(const Shown&, const Shown&) = default;
};

void PrintTo(const Shown& shown, std::ostream* out)
{
    *out << "Dir1 " << shown.dir1.toStdString() << ", Dir2 " << shown.dir2.toStdString() << ", Dir3 "
         << shown.dir3.toStdString() << ", Drive1 " << QString(shown.drive1).toStdString() << ", Drive2 "
         << QString(shown.drive2).toStdString() << ", Label2 " << shown.label2.toStdString() << ", Text1 \""
         << shown.text1.toStdString() << '"';
}

// The controls the stored options touch, coupled by the change handlers the main window
// connects, so that a restore runs the same cascades it runs there.
struct TestWindow {
    FolderLooks looks;
    DriveList Drive1{ListStart::CurrentFolder};
    DriveList Drive2{ListStart::CurrentFolder};
    GenerateRun hidden;
    FolderList& Dir1 = hidden.Dir1();
    FolderList Dir2{ListStart::CurrentFolder};
    FolderList Dir3{ListStart::CurrentFolder};
    FileList& File1 = hidden.File1();
    QString Label2 = QStringLiteral("C:\\");
    QString Text1 = QStringLiteral("Liste.txt");
    QStringList folderChanges;
    QStringList silentFolders;
    std::unique_ptr<OptionRestore> restore;

    TestWindow()
    {
        hidden.useDrive1(Drive1);
        QObject::connect(&Dir1, &FolderList::Change, &Dir1, [this] { folderChanges << QStringLiteral("Dir1"); });
        QObject::connect(&Dir2, &FolderList::Change, &Dir2, [this] {
            folderChanges << QStringLiteral("Dir2");
            Drive1.setDrive(Dir2.Path().left(3));
        });
        QObject::connect(&Drive1, &DriveList::Change, &Drive1, [this] { looks.move(Dir2, Drive1.Drive()); });
        QObject::connect(&Dir3, &FolderList::Change, &Dir3, [this] {
            folderChanges << QStringLiteral("Dir3");
            Drive2.setDrive(Dir3.Path().left(3));
            Label2 = Dir3.Path();
        });
        QObject::connect(&Drive2, &DriveList::Change, &Drive2, [this] { looks.move(Dir3, Drive2.Drive()); });
    }

    StoredOptionsControls controls() { return {Dir1, Dir2, Dir3}; }

    void Form_Load(OptionStore& options)
    {
        options.load();
        if (const std::optional<QString> listFileName = options.storedListFileName())
            Text1 = *listFileName;
        restore = std::make_unique<OptionRestore>(options, looks, controls());
        std::optional<RestoreResult> restored;
        QObject::connect(restore.get(), &OptionRestore::done, restore.get(),
                         [&](const RestoreResult& result) { restored = result; });
        restore->start();
        if (!waitUntilSettled([&] { return !restored || looks.isLooking(); }))
            return;
        Label2 = restored->targetFolder;
        silentFolders = restored->silentFolders;
    }

    bool Form_Unload(OptionStore& options)
    {
        return options.save(controls(), Text1, restore ? restore->foldersToKeep() : QHash<QString, QString>());
    }

    Shown shown() const
    {
        return {Dir1.Path(), Dir2.Path(), Dir3.Path(), Drive1.letter(), Drive2.letter(), Label2, Text1};
    }
};

class OptionStoreTest : public ::testing::Test {
protected:
    QString settingsFile() const { return m_config.filePath(QStringLiteral("Korvale/Korvale.ini")); }

    void writeSettings(const QByteArray& content)
    {
        QDir().mkpath(QFileInfo(settingsFile()).path());
        QFile file(settingsFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    QByteArray settingsBytes() const
    {
        QFile file(settingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    // What a new window shows once it has loaded the stored options.
    Shown shownAtStart()
    {
        TestWindow window;
        window.Form_Load(m_options);
        return window.shown();
    }

    TestDrives m_drives;
    QTemporaryDir m_config;
    SettingsStore m_store{settingsFile()};
    OptionStore m_options{m_store};
};

TEST_F(OptionStoreTest, FirstStartPutsEveryListOnTheDefaultFolder)
{
    m_drives.makeFolder(QStringLiteral("D:\\Alt"));
    TestWindow window;
    for (FolderList* list : {&window.Dir1, &window.Dir2, &window.Dir3})
        ASSERT_TRUE(list->setPath(QStringLiteral("D:\\Alt")));
    window.Label2 = QStringLiteral("C:\\");

    window.Form_Load(m_options);

    EXPECT_EQ(window.shown(), Shown::of(QStringLiteral("C:\\"), QStringLiteral("C:\\"), QStringLiteral("C:\\")));
    EXPECT_FALSE(QFileInfo::exists(settingsFile()));
}

TEST_F(OptionStoreTest, StoredOptionsAreShownWhereTheyStillApply)
{
    for (const char* folder :
         {"C:\\Eins", "C:\\Drei", "C:\\Quelle", "C:\\Tab\tOrdner", "D:\\Arbeit", "D:\\Quelle\\Unter", "D:\\Ziel"})
        m_drives.makeFolder(QString::fromLatin1(folder));
    m_drives.makeFile(QStringLiteral("C:\\Datei.txt"));
    const QString c = QStringLiteral("C:\\");
    const QString nowhere;
    struct Case {
        const char* settings;
        Shown shown;
    };
    const Case cases[] = {
        // Only folders that exist.
        {"[Optionen]\nDir1=C:\\\\Eins\nDir2=C:\\\\Weg\nDir3=C:\\\\Drei\n",
         Shown::of(QStringLiteral("C:\\Eins"), c, QStringLiteral("C:\\Drei"))},
        {"[Optionen]\nDir1=C:\\\\Datei.txt\nDir3=C:\\\\Datei.txt\n", Shown::of(nowhere, c, c)},
        {"[Optionen]\nDir2=E:\\\\\nDir3=\n", Shown::of(c, c, c)},
        {"[optionen]\ndir1=C:\\\\Eins\nDIR3=c:\\\\drei\\\\..\\\\Drei\\\\\n",
         Shown::of(QStringLiteral("C:\\Eins"), c, QStringLiteral("C:\\Drei"))},
        // A control character cannot come from a folder this program showed, even where such a folder exists.
        {"[Optionen]\nDir1=\"C:\\\\Tab\\tOrdner\"\nDir3=\"C:\\\\Tab\\tOrdner\"\n", Shown::of(nowhere, c, c)},
        // Folders on another drive end where they were stored.
        {"[Optionen]\nDir2=D:\\\\Quelle\\\\Unter\nDir3=D:\\\\Ziel\n",
         Shown::of(c, QStringLiteral("D:\\Quelle\\Unter"), QStringLiteral("D:\\Ziel"))},
        {"[Optionen]\nDir1=D:\\\\Arbeit\nDir2=D:\\\\Quelle\\\\Unter\n",
         Shown::of(QStringLiteral("D:\\Arbeit"), QStringLiteral("D:\\Quelle\\Unter"), c)},
        {"[Optionen]\nDir1=D:\\\\Arbeit\nDir2=C:\\\\Quelle\n",
         Shown::of(QStringLiteral("D:\\Arbeit"), QStringLiteral("C:\\Quelle"), c)},
        // Dir2 is gone: Dir1's cascade left it on the root of Dir1's drive.
        {"[Optionen]\nDir1=D:\\\\Arbeit\nDir2=D:\\\\Weg\n",
         Shown::of(QStringLiteral("D:\\Arbeit"), QStringLiteral("D:\\"), c)},
        // The list-file name whenever it is stored, even empty.
        {"[Optionen]\nText1.text=\n", Shown::of(c, c, c, QString())},
        {"[Optionen]\ntext1.TEXT=\" Liste, neu.txt \"\n", Shown::of(c, c, c, QStringLiteral(" Liste, neu.txt "))},
        {"[Optionen]\nDir1=C:\\\\\n", Shown::of(c, c, c)},
        {"[Optionen\nText1.text=kaputt.txt\n", Shown::of(c, c, c)},
        {"[Optionen]\nText1.text=\"Liste\\n[Optionen]\"\n", Shown::of(c, c, c)},
    };
    for (const Case& tried : cases) {
        writeSettings(tried.settings);
        EXPECT_EQ(shownAtStart(), tried.shown) << tried.settings;
    }
}

TEST_F(OptionStoreTest, AHiddenListThatStayedNowhereIsSavedAsTheCurrentFolderItStartedIn)
{
    m_drives.makeFile(QStringLiteral("C:\\Datei.txt"));
    writeSettings("[Optionen]\nDir1=C:\\\\Datei.txt\n");
    TestWindow window;
    window.Form_Load(m_options);
    ASSERT_EQ(window.Dir1.Path(), QString());
    ASSERT_TRUE(window.Form_Unload(m_options));
    EXPECT_TRUE(settingsBytes().contains("Dir1=C:\\\n")) << settingsBytes().constData();
}
TEST_F(OptionStoreTest, HandWrittenAndEarlierFilesRoundTrip)
{
    for (const char* folder : {"C:\\tmp\\daten", "C:\\Daten, alt"})
        m_drives.makeFolder(QString::fromLatin1(folder));
    struct Case {
        const char* what;
        QByteArray before;
        QString wantDir2, wantDir3, wantText1;
        QByteArray after;
    };
    const QList<Case> cases = {
        {"by hand", "; meine Optionen\r\n[Optionen]\r\nDir2 = C:\\tmp\\daten\r\nDir3=D:\\\r\ntext1.text=neu.txt\r\n",
         QStringLiteral("C:\\tmp\\daten"), QStringLiteral("D:\\"), QStringLiteral("neu.txt"),
         "; meine Optionen\r\n[Optionen]\r\nDir2=C:\\tmp\\daten\r\nDir3=D:\\\r\ntext1.text=neu.txt\r\nDir1=C:\\\r\n"},
        {"by an earlier version", "[Optionen]\nDir2=\"C:\\\\Daten, alt\"\nDir3=C:\\\\tmp\\\\daten\nText1.text=\" a.txt\"\n",
         QStringLiteral("C:\\Daten, alt"), QStringLiteral("C:\\tmp\\daten"), QStringLiteral(" a.txt"),
         "[Optionen]\nDir2=C:\\Daten, alt\nDir3=C:\\tmp\\daten\nText1.text=\" a.txt\"\nDir1=C:\\\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeSettings(c.before);
        TestWindow window;
        window.Form_Load(m_options);
        EXPECT_EQ(window.shown(), Shown::of(QStringLiteral("C:\\"), c.wantDir2, c.wantDir3, c.wantText1));
        ASSERT_TRUE(window.Form_Unload(m_options));
        EXPECT_EQ(settingsBytes(), c.after);
    }
}

TEST_F(OptionStoreTest, SettingsThatAreNoFileToReadGiveTheDefaultsAtOnceAndStay)
{
    m_drives.makeFolder(QStringLiteral("C:\\Eins"));
    const QByteArray file = QFile::encodeName(settingsFile());
    QDir().mkpath(QFileInfo(settingsFile()).path());
    const QByteArray tooLarge = QByteArray("[Optionen]\nDir1=C:\\Eins\n") + QByteArray(SettingsStore::kMaxFileSize, ';');
    struct Case {
        const char* what;
        std::function<void()> make;
    };
    const QList<Case> cases = {
        {"FIFO", [&] { ASSERT_EQ(mkfifo(file.constData(), 0644), 0); }},
        {"link to /dev/zero", [&] { ASSERT_EQ(symlink("/dev/zero", file.constData()), 0); }},
        {"device", [&] { ASSERT_EQ(mknod(file.constData(), S_IFCHR | 0644, makedev(1, 5)), 0); }},
        {"folder", [&] { ASSERT_EQ(mkdir(file.constData(), 0755), 0); }},
        {"over 1 MiB", [&] { writeSettings(tooLarge); }},
        {"200 MB", [&] { writeSettings(tooLarge); ASSERT_EQ(truncate(file.constData(), 200'000'000), 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.make();
        struct stat before;
        ASSERT_EQ(lstat(file.constData(), &before), 0);
        const auto withinThreeSeconds = [](const std::function<int()>& body) {
            return runWithin(std::chrono::seconds(3), body);
        };
        const std::string failures = failedChecksIn(withinThreeSeconds, [&](ChildChecks& check) {
            const LogCapture log("korvale.options");
            TestWindow window;
            window.Dir1.setPath(QStringLiteral("D:\\"));
            window.Form_Load(m_options);
            window.Text1 = QStringLiteral("neu.txt");
            check.holds("not saved", !window.Form_Unload(m_options));
            check.equal("Dir1", window.Dir1.Path(), QStringLiteral("C:\\"));
            check.equal("Label2", window.Label2, QStringLiteral("C:\\"));
            // One line when reading, one when not saving, each naming the file.
            check.equal("warnings", log.warnings().size(), qsizetype(2));
            check.holds("each warning is one line naming the file",
                        std::all_of(log.warnings().cbegin(), log.warnings().cend(), [this](const QString& line) {
                            return !line.contains(u'\n') && line.contains(settingsFile());
                        }));
        });
        EXPECT_EQ(failures, "");
        struct stat after;
        ASSERT_EQ(lstat(file.constData(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_size, before.st_size);
        EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
        QFileInfo(settingsFile()).isDir() ? QDir(settingsFile()).removeRecursively() : QFile::remove(settingsFile());
    }
}

TEST_F(OptionStoreTest, FoldersAreRestoredInTheirOrder)
{
    for (const char* folder : {"C:\\Eins", "C:\\Zwei", "C:\\Drei"})
        m_drives.makeFolder(QString::fromLatin1(folder));
    writeSettings("[Optionen]\nDir3=C:\\\\Drei\nDir2=C:\\\\Zwei\nDir1=C:\\\\Eins\n");
    TestWindow window;
    window.Form_Load(m_options);
    EXPECT_EQ(window.folderChanges, (QStringList{QStringLiteral("Dir1"), QStringLiteral("Dir2"), QStringLiteral("Dir3")}));
    EXPECT_EQ(window.File1.Path(), QStringLiteral("C:\\Eins"));
}

TEST_F(OptionStoreTest, TheTargetUsedShownAndSavedIsOneFolder)
{
    m_drives.makeFolder(QStringLiteral("C:\\Ziel"));
    m_drives.makeFolder(QStringLiteral("D:\\Alt"));
    struct Case {
        const char* what;
        QByteArray settings;
        QString dir3Before;
        QString target;
    };
    const QList<Case> cases = {
        // A restore onto the folder Dir3 stands on raises no change, yet must reach the label.
        {"restored where Dir3 stands", "[Optionen]\nDir3=C:\\Ziel\n", QStringLiteral("C:\\Ziel"), QStringLiteral("C:\\Ziel")},
        {"stored target is gone", "[Optionen]\nDir3=C:\\Weg\n", QStringLiteral("D:\\Alt"), QStringLiteral("C:\\")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeSettings(c.settings);
        TestWindow window;
        ASSERT_TRUE(window.Dir3.setPath(c.dir3Before));
        window.Label2 = QStringLiteral("C:\\");

        window.Form_Load(m_options);
        EXPECT_EQ(window.shown(), Shown::of(QStringLiteral("C:\\"), QStringLiteral("C:\\"), c.target));
        ASSERT_TRUE(window.Form_Unload(m_options));
        EXPECT_TRUE(settingsBytes().contains("\nDir3=" + c.target.toUtf8() + '\n'));
    }
}

TEST_F(OptionStoreTest, UnloadWritesAllFourAndTheNextLoadRestoresThem)
{
    for (const char* folder : {"C:\\Arbeit", "D:\\Quelle", "C:\\Daten\\Übersicht"})
        m_drives.makeFolder(QString::fromUtf8(folder));
    {
        TestWindow window;
        ASSERT_TRUE(window.Dir1.setPath(QStringLiteral("C:\\Arbeit")));
        ASSERT_TRUE(window.Dir2.setPath(QStringLiteral("D:\\Quelle")));
        ASSERT_TRUE(window.Dir3.setPath(QStringLiteral("C:\\Daten\\Übersicht")));
        window.Label2 = QStringLiteral("C:\\");
        window.Text1 = QStringLiteral("Liste, neu.txt");
        ASSERT_TRUE(window.Form_Unload(m_options));
    }
    EXPECT_EQ(settingsBytes(), QByteArray("[Optionen]\nDir1=C:\\Arbeit\nDir2=D:\\Quelle\n"
                                          "Dir3=C:\\Daten\\\xc3\x9c"
                                          "bersicht\nText1.text=Liste, neu.txt\n"));

    EXPECT_EQ(shownAtStart(), Shown::of(QStringLiteral("C:\\Arbeit"), QStringLiteral("D:\\Quelle"),
                                        QStringLiteral("C:\\Daten\\Übersicht"), QStringLiteral("Liste, neu.txt")));
}

TEST_F(OptionStoreTest, TheInstanceThatUnloadsLastLeavesItsValues)
{
    m_drives.makeFolder(QStringLiteral("C:\\Erste"));
    m_drives.makeFolder(QStringLiteral("C:\\Zweite"));
    TestWindow first;
    TestWindow second;
    first.Form_Load(m_options);
    second.Form_Load(m_options);
    ASSERT_TRUE(first.Dir2.setPath(QStringLiteral("C:\\Erste")));
    first.Text1 = QStringLiteral("erste.txt");
    ASSERT_TRUE(second.Dir3.setPath(QStringLiteral("C:\\Zweite")));

    SettingsStore otherStore(settingsFile());
    OptionStore otherOptions(otherStore);
    ASSERT_TRUE(first.Form_Unload(m_options));
    ASSERT_TRUE(second.Form_Unload(otherOptions));

    EXPECT_EQ(shownAtStart(), Shown::of(QStringLiteral("C:\\"), QStringLiteral("C:\\"), QStringLiteral("C:\\Zweite")));
}

TEST_F(OptionStoreTest, AFailedSaveSaysSoInOneLineAndKeepsTheOldFile)
{
    const QByteArray old = "[Optionen]\nText1.text=alt.txt\n";
    writeSettings(old);
    TestWindow window;
    window.Text1 = QStringLiteral("neu.txt");
    const OpenToEveryone everyone(QFile::encodeName(m_config.path()));
    const QByteArray folder = QFile::encodeName(QFileInfo(settingsFile()).path());
    chmod(folder.constData(), 0555);
    chmod(QFile::encodeName(settingsFile()).constData(), 0444);

    const std::string failures = failedChecksIn(runUnprivileged, [&](ChildChecks& check) {
        const LogCapture log("korvale.options");
        check.holds("not saved", !window.Form_Unload(m_options));
        const QStringList& lines = log.warnings();
        check.equal("warnings", lines.size(), qsizetype(1));
        check.holds("the warning is one line naming the file",
                    lines.size() == 1 && !lines[0].contains(u'\n') && lines[0].contains(settingsFile()));
    });
    chmod(folder.constData(), 0755);
    EXPECT_EQ(failures, "");
    EXPECT_EQ(settingsBytes(), old);
}

} // namespace

// A stored folder on a share that stopped answering is not restored, as one that is gone,
// and is named; the others are restored all the same, and a second one on the same share
// costs no second wait.
TEST_F(OptionStoreTest, AStoredFolderThatDoesNotAnswerIsLeftAsIfGoneAndNamed)
{
    m_drives.makeFolder(QStringLiteral("C:\\Ziel"));
    m_drives.makeFolder(QStringLiteral("D:\\Netz"));
    const StallingShare share(QFile::encodeName(m_drives.host(QStringLiteral("D:\\Netz"))));
    if (!share.mounted())
        GTEST_SKIP() << share.missingReason().toStdString();
    const QString c = QStringLiteral("C:\\");
    const QString dead = QStringLiteral("D:\\Netz\\haengt");
    struct Case {
        const char* settings;
        Shown shown;
        QStringList silent;
        // What the next unload saves while nobody moved the lists.
        QList<QByteArray> kept;
    };
    const Case cases[] = {
        {"[Optionen]\nDir2=D:\\\\Netz\\\\haengt\nDir3=C:\\\\Ziel\n", Shown::of(c, c, QStringLiteral("C:\\Ziel")), {dead},
         {"Dir2=D:\\Netz\\haengt\n"}},
        {"[Optionen]\nDir2=D:\\\\Netz\\\\lebt\nDir3=D:\\\\Netz\\\\haengt\n",
         Shown::of(c, QStringLiteral("D:\\Netz\\lebt"), c), {dead}, {"Dir3=D:\\Netz\\haengt\n"}},
        // The working folder is nobody's choice: not named, and Dir2 is restored all the same.
        {"[Optionen]\nDir1=D:\\\\Netz\\\\haengt\nDir2=C:\\\\Ziel\n", Shown::of(QString(), QStringLiteral("C:\\Ziel"), c),
         {}, {"Dir1=D:\\Netz\\haengt\n"}},
        {"[Optionen]\nDir2=D:\\\\Netz\\\\haengt\\\\a\nDir3=D:\\\\Netz\\\\haengt\n", Shown::of(c, c, c),
         {QStringLiteral("D:\\Netz\\haengt\\a"), dead}, {"Dir2=D:\\Netz\\haengt\\a\n", "Dir3=D:\\Netz\\haengt\n"}},
    };
    for (const Case& tried : cases) {
        SCOPED_TRACE(tried.settings);
        writeSettings(tried.settings);
        TestWindow window;
        const auto start = std::chrono::steady_clock::now();
        window.Form_Load(m_options);
        EXPECT_LT(std::chrono::steady_clock::now() - start, FolderLooks::kLimit + std::chrono::seconds(1));
        EXPECT_EQ(window.shown(), tried.shown);
        EXPECT_EQ(window.silentFolders, tried.silent);
        // A share down for a while does not make the window forget a folder; one the person
        // picked instead is saved.
        ASSERT_TRUE(window.Form_Unload(m_options));
        for (const QByteArray& line : tried.kept)
            EXPECT_TRUE(settingsBytes().contains(line)) << settingsBytes().toStdString();
        ASSERT_TRUE(window.Dir1.setPath(QStringLiteral("C:\\Ziel")));
        ASSERT_TRUE(window.Dir2.setPath(QStringLiteral("C:\\Ziel")));
        ASSERT_TRUE(window.Dir3.setPath(QStringLiteral("C:\\Ziel")));
        ASSERT_TRUE(window.Form_Unload(m_options));
        EXPECT_FALSE(settingsBytes().contains("Netz")) << settingsBytes().toStdString();
    }
}

