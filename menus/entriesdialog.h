#pragma once

#include <QDialog>

class LeftOutEntries;
class ListChanges;
class QPlainTextEdit;

// Entries of the last run, one per line, for reading and copying: which it left out or
// changed, or what changed against a list. A dialog of the main window: it closes with it
// and is no window of the program's own, so closing the main window still ends the program.
class EntriesDialog : public QDialog {
    Q_OBJECT

public:
    // title also names the list for a screen reader.
    EntriesDialog(const QString& title, const QString& text, QWidget* mainWindow);

    // Each entry left out or changed with its host path.
    static QString leftOutText(const LeftOutEntries& entries);
    // The groups "Neu" and "Fehlt", each entry as the result list shows it.
    static QString changesText(const ListChanges& changes);
    QString shownText() const;

private:
    QPlainTextEdit* m_list;
};
