#pragma once

#include "files/filereplacement.h"

#include <QString>

// What the status line says of a table: while its files are read, as it is written, and
// once it has ended.
namespace TableText {

// "Tabelle: 1234 von 5678 Dateien gelesen ... (Esc bricht ab)"
QString reading(qsizetype filesRead, qsizetype files);
QString writing();
QString stopped();
QString refused();
// No thread could be started to make it.
QString withoutThread();
// "Tabelle Liste.csv wurde in C:\Daten erzeugt (2 Dateien nicht mehr vorhanden)", or why
// it could not be made.
QString after(bool written, WriteFailure failure, const QString& name, const QString& folder, qsizetype gone,
              qsizetype unreadable);

} // namespace TableText
