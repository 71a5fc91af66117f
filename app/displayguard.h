#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// Qt's platform plugin ends the program inside QApplication's constructor, with an abort and
// an English message, when it cannot reach a display (over SSH, from a cron job). While a
// DisplayGuard lives, Qt's messages are held back; a fatal one ends the program with the
// German explanation, Qt's reasons after it, and exit code 1. One at a time, on the main
// thread, around the constructor only.
class DisplayGuard {
public:
    DisplayGuard();
    ~DisplayGuard();
    DisplayGuard(const DisplayGuard&) = delete;
    DisplayGuard& operator=(const DisplayGuard&) = delete;

    // Passes the held-back messages on and stops guarding.
    void release();

    // The lines to show when no display can be reached; their exit code.
    static QString missingDisplayText();
    static constexpr int kExitCode = 1;

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message);

    struct HeldMessage {
        QtMsgType type;
        QByteArray category;
        QString text;
    };
    QList<HeldMessage> m_held;
    QtMessageHandler m_previous = nullptr;
    bool m_released = false;
};
