#include "controls/notreadymessage.h"

#include "text/windows1252.h"

#include <QMessageBox>

namespace NotReadyMessage {

void show(QWidget* control, const QString& text)
{
    auto* box = new QMessageBox(QMessageBox::Critical, QStringLiteral("Korvale"), text, QMessageBox::Ok,
                                control->window());
    // A folder's name is shown as it stands, never read as markup.
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

QString driveText(QChar letter) { return QStringLiteral("Laufwerk %1: ist nicht bereit.").arg(letter.toLower()); }

QString folderText(const QString& folder)
{
    return QStringLiteral("Der Ordner %1 antwortet nicht.").arg(Windows1252::displayText(folder));
}

} // namespace NotReadyMessage
