#include "generation/statustext.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

namespace {

TEST(StatusText, SuccessNamesFileAndFolderWithTwoBlanksBeforeErzeugt)
{
    const ListFileOutcome written{true, 0};
    EXPECT_EQ(StatusText::after(written, "Liste.txt", "C:\\", {}), u"Ergebnisdatei Liste.txt wurde in C:\\  erzeugt"_qs);
    EXPECT_EQ(StatusText::after(written, "Dateien.txt", "D:\\Daten\\Jahr", {}),
              u"Ergebnisdatei Dateien.txt wurde in D:\\Daten\\Jahr  erzeugt"_qs);
}

TEST(StatusText, NotesFollowInFixedOrderOnlyWhenNotZero)
{
    struct Case {
        RunNotes notes;
        qsizetype replacedEntries;
        QString line;
    };
    const QList<Case> cases = {
        {{2, 1}, 3,
         u"Ergebnisdatei Liste.txt wurde in C:\\  erzeugt (2 Verzeichnisse nicht lesbar, 1 Dateiname ausgelassen, "
         u"3 Einträge mit Ersatzzeichen)"_qs},
        {{1, 0}, 0, u"Ergebnisdatei Liste.txt wurde in C:\\  erzeugt (1 Verzeichnis nicht lesbar)"_qs},
        {{0, 5}, 0, u"Ergebnisdatei Liste.txt wurde in C:\\  erzeugt (5 Dateinamen ausgelassen)"_qs},
        {{0, 0}, 1, u"Ergebnisdatei Liste.txt wurde in C:\\  erzeugt (1 Eintrag mit Ersatzzeichen)"_qs},
        {{0, 1}, 1234567,
         u"Ergebnisdatei Liste.txt wurde in C:\\  erzeugt (1 Dateiname ausgelassen, "
         u"1234567 Einträge mit Ersatzzeichen)"_qs},
        {{0, 0, 1}, 0, u"Ergebnisdatei Liste.txt wurde in C:\\  erzeugt (1 Verknüpfung nicht verfolgt)"_qs},
        {{1, 0, 2}, 1,
         u"Ergebnisdatei Liste.txt wurde in C:\\  erzeugt (1 Verzeichnis nicht lesbar, 1 Eintrag mit Ersatzzeichen, "
         u"2 Verknüpfungen nicht verfolgt)"_qs},
        {{0, 0}, 0, u"Ergebnisdatei Liste.txt wurde in C:\\  erzeugt"_qs},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StatusText::after({true, c.replacedEntries}, "Liste.txt", "C:\\", c.notes), c.line);
}

ListChanges changesOf(qsizetype added, qsizetype missing)
{
    ListChanges changes;
    for (qsizetype i = 0; i < added; ++i)
        changes.add(ListChanges::Kind::New, [] { return ListChanges::Entry(); });
    for (qsizetype i = 0; i < missing; ++i)
        changes.add(ListChanges::Kind::Missing, [] { return ListChanges::Entry(); });
    return changes;
}

// What changed against the list replaced ends the notes; a list with the same entries, or
// none to compare with, adds nothing. A check says the same, or that all is there.
TEST(StatusText, ChangesAgainstTheOldListEndTheNotesAndSumUpACheck)
{
    const struct {
        std::optional<ListChanges> changes;
        RunNotes notes;
        QString line;
        QString checked;
    } cases[] = {
        {changesOf(12, 3), {}, u"Ergebnisdatei Liste.txt wurde in C:\\  erzeugt (12 neu, 3 fehlen)"_qs,
         u"12 neu, 3 fehlen."_qs},
        {changesOf(1, 0), {2, 0}, u"Ergebnisdatei Liste.txt wurde in C:\\  erzeugt (2 Verzeichnisse nicht lesbar, 1 neu)"_qs,
         u"1 neu."_qs},
        {changesOf(0, 1), {}, u"Ergebnisdatei Liste.txt wurde in C:\\  erzeugt (1 fehlt)"_qs, u"1 fehlt."_qs},
        {changesOf(0, 0), {}, u"Ergebnisdatei Liste.txt wurde in C:\\  erzeugt"_qs,
         u"Alle 1.234 Dateien der Liste vorhanden."_qs},
        {std::nullopt, {}, u"Ergebnisdatei Liste.txt wurde in C:\\  erzeugt"_qs, QString()},
    };
    for (const auto& c : cases) {
        ListFileOutcome outcome{true, 0};
        outcome.changes = c.changes;
        EXPECT_EQ(StatusText::after(outcome, "Liste.txt", "C:\\", c.notes), c.line);
        if (c.changes) {
            EXPECT_EQ(StatusText::checked(*c.changes, 1234), c.checked);
        }
    }
    EXPECT_EQ(StatusText::checked(changesOf(0, 0), 1), u"Die eine Datei der Liste ist vorhanden."_qs);
}

// The notes of the run are left out: the list they speak of is not there.
TEST(StatusText, FailureGivesTheReasonWithoutNotes)
{
    const std::pair<WriteFailure, QString> cases[] = {
        {WriteFailure::NoRight, u"Ergebnisdatei konnte nicht erzeugt werden. Keine Schreibrechte vorhanden."_qs},
        {WriteFailure::FolderMissing, u"Ergebnisdatei konnte nicht erzeugt werden. Der Zielordner existiert nicht."_qs},
        {WriteFailure::DiskFull, u"Ergebnisdatei konnte nicht erzeugt werden. Der Datenträger ist voll."_qs},
        {WriteFailure::InvalidName, u"Ergebnisdatei konnte nicht erzeugt werden. Der Dateiname ist ungültig."_qs},
        {WriteFailure::NotARegularFile,
         u"Ergebnisdatei konnte nicht erzeugt werden. Unter diesem Namen steht keine gewöhnliche Datei."_qs},
        {WriteFailure::Other,
         u"Ergebnisdatei konnte nicht erzeugt werden. Beim Schreiben ist ein Fehler aufgetreten."_qs},
    };
    for (const auto& [failure, line] : cases)
        EXPECT_EQ(StatusText::after({false, 4, failure}, "Liste.txt", "C:\\Daten", {3, 2}), line);
}

// A write killed part way before was undone first: the line says so whether this list is
// there or not (where it is not, the old one is back whole).
TEST(StatusText, AnUndoneEarlierWriteIsSaidWhetherTheListIsWrittenOrNot)
{
    ListFileOutcome written{true, 1};
    written.oldListRestored = true;
    EXPECT_EQ(StatusText::after(written, "Liste.txt", "C:\\", {1, 0}),
              u"Ergebnisdatei Liste.txt wurde in C:\\  erzeugt (unterbrochenes Schreiben zuvor rückgängig gemacht, "
              u"1 Verzeichnis nicht lesbar, 1 Eintrag mit Ersatzzeichen)"_qs);
    ListFileOutcome failed{false, 0, WriteFailure::DiskFull};
    failed.oldListRestored = true;
    EXPECT_EQ(StatusText::after(failed, "Liste.txt", "C:\\", {}),
              u"Ergebnisdatei konnte nicht erzeugt werden. Der Datenträger ist voll. Die alte Liste ist nach einem "
              u"unterbrochenen Schreiben wiederhergestellt."_qs);
}

// One file and one folder are counted in the singular, none and more in the plural.
TEST(StatusText, TheLiveCountSaysOneInTheSingular)
{
    const struct {
        QString source;
        qsizetype files, folders;
        QString line;
    } cases[] = {
        {u"C:\\"_qs, 1, 1, u"Suche läuft in C:\\: 1 Datei in 1 Verzeichnis ... (Esc bricht ab)"_qs},
        {u"D:\\%2"_qs, 0, 2, u"Suche läuft in D:\\%2: 0 Dateien in 2 Verzeichnissen ... (Esc bricht ab)"_qs},
        {u"C:\\Bilder"_qs, 123456, 0, u"Suche läuft in C:\\Bilder: 123456 Dateien in 0 Verzeichnissen ... (Esc bricht ab)"_qs},
    };
    for (const auto& [source, files, folders, line] : cases)
        EXPECT_EQ(StatusText::searching(source, files, folders), line);
}

} // namespace
