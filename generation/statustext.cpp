#include "generation/statustext.h"

#include <QLocale>
#include <QStringList>

namespace {

QStringList remarks(const RunNotes& notes, const ListFileOutcome& outcome)
{
    QStringList parts;
    if (outcome.oldListRestored)
        parts << QStringLiteral("unterbrochenes Schreiben zuvor rückgängig gemacht");
    if (notes.unreadableFolders != 0)
        parts << StatusText::counted(notes.unreadableFolders, QStringLiteral("Verzeichnis nicht lesbar"),
                                     QStringLiteral("Verzeichnisse nicht lesbar"));
    if (notes.leftOutNames != 0)
        parts << StatusText::counted(notes.leftOutNames, QStringLiteral("Dateiname ausgelassen"),
                                     QStringLiteral("Dateinamen ausgelassen"));
    if (outcome.replacedEntries != 0)
        parts << StatusText::counted(outcome.replacedEntries, QStringLiteral("Eintrag mit Ersatzzeichen"),
                                     QStringLiteral("Einträge mit Ersatzzeichen"));
    if (notes.linksNotFollowed != 0)
        parts << StatusText::counted(notes.linksNotFollowed, QStringLiteral("Verknüpfung nicht verfolgt"),
                                     QStringLiteral("Verknüpfungen nicht verfolgt"));
    if (outcome.changes && !outcome.changes->isEmpty())
        parts << outcome.changes->note();
    return parts;
}

} // namespace

QString StatusText::counted(qsizetype count, const QString& one, const QString& many)
{
    return QString::number(count) + u' ' + (count == 1 ? one : many);
}

// The second sentence of the failure text: why the file is not there.
QString StatusText::failureReason(WriteFailure failure)
{
    switch (failure) {
    case WriteFailure::FolderMissing:
        return QStringLiteral("Der Zielordner existiert nicht.");
    case WriteFailure::DiskFull:
        return QStringLiteral("Der Datenträger ist voll.");
    case WriteFailure::InvalidName:
        return QStringLiteral("Der Dateiname ist ungültig.");
    case WriteFailure::NotARegularFile:
        return QStringLiteral("Unter diesem Namen steht keine gewöhnliche Datei.");
    case WriteFailure::Other:
        return QStringLiteral("Beim Schreiben ist ein Fehler aufgetreten.");
    case WriteFailure::None:
    case WriteFailure::NoRight:
        break;
    }
    return QStringLiteral("Keine Schreibrechte vorhanden.");
}

QString StatusText::after(const ListFileOutcome& outcome, const QString& fileName, const QString& targetFolder,
                          const RunNotes& notes)
{
    if (!outcome.written) {
        QString text = QStringLiteral("Ergebnisdatei konnte nicht erzeugt werden. ") + failureReason(outcome.failure);
        if (outcome.oldListRestored)
            text += QStringLiteral(" Die alte Liste ist nach einem unterbrochenen Schreiben wiederhergestellt.");
        return text;
    }
    QString text = QStringLiteral("Ergebnisdatei ") + fileName + QStringLiteral(" wurde in ") + targetFolder
        + QStringLiteral("  erzeugt");
    const QStringList parts = remarks(notes, outcome);
    if (!parts.isEmpty())
        text += QStringLiteral(" (") + parts.join(QStringLiteral(", ")) + u')';
    return text;
}

QString StatusText::shortOf(Shortage shortage)
{
    return QStringLiteral("Ergebnisdatei konnte nicht erzeugt werden. ") + shortageReason(shortage);
}

QString StatusText::shortageReason(Shortage shortage)
{
    switch (shortage) {
    case Shortage::OpenFiles:
        return QStringLiteral("Es können nicht genügend Dateien zugleich geöffnet werden.");
    case Shortage::Memory:
        return QStringLiteral("Nicht genügend Arbeitsspeicher für diese Liste.");
    case Shortage::Threads:
        return QStringLiteral("Es konnte kein Arbeitsthread gestartet werden.");
    case Shortage::None:
        break;
    }
    return {};
}

QString StatusText::searching(const QString& sourceFolder, qsizetype files, qsizetype folders)
{
    // Joined, not filled in: a folder named "%2" stays what it is.
    return QStringLiteral("Suche läuft in ") + sourceFolder + QStringLiteral(": ")
        + counted(files, QStringLiteral("Datei"), QStringLiteral("Dateien"))
        + QStringLiteral(" in ") + counted(folders, QStringLiteral("Verzeichnis"), QStringLiteral("Verzeichnissen"))
        + QStringLiteral(" ... (Esc bricht ab)");
}

QString StatusText::terminalProgress(qsizetype folders, qsizetype files)
{
    return QStringLiteral("Verzeichnisse: %1, Dateien: %2 …").arg(folders).arg(files);
}

QString StatusText::stopping() { return QStringLiteral("Wird abgebrochen ..."); }

QString StatusText::writing(OldList oldList)
{
    if (oldList == OldList::OnlyInMemory)
        return QStringLiteral("Ergebnisdatei wird geschrieben ... (ohne Sicherungskopie: ein Absturz jetzt verlöre die "
                              "alte Liste)");
    return QStringLiteral("Ergebnisdatei wird geschrieben ...");
}

QString StatusText::stopped() { return QStringLiteral("Abgebrochen. Die Ergebnisdatei wurde nicht verändert."); }

QString StatusText::silentStoredFolders(const QStringList& folders)
{
    if (folders.size() == 1)
        return QStringLiteral("Der gespeicherte Ordner %1 antwortet nicht.").arg(folders.constFirst());
    const QString listed = folders.sliced(0, folders.size() - 1).join(QStringLiteral(", "));
    return QStringLiteral("Die gespeicherten Ordner %1 und %2 antworten nicht.").arg(listed, folders.constLast());
}

QString StatusText::checkStopped() { return QStringLiteral("Vergleich abgebrochen."); }

QString StatusText::checked(const ListChanges& changes, qsizetype listEntries)
{
    if (!changes.isEmpty())
        return changes.note() + u'.';
    switch (listEntries) {
    case 0:
        return QStringLiteral("Die Liste ist leer, und es wurde keine Datei gefunden.");
    case 1:
        return QStringLiteral("Die eine Datei der Liste ist vorhanden.");
    default:
        break;
    }
    // Grouped as a German reader writes a count: 1.234
    return QStringLiteral("Alle %1 Dateien der Liste vorhanden.").arg(QLocale(QLocale::German).toString(listEntries));
}

QString StatusText::checkTrouble(CheckTrouble trouble, const QString& listFile)
{
    switch (trouble) {
    case CheckTrouble::ListMissing:
        return QStringLiteral("Die Liste %1 gibt es nicht.").arg(listFile);
    case CheckTrouble::ListUnreadable:
        return QStringLiteral("Die Liste %1 lässt sich nicht lesen.").arg(listFile);
    case CheckTrouble::NotInOrder:
        return QStringLiteral("Die Liste %1 ist nicht so sortiert, wie Korvale sortiert: kein Vergleich möglich.")
            .arg(listFile);
    case CheckTrouble::TooManyMoved:
        return QStringLiteral("In der Liste %1 stehen zu viele Einträge außer der Reihe: kein Vergleich möglich.")
            .arg(listFile);
    case CheckTrouble::NotAList:
        break;
    }
    return QStringLiteral("%1 ist keine Liste, wie Korvale sie schreibt.").arg(listFile);
}
