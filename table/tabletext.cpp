#include "table/tabletext.h"

#include "generation/statustext.h"

#include <QStringList>

namespace {

QString notMade(const QString& reason) { return QStringLiteral("Tabelle konnte nicht erzeugt werden. ") + reason; }

} // namespace

QString TableText::reading(qsizetype filesRead, qsizetype files)
{
    return QStringLiteral("Tabelle: %1 von %2 %3 gelesen ... (Esc bricht ab)")
        .arg(QString::number(filesRead), QString::number(files),
             files == 1 ? QStringLiteral("Datei") : QStringLiteral("Dateien"));
}

QString TableText::writing() { return QStringLiteral("Tabelle wird geschrieben ..."); }

QString TableText::stopped() { return QStringLiteral("Abgebrochen. Die Tabelle wurde nicht verändert."); }

QString TableText::refused()
{
    return QStringLiteral("Tabelle nicht gespeichert: Sie würde die Ergebnisdatei ersetzen.");
}

QString TableText::withoutThread()
{
    return notMade(StatusText::shortageReason(Shortage::Threads));
}

QString TableText::after(bool written, WriteFailure failure, const QString& name, const QString& folder,
                         qsizetype gone, qsizetype unreadable)
{
    if (!written)
        return notMade(StatusText::failureReason(failure));
    QString text = QStringLiteral("Tabelle ") + name + QStringLiteral(" wurde in ") + folder + QStringLiteral(" erzeugt");
    QStringList remarks;
    if (gone != 0)
        remarks << StatusText::counted(gone, QStringLiteral("Datei nicht mehr vorhanden"),
                                       QStringLiteral("Dateien nicht mehr vorhanden"));
    if (unreadable != 0)
        remarks << StatusText::counted(unreadable, QStringLiteral("Datei nicht lesbar"),
                                       QStringLiteral("Dateien nicht lesbar"));
    if (!remarks.isEmpty())
        text += QStringLiteral(" (") + remarks.join(QStringLiteral(", ")) + u')';
    return text;
}
