#include "settings/settingsstore.h"
#include "support/childchecks.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kApp = QStringLiteral("Korvale");
const QString kSection = QStringLiteral("Optionen");

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

class SettingsStoreTest : public ::testing::Test {
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("Korvale/Korvale.ini")); }
    std::optional<QString> stored(const QString& key) const
    {
        return SettingsStore(path()).storedSetting(kApp, kSection, key);
    }

    QTemporaryDir m_dir;
};

TEST_F(SettingsStoreTest, TextsComeBackExactlyAsWritten)
{
    const QString longName = QString(40000, u'n') + QStringLiteral(".txt");
    const QStringList texts = {
        QStringLiteral("C:\\"), QStringLiteral("C:\\Daten\\Übersicht"), QStringLiteral("Liste, neu.txt"),
        QStringLiteral(" x "), QStringLiteral("@x"), QStringLiteral("a;b"), QStringLiteral("a=b"),
        QStringLiteral("#x"), QString(), longName, QStringLiteral("\"zitiert\""), QStringLiteral("@@Variant(x)"),
        QStringLiteral("Zeile\nZeile"), QStringLiteral("Tab\tEnde\t"), QStringLiteral("[Optionen]"),
        QStringLiteral("C:\\tmp\\daten"), QStringLiteral("Z:\\"), QStringLiteral("a\\\\b"), QStringLiteral("x\\\"y"),
        QStringLiteral("\"x\""), QStringLiteral("\x01" "4f"), u"C:\\Bl\xDCE4tter"_qs, QStringLiteral("a\r"),
    };
    for (const QString& text : texts) {
        SCOPED_TRACE(text.left(40).toStdString());
        ASSERT_TRUE(SettingsStore(path()).SaveSetting(kApp, kSection, QStringLiteral("Text1.text"), text));
        const std::optional<QString> back = stored(QStringLiteral("Text1.text"));
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(*back, text);
    }
}

TEST_F(SettingsStoreTest, ValuesAreWrittenAsAPersonWritesThem)
{
    SettingsStore store(path());
    ASSERT_TRUE(store.SaveSettings(kApp, kSection,
                                   {{QStringLiteral("Dir1"), QStringLiteral("C:\\Daten\\tmp")},
                                    {QStringLiteral("Dir3"), QStringLiteral("Z:\\")},
                                    {QStringLiteral("Text1.text"), QStringLiteral("Liste, neu.txt")},
                                    {QStringLiteral("Text2"), QStringLiteral(" x ")}})
                    .saved());
    EXPECT_EQ(readBytes(path()),
              QByteArray("[Optionen]\nDir1=C:\\Daten\\tmp\nDir3=Z:\\\nText1.text=Liste, neu.txt\nText2=\" x \"\n"));
}

TEST_F(SettingsStoreTest, EmptyTextIsNotAMissingKey)
{
    SettingsStore store(path());
    ASSERT_TRUE(store.SaveSetting(kApp, kSection, QStringLiteral("Text1.text"), QString()));
    EXPECT_EQ(store.storedSetting(kApp, kSection, QStringLiteral("Text1.text")), QString());
    EXPECT_EQ(store.storedSetting(kApp, kSection, QStringLiteral("Dir1")), std::nullopt);
    EXPECT_EQ(store.GetSetting(kApp, kSection, QStringLiteral("Dir1"), QStringLiteral("C:\\")), QStringLiteral("C:\\"));
    EXPECT_EQ(store.GetSetting(kApp, kSection, QStringLiteral("Text1.text"), QStringLiteral("Liste.txt")), QString());
    EXPECT_EQ(store.storedSetting(kApp, QStringLiteral("Andere"), QStringLiteral("Text1.text")), std::nullopt);
}

TEST_F(SettingsStoreTest, NamesMatchWithoutLetterCaseAndOnlyTheValuesChange)
{
    writeBytes(path(), "[optionen]\r\n; Notiz\r\ndir1=C:\\\\Alt\r\nTEXT1.TEXT=a.txt\r\n\r\n[Fremd]\r\nwert=1\r\n");
    SettingsStore store(path());
    EXPECT_EQ(store.storedSetting(kApp, kSection, QStringLiteral("Dir1")), QStringLiteral("C:\\Alt"));
    EXPECT_EQ(store.storedSetting(kApp, kSection, QStringLiteral("Text1.text")), QStringLiteral("a.txt"));
    EXPECT_EQ(store.storedSetting(kApp, QStringLiteral("FREMD"), QStringLiteral("Wert")), QStringLiteral("1"));

    ASSERT_TRUE(store.SaveSettings(kApp, kSection,
                                   {{QStringLiteral("Dir1"), QStringLiteral("C:\\Neu")},
                                    {QStringLiteral("Text1.text"), QStringLiteral("b.txt")},
                                    {QStringLiteral("Dir2"), QStringLiteral("C:\\Zwei")}})
                    .saved());
    EXPECT_EQ(readBytes(path()), QByteArray("[optionen]\r\n; Notiz\r\ndir1=C:\\Neu\r\nTEXT1.TEXT=b.txt\r\n"
                                            "Dir2=C:\\Zwei\r\n\r\n[Fremd]\r\nwert=1\r\n"));
}

TEST_F(SettingsStoreTest, HandWrittenAndEarlierValuesReadAsMeant)
{
    struct Case {
        const char* line;
        QString text;
    };
    const Case cases[] = {
        // as a person writes them
        {"C:\\tmp\\daten", QStringLiteral("C:\\tmp\\daten")},
        {"Z:\\", QStringLiteral("Z:\\")},
        {"C:\\new\\x41\\007", QStringLiteral("C:\\new\\x41\\007")},
        {"  a , b ; c  ", QStringLiteral("a , b ; c")},
        {"\"C:\\Program Files\\Korvale\"", QStringLiteral("C:\\Program Files\\Korvale")},
        {"Übersicht=neu", QStringLiteral("Übersicht=neu")},
        {"Bl\xE4tter", u"Bl\xDCE4tter"_qs},
        // as earlier versions wrote them
        {"C:\\\\Daten\\\\tmp", QStringLiteral("C:\\Daten\\tmp")},
        {"Z:\\\\", QStringLiteral("Z:\\")},
        {"\"Liste, neu.txt\"", QStringLiteral("Liste, neu.txt")},
        {"\" x \"", QStringLiteral(" x ")},
        {"\"C:\\\\a, b\"", QStringLiteral("C:\\a, b")},
        {"\"a\\tb\\x1\\x31\"", QStringLiteral("a\tb\x01" "1")},
        {"x\\\"y", QStringLiteral("x\"y")},
        {"@@x", QStringLiteral("@x")},
        {"", QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        writeBytes(path(), QByteArray("[Optionen]\r\nText1.text=") + c.line + "\r\nDir2=y\r\n");
        EXPECT_EQ(stored(QStringLiteral("Text1.text")), c.text);
        EXPECT_EQ(stored(QStringLiteral("Dir2")), QStringLiteral("y"));
    }
}

TEST_F(SettingsStoreTest, LinesItCannotMakeOutAreSkippedAndKept)
{
    const QByteArray old = "[Optionen\nText1.text=a.txt\nlose Zeile\n";
    writeBytes(path(), old);
    SettingsStore store(path());
    EXPECT_EQ(store.storedSetting(kApp, kSection, QStringLiteral("Text1.text")), std::nullopt);
    ASSERT_TRUE(store.SaveSetting(kApp, kSection, QStringLiteral("Dir1"), QStringLiteral("C:\\Neu")));
    EXPECT_EQ(readBytes(path()), old + "\n[Optionen]\nDir1=C:\\Neu\n");
}

TEST_F(SettingsStoreTest, TheFileIsReadOnceUntilLoadedAgain)
{
    writeBytes(path(), "[Optionen]\nDir1=C:\\Eins\n");
    SettingsStore store(path());
    EXPECT_EQ(store.load(kApp), SettingsStore::FileState::Read);
    writeBytes(path(), "[Optionen]\nDir1=C:\\Zwei\n");
    EXPECT_EQ(store.storedSetting(kApp, kSection, QStringLiteral("Dir1")), QStringLiteral("C:\\Eins"));
    store.load(kApp);
    EXPECT_EQ(store.storedSetting(kApp, kSection, QStringLiteral("Dir1")), QStringLiteral("C:\\Zwei"));
}

TEST_F(SettingsStoreTest, AnUnreadableFileHoldsNoKeysAndIsKept)
{
    const QByteArray old = "[Optionen]\nText1.text=a.txt\n";
    writeBytes(path(), old);
    const OpenToEveryone everyone(QFile::encodeName(m_dir.path()));
    chmod(QFile::encodeName(path()).constData(), 0);
    const std::string failures = failedChecksIn(runUnprivileged, [&](ChildChecks& check) {
        SettingsStore store(path());
        check.equal("Text1.text", store.storedSetting(kApp, kSection, QStringLiteral("Text1.text")), std::optional<QString>());
        const SettingsStore::SaveResult saved = store.SaveSettings(kApp, kSection, {{QStringLiteral("Dir1"), QStringLiteral("C:\\")}});
        check.equal("file state", saved.fileState, SettingsStore::FileState::Unreadable);
    });
    EXPECT_EQ(failures, "");
    chmod(QFile::encodeName(path()).constData(), 0644);
    EXPECT_EQ(readBytes(path()), old);
}

TEST_F(SettingsStoreTest, AFailedSaveLeavesTheOldFileWhole)
{
    const QByteArray old = "[Optionen]\nText1.text=alt.txt\n; Notiz\n";
    writeBytes(path(), old);
    const OpenToEveryone everyone(QFile::encodeName(m_dir.path()));
    const QString folder = QFileInfo(path()).path();
    chmod(QFile::encodeName(folder).constData(), 0555);
    chmod(QFile::encodeName(path()).constData(), 0444);

    const std::string failures = failedChecksIn(runUnprivileged, [&](ChildChecks& check) {
        SettingsStore store(path());
        check.equal("saved", store.SaveSetting(kApp, kSection, QStringLiteral("Text1.text"), QStringLiteral("neu.txt")), false);
    });
    chmod(QFile::encodeName(folder).constData(), 0755);
    EXPECT_EQ(failures, "");
    EXPECT_EQ(readBytes(path()), old);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Korvale.ini")});
}

TEST_F(SettingsStoreTest, TheLastSaveWinsAndOtherKeysStay)
{
    writeBytes(path(), "[Fremd]\nwert=1\n");
    SettingsStore first(path());
    SettingsStore second(path());
    ASSERT_TRUE(first.SaveSettings(kApp, kSection, {{QStringLiteral("Dir1"), QStringLiteral("C:\\Eins")},
                                                    {QStringLiteral("Dir2"), QStringLiteral("C:\\Eins")}})
                    .saved());
    ASSERT_TRUE(second.SaveSettings(kApp, kSection, {{QStringLiteral("Dir1"), QStringLiteral("C:\\Zwei")}}).saved());
    EXPECT_EQ(readBytes(path()), QByteArray("[Fremd]\nwert=1\n\n[Optionen]\nDir1=C:\\Zwei\nDir2=C:\\Eins\n"));
}

TEST_F(SettingsStoreTest, ASectionRewrittenWholeLeavesEveryOtherLineAsItStands)
{
    const QByteArray options = "[Optionen]\r\nDir1=C:\\Alt\r\nText1.text=a.txt\r\n";
    writeBytes(path(), options + "\r\n[Laufwerke]\r\n; meine Sticks\r\nE=alt\r\nkaputt\r\n\r\n[Fremd]\r\nwert=1\r\n"
                                 "[laufwerke]\r\nF=doppelt\r\n");
    SettingsStore store(path());
    EXPECT_EQ(store.sectionEntries(kApp, QStringLiteral("Laufwerke")),
              (QList<SettingsStore::Entry>{{QStringLiteral("E"), QStringLiteral("alt")},
                                           {QStringLiteral("F"), QStringLiteral("doppelt")}}));
    EXPECT_EQ(store.sectionHeaderCount(kApp, QStringLiteral("Laufwerke")), 2);

    // Another program writes between the read and the save: the rewrite sees what it wrote.
    writeBytes(path(), readBytes(path()) + "G=dazwischen\r\n");
    QList<SettingsStore::Entry> seen;
    const SettingsStore::SectionChange change{QStringLiteral("Laufwerke"), {}, [&](const QList<SettingsStore::Entry>& inFile) {
        seen = inFile;
        return QList<SettingsStore::Entry>{{QStringLiteral("D"), QStringLiteral("neu")}, {QStringLiteral("E"), QStringLiteral(" x ")}};
    }};
    ASSERT_TRUE(store.SaveSettings(kApp, {change}).saved());
    EXPECT_EQ(seen.size(), 3);
    EXPECT_EQ(readBytes(path()), options + "\r\n[Laufwerke]\r\n; meine Sticks\r\nkaputt\r\nD=neu\r\nE=\" x \"\r\n\r\n"
                                           "[Fremd]\r\nwert=1\r\n");

    // A file without the section gains it at the end; nothing to write adds nothing.
    writeBytes(path(), options);
    const auto rewriteTo = [](QList<SettingsStore::Entry> entries) {
        return SettingsStore::SectionChange{QStringLiteral("Laufwerke"), {}, [entries](const auto&) { return entries; }};
    };
    ASSERT_TRUE(store.SaveSettings(kApp, {rewriteTo({})}).saved());
    EXPECT_EQ(readBytes(path()), options);
    ASSERT_TRUE(store.SaveSettings(kApp, {rewriteTo({{QStringLiteral("D"), QStringLiteral("neu")}})}).saved());
    EXPECT_EQ(readBytes(path()), options + "\r\n[Laufwerke]\r\nD=neu\r\n");
}

// Each unit as two bytes, as an editor writes UTF-16, the byte-order mark first.
QByteArray utf16(const QString& text, bool bigEndian)
{
    QByteArray bytes;
    for (const QChar unit : u'\uFEFF' + text) {
        const char high = char(unit.unicode() >> 8);
        const char low = char(unit.unicode() & 0xFF);
        bytes.append(bigEndian ? high : low).append(bigEndian ? low : high);
    }
    return bytes;
}

// The encoding, byte-order mark and line ends of the file stay; a folder name that is no
// UTF-8 is written back as its bytes (in UTF-16 as the unit that stands for the byte).
TEST_F(SettingsStoreTest, AFileIsReadAndSavedInTheFormItsEditorWrote)
{
    const QString notUtf8 = u"C:\\Bl\xDCE4tter"_qs;
    struct Case {
        const char* what;
        QByteArray before;
        QByteArray after;
    };
    const QList<Case> cases = {
        {"UTF-8, mark, CR LF", "\xEF\xBB\xBF[Optionen]\r\nDir1=C:\\\xC3\x84lter\r\n",
         "\xEF\xBB\xBF[Optionen]\r\nDir1=C:\\Neu\r\nDir2=C:\\Bl\xE4tter\r\n"},
        {"CR alone", "[Optionen]\rDir1=C:\\\xC3\x84lter\r; Notiz\r",
         "[Optionen]\rDir1=C:\\Neu\r; Notiz\rDir2=C:\\Bl\xE4tter\r"},
        {"UTF-16 little end first, CR LF", utf16(u"[Optionen]\r\nDir1=C:\\Älter\r\n"_qs, false),
         utf16(u"[Optionen]\r\nDir1=C:\\Neu\r\nDir2="_qs + notUtf8 + u"\r\n"_qs, false)},
        {"UTF-16 big end first, LF", utf16(u"[Optionen]\nDir1=C:\\Älter\n"_qs, true),
         utf16(u"[Optionen]\nDir1=C:\\Neu\nDir2="_qs + notUtf8 + u"\n"_qs, true)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeBytes(path(), c.before);
        EXPECT_EQ(stored(QStringLiteral("Dir1")), u"C:\\Älter"_qs);
        const SettingsStore::SaveResult result = SettingsStore(path()).SaveSettings(
            kApp, kSection, {{QStringLiteral("Dir1"), QStringLiteral("C:\\Neu")}, {QStringLiteral("Dir2"), notUtf8}});
        EXPECT_TRUE(result.saved());
        EXPECT_EQ(readBytes(path()), c.after);
        EXPECT_EQ(stored(QStringLiteral("Dir2")), notUtf8);
    }
}

// Rather than change what it cannot write back as it stands, a save leaves the file alone.
TEST_F(SettingsStoreTest, AFileThatCannotKeepItsFormIsLeftAlone)
{
    const QList<QByteArray> files = {
        utf16(u"[Optionen]\r\nDir1=C:\\Alt\r\n"_qs, false) + 'x', // half a unit at the end
        utf16(u"[Optionen]\r\nDir1=C:\\Alt"_qs + QChar(0xD800) + u"\r\n"_qs, false), // a surrogate without its pair
        utf16(u"[Optionen]\r\nDir1=C:\\Alt\r\n"_qs, false).sliced(2), // UTF-16 without its mark
        QByteArray("\xFF\xFE\0\0[\0\0\0", 8), // UTF-32
    };
    for (const QByteArray& file : files) {
        writeBytes(path(), file);
        const SettingsStore::SaveResult result
            = SettingsStore(path()).SaveSettings(kApp, kSection, {{QStringLiteral("Dir1"), QStringLiteral("C:\\Neu")}});
        EXPECT_FALSE(result.saved());
        EXPECT_FALSE(result.keptItsForm);
        EXPECT_EQ(readBytes(path()), file);
    }
}

// A settings file kept with the person's dotfiles: saved through the link where the link and
// the file are the person's own; read but never written where either is someone else's.
TEST_F(SettingsStoreTest, ALinkedSettingsFileIsSavedThroughOnlyWhereItIsTheUsersOwn)
{
    const QByteArray before = "[Optionen]\nDir1=C:\\Alt\n";
    const QString target = m_dir.filePath(QStringLiteral("dotfiles/korvale.ini"));
    const QByteArray link = QFile::encodeName(path());
    const passwd* nobody = getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    struct Case {
        const char* what;
        bool linkOwned;
        bool targetOwned;
    };
    for (const Case& c : {Case{"own link, own file", true, true}, Case{"someone else's link", false, true},
                          Case{"someone else's file", true, false}}) {
        SCOPED_TRACE(c.what);
        if (geteuid() != 0 && !(c.linkOwned && c.targetOwned))
            continue; // only root can give a link or a file away
        writeBytes(target, before);
        QFile::remove(path());
        QDir().mkpath(QFileInfo(path()).path());
        ASSERT_EQ(symlink("../dotfiles/korvale.ini", link.constData()), 0);
        const OpenToEveryone everyone(QFile::encodeName(m_dir.path()));
        ASSERT_EQ(chmod(QFile::encodeName(target).constData(), 0666), 0);
        if (geteuid() == 0) {
            ASSERT_EQ(lchown(link.constData(), c.linkOwned ? nobody->pw_uid : 0, 0), 0);
            ASSERT_EQ(chown(QFile::encodeName(target).constData(), c.targetOwned ? nobody->pw_uid : 0, 0), 0);
        }
        const bool throughLink = c.linkOwned && c.targetOwned;
        const std::string failures = failedChecksIn(runUnprivileged, [&](ChildChecks& check) {
            SettingsStore store(path());
            check.equal("Dir1", store.storedSetting(kApp, kSection, QStringLiteral("Dir1")), std::optional(QStringLiteral("C:\\Alt")));
            check.equal("saved", store.SaveSetting(kApp, kSection, QStringLiteral("Dir1"), QStringLiteral("C:\\Neu")), throughLink);
        });
        EXPECT_EQ(failures, "");
        EXPECT_EQ(readBytes(target), throughLink ? QByteArray("[Optionen]\nDir1=C:\\Neu\n") : before);
        EXPECT_TRUE(QFileInfo(path()).isSymLink());
        EXPECT_EQ(QDir(QFileInfo(target).path()).entryList(QDir::Files | QDir::Hidden), QStringList{"korvale.ini"});
    }
}

TEST_F(SettingsStoreTest, ThePerUserFileLiesInTheConfigFolder)
{
    const QByteArray oldConfigHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path()));
    SettingsStore store;
    const bool saved = store.SaveSetting(kApp, kSection, QStringLiteral("Dir1"), QStringLiteral("C:\\"));
    const QString file = store.fileName(kApp);
    oldConfigHome.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", oldConfigHome);
    ASSERT_TRUE(saved);
    EXPECT_EQ(file, path());
    EXPECT_EQ(readBytes(path()), QByteArray("[Optionen]\nDir1=C:\\\n"));
}

} // namespace
