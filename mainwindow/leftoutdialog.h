#pragma once

#include "generation/leftoutentries.h"

#include <QDialog>

class QPlainTextEdit;

// Which entries the last run left out or changed, one per line with the host path, for
// reading and copying. A dialog of the main window: it closes with it and is no window of
// the program's own, so closing the main window still ends the program.
class LeftOutDialog : public QDialog {
    Q_OBJECT

public:
    LeftOutDialog(const LeftOutEntries& entries, QWidget* mainWindow);

    // The lines the list shows.
    static QString text(const LeftOutEntries& entries);
    QString shownText() const;

private:
    QPlainTextEdit* m_list;
};
