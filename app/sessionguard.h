#pragma once

#include <QObject>

class Form1;
class QSessionManager;
class QSocketNotifier;

// Ends the window's session properly however the desktop ends it, not only by the exit
// picture: SIGTERM, SIGHUP and SIGINT (read from the signal pipe) act as the exit picture
// does; the session manager's request to save keeps the options; and when the display
// connection is lost, Qt ends the process through exit() without a word to the window, so
// the options are saved in an exit handler, the last moment left. One guard per process.
class SessionGuard : public QObject {
public:
    explicit SessionGuard(Form1& form);
    ~SessionGuard() override;
    SessionGuard(const SessionGuard&) = delete;
    SessionGuard& operator=(const SessionGuard&) = delete;

private:
    void takeSignals();
    void commitData(QSessionManager& manager);
    static void atProcessExit();

    Form1& m_form;
    QSocketNotifier* m_signals = nullptr;
};
