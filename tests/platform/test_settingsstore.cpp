#include "platform/settingsstore.h"
#include "support/qtprinters.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

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
    };
    for (const QString& text : texts) {
        SCOPED_TRACE(text.left(40).toStdString());
        ASSERT_TRUE(SettingsStore(path()).SaveSetting(kApp, kSection, QStringLiteral("Text1.text"), text));
        const std::optional<QString> back = stored(QStringLiteral("Text1.text"));
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(*back, text);
    }
}

TEST_F(SettingsStoreTest, TheFileIsReadableIniWithTheSection)
{
    SettingsStore store(path());
    ASSERT_TRUE(store.SaveSettings(kApp, kSection,
                                   {{QStringLiteral("Dir1"), QStringLiteral("C:\\Daten")},
                                    {QStringLiteral("Text1.text"), QStringLiteral("Liste.txt")}}));
    EXPECT_EQ(readBytes(path()), QByteArray("[Optionen]\nDir1=C:\\\\Daten\nText1.text=Liste.txt\n"));
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

TEST_F(SettingsStoreTest, NamesMatchWithoutLetterCaseAndKeepTheirSpelling)
{
    writeBytes(path(), "[optionen]\ndir1=C:\\\\Alt\nTEXT1.TEXT=a.txt\n");
    SettingsStore store(path());
    EXPECT_EQ(store.storedSetting(kApp, kSection, QStringLiteral("Dir1")), QStringLiteral("C:\\Alt"));
    EXPECT_EQ(store.storedSetting(kApp, kSection, QStringLiteral("Text1.text")), QStringLiteral("a.txt"));

    ASSERT_TRUE(store.SaveSettings(kApp, kSection,
                                   {{QStringLiteral("Dir1"), QStringLiteral("C:\\Neu")},
                                    {QStringLiteral("Text1.text"), QStringLiteral("b.txt")}}));
    EXPECT_EQ(readBytes(path()), QByteArray("[optionen]\nTEXT1.TEXT=b.txt\ndir1=C:\\\\Neu\n"));
}

TEST_F(SettingsStoreTest, NamesOutsidePlainLettersComeBack)
{
    SettingsStore store(path());
    const QString section = QStringLiteral("Öffnen [neu]");
    const QString key = QStringLiteral("Text 1=€");
    ASSERT_TRUE(store.SaveSetting(kApp, section, key, QStringLiteral("wert")));
    EXPECT_EQ(store.storedSetting(kApp, section, key), QStringLiteral("wert"));
    EXPECT_EQ(store.storedSetting(kApp, section.toUpper(), key.toLower()), QStringLiteral("wert"));
}

TEST_F(SettingsStoreTest, HandWrittenValuesWithCommasAreOneText)
{
    struct Case {
        const char* line;
        QString text;
    };
    const Case cases[] = {
        {"Liste, neu.txt", QStringLiteral("Liste, neu.txt")},
        {"a,b", QStringLiteral("a,b")},
        {"  a , b  ", QStringLiteral("a , b")},
        {"a,b ; Notiz", QStringLiteral("a,b")},
        {"C:\\\\Daten,alt", QStringLiteral("C:\\Daten,alt")},
        {"\"a, b\", c", QStringLiteral("a, b, c")},
        {"\" x \",y", QStringLiteral(" x ,y")},
        {"\\x41,\\102", QStringLiteral("A,B")},
        {"Übersicht,neu", QStringLiteral("Übersicht,neu")},
        {"@ByteArray(x)", QStringLiteral("@ByteArray(x)")},
        {",", QStringLiteral(",")},
        {"a,\\\n  b", QStringLiteral("a,  b")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        writeBytes(path(), QByteArray("[Optionen]\r\nDir1=x\r\nText1.text=") + c.line + "\r\nDir2=y\r\n");
        EXPECT_EQ(stored(QStringLiteral("Text1.text")), c.text);
        EXPECT_EQ(stored(QStringLiteral("Dir2")), QStringLiteral("y"));
    }
}

TEST_F(SettingsStoreTest, FilesThatCannotBeReadHoldNoKeys)
{
    const QByteArray contents[] = {
        "[Optionen\nText1.text=a.txt\n",
        "[Optionen]\nText1.text=a.txt\nlose Zeile\n",
        "[Optionen]\nText1.text=a.txt\xff\n",
        QByteArray("\xff\xfe\x00\x01garbage\n=\n[[]]\n", 17),
        QByteArray(1000, '\0'),
    };
    for (const QByteArray& content : contents) {
        writeBytes(path(), content);
        // QSettings would report the damage to the first reader only.
        for (int read = 0; read < 2; ++read)
            EXPECT_EQ(stored(QStringLiteral("Text1.text")), std::nullopt);
    }
    QFile::remove(path());
    EXPECT_EQ(stored(QStringLiteral("Text1.text")), std::nullopt);
}

TEST_F(SettingsStoreTest, AnUnreadableFileHoldsNoKeys)
{
    writeBytes(path(), "[Optionen]\nText1.text=a.txt\n");
    openToEveryone(QFile::encodeName(m_dir.path()).constData());
    chmod(QFile::encodeName(path()).constData(), 0);
    const int result = runUnprivileged([&] { return stored(QStringLiteral("Text1.text")) == std::nullopt ? 0 : 1; });
    EXPECT_EQ(result, 0);
}

TEST_F(SettingsStoreTest, SavingOverAGarbledFileReplacesIt)
{
    writeBytes(path(), "[Optionen\nText1.text=a.txt\n");
    SettingsStore store(path());
    ASSERT_TRUE(store.SaveSetting(kApp, kSection, QStringLiteral("Dir1"), QStringLiteral("C:\\Neu")));
    EXPECT_EQ(store.storedSetting(kApp, kSection, QStringLiteral("Dir1")), QStringLiteral("C:\\Neu"));
}

TEST_F(SettingsStoreTest, AFailedSaveLeavesTheOldFileWhole)
{
    const QByteArray old = "[Optionen]\nText1.text=alt.txt\n; Notiz\n";
    writeBytes(path(), old);
    openToEveryone(QFile::encodeName(m_dir.path()).constData());
    const QString folder = QFileInfo(path()).path();
    chmod(QFile::encodeName(folder).constData(), 0555);
    chmod(QFile::encodeName(path()).constData(), 0644);

    const int result = runUnprivileged([&] {
        SettingsStore store(path());
        return store.SaveSetting(kApp, kSection, QStringLiteral("Text1.text"), QStringLiteral("neu.txt")) ? 1 : 0;
    });
    chmod(QFile::encodeName(folder).constData(), 0755);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(readBytes(path()), old);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Korvale.ini")});
}

TEST_F(SettingsStoreTest, TheLastSaveWinsAndOtherKeysStay)
{
    writeBytes(path(), "[Fremd]\nwert=1\n");
    SettingsStore first(path());
    SettingsStore second(path());
    ASSERT_TRUE(first.SaveSettings(kApp, kSection, {{QStringLiteral("Dir1"), QStringLiteral("C:\\Eins")},
                                                    {QStringLiteral("Dir2"), QStringLiteral("C:\\Eins")}}));
    ASSERT_TRUE(second.SaveSettings(kApp, kSection, {{QStringLiteral("Dir1"), QStringLiteral("C:\\Zwei")}}));
    EXPECT_EQ(readBytes(path()), QByteArray("[Fremd]\nwert=1\n\n[Optionen]\nDir1=C:\\\\Zwei\nDir2=C:\\\\Eins\n"));
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
    EXPECT_EQ(readBytes(path()), QByteArray("[Optionen]\nDir1=C:\\\\\n"));
}

} // namespace
