#include "app/sessionguard.h"

#include "mainwindow/form1.h"
#include "process/exitguard.h"
#include "process/signalpipe.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <cstdlib>

namespace {

// Only the window's thread sets and reads it: exit() runs the exit handlers on the thread
// that calls it, and Qt calls it there.
SessionGuard* g_guard = nullptr;

} // namespace

SessionGuard::SessionGuard(Form1& form)
    : m_form(form)
{
    g_guard = this;
    static const bool exitHandlerInstalled = std::atexit(&SessionGuard::atProcessExit) == 0;
    Q_UNUSED(exitHandlerInstalled);
    if (SignalPipe::readEnd() >= 0) {
        m_signals = new QSocketNotifier(SignalPipe::readEnd(), QSocketNotifier::Read, this);
        connect(m_signals, &QSocketNotifier::activated, this, &SessionGuard::takeSignals);
    }
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, &SessionGuard::commitData);
}

SessionGuard::~SessionGuard() { g_guard = nullptr; }

void SessionGuard::takeSignals()
{
    bool arrived = false;
    while (SignalPipe::takeArrived())
        arrived = true;
    if (arrived)
        m_form.endSession();
}

void SessionGuard::commitData(QSessionManager&) { m_form.saveOptions(); }

// Reached while the window is still loaded only when the process ends other than through
// the window, which on Linux is Qt's exit(1) on a lost display connection. The rest of the
// exit would tear down what a run's threads still use, so the process ends here, once a
// list file being written over where it stands is whole.
void SessionGuard::atProcessExit()
{
    if (!g_guard)
        return;
    g_guard->m_form.saveOptions();
    ExitGuard::exitNow(1);
}
