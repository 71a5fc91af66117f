#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

// One scenario of this test program, run in a fresh process of its own: a test that ends
// the program, or takes signals, needs a program to end. The program is started again with
// only its test Scenario.DISABLED_Run, which reads the scenario's name and folder with
// scenarioName() and scenarioFolder() and acts it out.
class SelfChild {
public:
    SelfChild(const QString& scenario, const QString& folder);
    ~SelfChild();
    SelfChild(const SelfChild&) = delete;
    SelfChild& operator=(const SelfChild&) = delete;

    // Waits until the child has printed this line on standard output.
    bool waitForLine(const QByteArray& line);
    // Whether it has printed this line so far.
    bool saidLine(const QByteArray& line);
    void sendSignal(int signal) const;
    // How the child ended, once it has; -1 while it runs after the wait. A death by a signal
    // is 128 plus the signal, as a shell reports it.
    int waitForEnd();
    bool diedBySignal() const { return m_process.exitStatus() == QProcess::CrashExit; }

    static QString scenarioName();
    static QString scenarioFolder();
    // Said by the child, so that the test knows where it stands.
    static void say(const char* line);

private:
    QProcess m_process;
    QByteArray m_output;
};
