#pragma once

#include <QString>

class QWidget;

// Tells the person that a drive or folder they picked cannot be taken: window-modal and
// not blocking, so the handler of the pick has returned before the message is read.
namespace NotReadyMessage {

void show(QWidget* control, const QString& text);

QString driveText(QChar letter);
QString folderText(const QString& folder);

} // namespace NotReadyMessage
