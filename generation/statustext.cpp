#include "generation/statustext.h"

#include <QStringList>

namespace {

QString counted(qsizetype count, const QString& one, const QString& many)
{
    return QString::number(count) + u' ' + (count == 1 ? one : many);
}

QStringList remarks(const RunNotes& notes, const ListFileOutcome& outcome)
{
    QStringList parts;
    if (outcome.oldListRestored)
        parts << QStringLiteral("unterbrochenes Schreiben zuvor rückgängig gemacht");
    if (notes.unreadableFolders != 0)
        parts << counted(notes.unreadableFolders, QStringLiteral("Verzeichnis nicht lesbar"),
                         QStringLiteral("Verzeichnisse nicht lesbar"));
    if (notes.leftOutNames != 0)
        parts << counted(notes.leftOutNames, QStringLiteral("Dateiname ausgelassen"),
                         QStringLiteral("Dateinamen ausgelassen"));
    if (outcome.replacedEntries != 0)
        parts << counted(outcome.replacedEntries, QStringLiteral("Eintrag mit Ersatzzeichen"),
                         QStringLiteral("Einträge mit Ersatzzeichen"));
    if (notes.linksNotFollowed != 0)
        parts << counted(notes.linksNotFollowed, QStringLiteral("Verknüpfung nicht verfolgt"),
                         QStringLiteral("Verknüpfungen nicht verfolgt"));
    return parts;
}

// The second sentence of the failure text: why the file is not there.
QString reason(WriteFailure failure)
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

} // namespace

QString StatusText::after(const ListFileOutcome& outcome, const QString& fileName, const QString& targetFolder,
                          const RunNotes& notes)
{
    if (!outcome.written) {
        QString text = QStringLiteral("Ergebnisdatei konnte nicht erzeugt werden. ") + reason(outcome.failure);
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
    QString reason;
    switch (shortage) {
    case Shortage::OpenFiles:
        reason = QStringLiteral("Es können nicht genügend Dateien zugleich geöffnet werden.");
        break;
    case Shortage::Memory:
        reason = QStringLiteral("Nicht genügend Arbeitsspeicher für diese Liste.");
        break;
    case Shortage::Threads:
        reason = QStringLiteral("Es konnte kein Arbeitsthread gestartet werden.");
        break;
    case Shortage::None:
        break;
    }
    return QStringLiteral("Ergebnisdatei konnte nicht erzeugt werden. ") + reason;
}

QString StatusText::searching(qsizetype files, qsizetype folders)
{
    return QStringLiteral("Suche läuft: ") + counted(files, QStringLiteral("Datei"), QStringLiteral("Dateien"))
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
