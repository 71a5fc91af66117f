#include "options/driveletterstore.h"
#include "options/optionstore.h"
#include "support/logcapture.h"
#include "support/qtprinters.h"
#include "support/testsettingsfile.h"
#include "text/namecodec.h"

#include <gtest/gtest.h>


namespace {

const QByteArray kOptions = "[Optionen]\nDir1=C:\\\nDir2=C:\\Daten\nDir3=C:\\\nText1.text=Liste.txt\n";

// "E=uuid:A@2026-12-07" for each letter; "@" alone where no day is known.
QStringList linesOf(const RememberedLetters& letters)
{
    QStringList lines;
    for (auto it = letters.volumes().cbegin(); it != letters.volumes().cend(); ++it)
        lines.append(QString(it.key()) + u'=' + it->identity + u'@' + it->lastMounted.toString(Qt::ISODate));
    return lines;
}

RememberedLetters lettersOf(const QList<std::pair<QChar, RememberedLetters::Volume>>& volumes)
{
    RememberedLetters letters;
    for (const auto& [letter, volume] : volumes)
        EXPECT_TRUE(letters.remember(letter, volume));
    return letters;
}

class DriveLetterStoreTest : public ::testing::Test {
protected:
    QString settingsFile() const { return m_file.path(); }
    void writeSettings(const QByteArray& content) const { m_file.write(content); }
    QByteArray settingsBytes() const { return m_file.bytes(); }

    // What a new session reads, and the warnings it says.
    std::pair<QStringList, QStringList> restored() const
    {
        const LogCapture log("korvale.options");
        SettingsStore store(settingsFile());
        const RememberedLetters letters = DriveLetterStore(store).restore();
        return {linesOf(letters), log.warnings()};
    }

    bool saveFromWindow(const RememberedLetters& read, const RememberedLetters& now) const
    {
        SettingsStore store(settingsFile());
        return store.SaveSettings(OptionStore::kApplication, {DriveLetterStore::change(read, now)}).saved();
    }

    TestSettingsFile m_file;
};

TEST_F(DriveLetterStoreTest, AValueHoldsTheIdentityAndTheDay)
{
    using Volume = RememberedLetters::Volume;
    const struct {
        QString value;
        std::optional<Volume> volume;
    } cases[] = {
        {QStringLiteral("uuid:0A1B-2C3D;2026-12-07"), Volume{QStringLiteral("uuid:0A1B-2C3D"), QDate(2026, 12, 7)}},
        {QStringLiteral("label:Fotos;Urlaub;2026-12-07"), Volume{QStringLiteral("label:Fotos;Urlaub"), QDate(2026, 12, 7)}},
        {QStringLiteral("source://nas/daten"), Volume{QStringLiteral("source://nas/daten"), {}}},
        {QStringLiteral("share:sftp:host=x;2026-13-45"), Volume{QStringLiteral("share:sftp:host=x;2026-13-45"), {}}},
        {QStringLiteral("path:/mnt/x;2026-12-07"), Volume{QStringLiteral("path:/mnt/x"), QDate(2026, 12, 7)}},
        {QStringLiteral("uuid:;2026-12-07"), std::nullopt},
        {QStringLiteral("Stick;2026-12-07"), std::nullopt},
        {QStringLiteral("disk:x;2026-12-07"), std::nullopt},
        {QStringLiteral(";2026-12-07"), std::nullopt},
        {QString(), std::nullopt},
    };
    for (const auto& [value, volume] : cases) {
        EXPECT_EQ(DriveLetterStore::volumeOf(value), volume) << value.toStdString();
        if (volume) {
            EXPECT_EQ(DriveLetterStore::volumeOf(DriveLetterStore::valueOf(*volume)), volume) << value.toStdString();
        }
    }
}

TEST_F(DriveLetterStoreTest, WhatIsSoundIsReadAndTheRestSaidWithoutLosingTheOptions)
{
    QByteArray tenThousand = kOptions + "[Laufwerke]\nE=uuid:S;2026-12-07\n";
    for (int i = 0; i < 10000; ++i)
        tenThousand += "X" + QByteArray::number(i) + "=uuid:" + QByteArray::number(i) + ";2026-12-07\n";
    const struct {
        const char* what;
        QByteArray file;
        QStringList letters;
        QStringList warnings;
    } cases[] = {
        {"a file without the section", kOptions, {}, {}},
        {"sound lines, in either case", kOptions + "[laufwerke]\ne=uuid:A;2026-12-07\nF:=label:B\n",
         {"E=uuid:A@2026-12-07", "F=label:B@"}, {}},
        {"lines without a volume", kOptions + "[Laufwerke]\nE=Stick\nF=uuid:\nG=uuid:G;2026-12-07\nkaputt\n",
         {"G=uuid:G@2026-12-07"},
         {"Im Abschnitt [Laufwerke] von \"%1\" wurden 2 Zeilen übergangen (2 ohne erkennbaren Datenträger); es gelten "
          "die übrigen."}},
        {"letters outside D: to Y:", kOptions + "[Laufwerke]\nC=uuid:A\nZ=uuid:B\nAB=uuid:C\nD=uuid:D\n",
         {"D=uuid:D@"},
         {"Im Abschnitt [Laufwerke] von \"%1\" wurden 3 Zeilen übergangen (3 mit einem anderen Schlüssel als D bis Y); "
          "es gelten die übrigen."}},
        {"a letter twice: the last counts; a volume twice: the first letter",
         kOptions + "[Laufwerke]\nE=uuid:A\nE=uuid:B\nF=uuid:B\n", {"E=uuid:B@"},
         {"Im Abschnitt [Laufwerke] von \"%1\" wurden 2 Zeilen übergangen (2 doppelt); es gelten die übrigen."}},
        {"the section twice", "[Laufwerke]\nE=uuid:A\n" + kOptions + "[Laufwerke]\nF=uuid:B\n",
         {"E=uuid:A@", "F=uuid:B@"},
         {"Der Abschnitt [Laufwerke] steht 2-mal in \"%1\"; seine Zeilen gelten zusammen."}},
        {"ten thousand lines", tenThousand, {"E=uuid:S@2026-12-07"},
         {"Im Abschnitt [Laufwerke] von \"%1\" wurden 10000 Zeilen übergangen (10000 mit einem anderen Schlüssel als D "
          "bis Y); es gelten die übrigen."}},
    };
    for (const auto& [what, file, letters, warnings] : cases) {
        writeSettings(file);
        const auto [read, said] = restored();
        EXPECT_EQ(read, letters) << what;
        QStringList expected;
        for (const QString& warning : warnings)
            expected.append(warning.arg(settingsFile()));
        EXPECT_EQ(said, expected) << what;
        SettingsStore store(settingsFile());
        EXPECT_EQ(store.storedSetting(OptionStore::kApplication, QStringLiteral("Optionen"), QStringLiteral("Dir2")),
                  QStringLiteral("C:\\Daten"))
            << what;
    }
}

TEST_F(DriveLetterStoreTest, IdentitiesComeBackByteForByte)
{
    const RememberedLetters letters = lettersOf({
        {u'D', {QStringLiteral("label: Fotos ;2020"), QDate(2026, 12, 7)}},
        {u'E', {QStringLiteral("label:Zeile\nZeile"), QDate(2026, 12, 7)}},
        {u'F', {QStringLiteral("label:") + NameCodec::decode("Bl\xe4tter"), QDate(2026, 12, 7)}},
        {u'G', {QStringLiteral("source:\\\\nas\\\"x\""), {}}},
    });
    writeSettings(kOptions);
    ASSERT_TRUE(saveFromWindow({}, letters));
    EXPECT_EQ(restored(), std::pair(linesOf(letters), QStringList()));
}

TEST_F(DriveLetterStoreTest, TwoWindowsAndAPersonEditingTheFileAreAllRespected)
{
    const QDate day(2026, 12, 7);
    writeSettings(kOptions + "[Laufwerke]\nD=uuid:Alt;2026-01-01\n");
    const RememberedLetters read = lettersOf({{u'D', {QStringLiteral("uuid:Alt"), QDate(2026, 1, 1)}}});
    // Both windows met new volumes; neither knew of the other's.
    const RememberedLetters first = lettersOf({{u'D', {QStringLiteral("uuid:Alt"), QDate(2026, 1, 1)}},
                                               {u'E', {QStringLiteral("uuid:Eins"), day}}});
    const RememberedLetters second = lettersOf({{u'D', {QStringLiteral("uuid:Alt"), day}},
                                                {u'E', {QStringLiteral("uuid:Zwei"), day}},
                                                {u'F', {QStringLiteral("uuid:Drei"), day}}});
    ASSERT_TRUE(saveFromWindow(read, first));
    ASSERT_TRUE(saveFromWindow(read, second));
    EXPECT_EQ(settingsBytes(),
              kOptions + "[Laufwerke]\nD=uuid:Alt;2026-12-07\nE=uuid:Eins;2026-12-07\nF=uuid:Drei;2026-12-07\n");

    // The person forgets D: while a window runs that read it.
    writeSettings(kOptions + "[Laufwerke]\nE=uuid:Eins;2026-12-07\nF=uuid:Drei;2026-12-07\n");
    ASSERT_TRUE(saveFromWindow(read, second));
    EXPECT_EQ(settingsBytes(), kOptions + "[Laufwerke]\nE=uuid:Eins;2026-12-07\nF=uuid:Drei;2026-12-07\n");
}

TEST_F(DriveLetterStoreTest, TheCommandLineAddsNewVolumesOnlyAndNeverTouchesTheOptions)
{
    const QByteArray options = "[Optionen]\r\n; von Hand\r\nDir2=C:\\\\Daten\r\n";
    writeSettings(options);
    SettingsStore store(settingsFile());
    DriveLetterStore letters(store);
    const RememberedLetters read = letters.restore();
    const RememberedLetters seen = lettersOf({{u'D', {QStringLiteral("uuid:S"), QDate(2026, 12, 7)}}});
    ASSERT_TRUE(letters.saveNewVolumes(read, read));
    EXPECT_EQ(settingsBytes(), options);
    ASSERT_TRUE(letters.saveNewVolumes(read, seen));
    EXPECT_EQ(settingsBytes(), options + "\r\n[Laufwerke]\r\nD=uuid:S;2026-12-07\r\n");

    // Only seen again: a day is not worth a write.
    const RememberedLetters later = lettersOf({{u'D', {QStringLiteral("uuid:S"), QDate(2026, 12, 9)}}});
    ASSERT_TRUE(letters.saveNewVolumes(seen, later));
    EXPECT_EQ(settingsBytes(), options + "\r\n[Laufwerke]\r\nD=uuid:S;2026-12-07\r\n");
}

} // namespace
