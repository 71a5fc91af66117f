#include "menus/tablefiledialog.h"

#include "drives/hostlocation.h"

#include <QFile>
#include <QFileDialog>

namespace {

TableFileDialog::Ask& replacement()
{
    static TableFileDialog::Ask ask;
    return ask;
}

} // namespace

QString TableFileDialog::ask(QWidget* parent, const QString& suggestedHostPath)
{
    if (replacement())
        return replacement()(parent, suggestedHostPath);
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Als Tabelle speichern"), suggestedHostPath,
                                        QStringLiteral("Tabellen (*.csv);;Alle Dateien (*)"));
}

QString TableFileDialog::suggestedPath(const QString& listFolder, const QString& listFileName)
{
    const qsizetype dot = listFileName.lastIndexOf(u'.');
    const QString name = (dot > 0 ? listFileName.left(dot) : listFileName) + QStringLiteral(".csv");
    const std::optional<QByteArray> folder = HostLocation::pathOf(listFolder);
    if (!folder)
        return name;
    return QFile::decodeName(*folder) + (folder->endsWith('/') ? QString() : QStringLiteral("/")) + name;
}

void TableFileDialog::setAsk(Ask ask) { replacement() = std::move(ask); }
