#pragma once

#include <QString>

#include <functional>

class QWidget;

// Asks where a table goes: the desktop's save dialog, with the list file's folder and
// name (".csv" for its ending) offered.
namespace TableFileDialog {

// The host path the person chose; empty when they cancelled.
QString ask(QWidget* parent, const QString& suggestedHostPath);

// "/home/anna/Liste.csv" for "C:\" and "Liste.txt"; the name alone where the folder
// names no drive.
QString suggestedPath(const QString& listFolder, const QString& listFileName);

// Tests answer in place of the dialog; an empty function brings the dialog back.
using Ask = std::function<QString(QWidget* parent, const QString& suggestedHostPath)>;
void setAsk(Ask ask);

} // namespace TableFileDialog
