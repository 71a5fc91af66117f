#include "generation/statustext.h"

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
        QString tail;
    };
    const QList<Case> cases = {
        {{2, 1}, 3, u" (2 Verzeichnisse nicht lesbar, 1 Dateiname ausgelassen, 3 Einträge mit Ersatzzeichen)"_qs},
        {{1, 0}, 0, u" (1 Verzeichnis nicht lesbar)"_qs},
        {{0, 5}, 0, u" (5 Dateinamen ausgelassen)"_qs},
        {{0, 0}, 1, u" (1 Eintrag mit Ersatzzeichen)"_qs},
        {{0, 1}, 1234567, u" (1 Dateiname ausgelassen, 1234567 Einträge mit Ersatzzeichen)"_qs},
        {{0, 0, 1}, 0, u" (1 Verknüpfung nicht verfolgt)"_qs},
        {{1, 0, 2}, 1, u" (1 Verzeichnis nicht lesbar, 1 Eintrag mit Ersatzzeichen, 2 Verknüpfungen nicht verfolgt)"_qs},
        {{0, 0}, 0, u""_qs},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tail.toStdString());
        EXPECT_EQ(StatusText::after({true, c.replacedEntries}, "Liste.txt", "C:\\", c.notes),
                  u"Ergebnisdatei Liste.txt wurde in C:\\  erzeugt"_qs + c.tail);
    }
}

TEST(StatusText, FailureGivesTheReasonWithoutNotes)
{
    struct Case {
        WriteFailure failure;
        QString reason;
    };
    const QList<Case> cases = {
        {WriteFailure::NoRight, u"Keine Schreibrechte vorhanden."_qs},
        {WriteFailure::FolderMissing, u"Der Zielordner existiert nicht."_qs},
        {WriteFailure::DiskFull, u"Der Datenträger ist voll."_qs},
        {WriteFailure::InvalidName, u"Der Dateiname ist ungültig."_qs},
        {WriteFailure::NotARegularFile, u"Unter diesem Namen steht keine gewöhnliche Datei."_qs},
        {WriteFailure::Other, u"Beim Schreiben ist ein Fehler aufgetreten."_qs},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason.toStdString());
        EXPECT_EQ(StatusText::after({false, 4, c.failure}, "Liste.txt", "C:\\Daten", {3, 2}),
                  u"Ergebnisdatei konnte nicht erzeugt werden. "_qs + c.reason);
    }
}

} // namespace
