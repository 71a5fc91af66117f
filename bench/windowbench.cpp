// Two presses of the generate button in the real main window, timed from the click to
// the status text, with the list file complete and its list shown. Meanwhile a timer that should fire every few milliseconds records how
// late it comes, and the application times every event it handles, so the figures say
// how long the window's thread was ever kept from answering, and what taking a run's
// result over cost it. The memory of the idle window before the first click and the peak
// of the first run tell what a run costs above a window that stands open. Prints the
// source folder on one line and the figures on the next.

#include "bench/benchsupport.h"
#include "controls/elidinglabel.h"
#include "mainwindow/form1.h"
#include "readahead/folderreads.h"
#include "settings/settingsstore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <atomic>

namespace {

constexpr int kProbeIntervalMs = 5;

// Times each event the window's thread handles, outermost dispatch only.
class TimingApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        // A run's thread sends events of its own (handing its lists back): not timed.
        if (QThread::currentThread() != thread())
            return QApplication::notify(receiver, event);
        if (m_depth++ > 0) {
            const bool handled = QApplication::notify(receiver, event);
            --m_depth;
            return handled;
        }
        QElapsedTimer took;
        took.start();
        const bool handled = QApplication::notify(receiver, event);
        --m_depth;
        const qint64 ms = took.elapsed();
        m_longestEventMs = std::max(m_longestEventMs, ms);
        if (m_markNext) {
            m_markedEventMs = ms;
            m_markNext = false;
        }
        return handled;
    }

    // The event being handled now is the one to report (the take-over).
    void markThisEvent() { m_markNext = true; }
    void forgetLongest() { m_longestEventMs = 0; }
    qint64 markedEventMs() const { return m_markedEventMs; }
    qint64 longestEventMs() const { return m_longestEventMs; }

private:
    int m_depth = 0;
    bool m_markNext = false;
    qint64 m_markedEventMs = 0;
    qint64 m_longestEventMs = 0;
};

// How late a timer that should fire every kProbeIntervalMs comes, at worst.
class LatenessProbe {
public:
    LatenessProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_worstMs = std::max(m_worstMs, m_sinceLast.restart() - kProbeIntervalMs);
        });
        m_sinceLast.start();
        m_timer.start(kProbeIntervalMs);
    }
    qint64 worstMs() const { return m_worstMs; }
    void forget() { m_worstMs = 0; }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceLast;
    qint64 m_worstMs = 0;
};

} // namespace

int main(int argc, char** argv)
{
    FolderReads::makeRoomBeforeThreads(); // as the program does
    TimingApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const std::optional<BenchSupport::Folders> folders = BenchSupport::folders(arguments, "korvale_window_bench TREE TARGETFOLDER");
    if (!folders)
        return 2;
    const WindowsPath& source = folders->source;
    const WindowsPath& target = folders->target;

    // The user's stored options stay untouched.
    QTemporaryDir config;
    SettingsStore store(config.filePath(QStringLiteral("Korvale.ini")));
    Form1 form(store);
    // The stored folders are restored first, so that the picks below are the last.
    while (form.isRestoring())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    const MainControls& c = form.controls();
    if (!c.models.Dir2->setPath(source.toString()) || !c.models.Dir3->setPath(target.toString())) {
        QTextStream(stderr) << "cannot pick " << source.toString() << " or " << target.toString() << "\n";
        return 2;
    }
    form.show();

    QList<qint64> runMs;
    qint64 takeOverMs = 0;
    long idleKiB = 0;
    long firstPeakKiB = 0;
    QElapsedTimer clock;
    // Set on the run's thread as the list file's write begins: what came before is the
    // walk and the sort, what comes after the write and the hand-over to the window.
    std::atomic<qint64> writingMs = 0;
    form.setWriteObserver([&] {
        if (runMs.isEmpty())
            writingMs = clock.elapsed();
    });
    LatenessProbe probe;
    // Only what happens from the first click on counts, not the window's start.
    auto click = [&] {
        if (runMs.isEmpty()) {
            app.forgetLongest();
            probe.forget();
            idleKiB = BenchSupport::memoryKiB();
        }
        clock.start();
        c.Command1->click();
    };
    QObject::connect(&form, &Form1::runEnded, [&] {
        runMs.append(clock.elapsed());
        app.markThisEvent();
        // The view lays out and paints the new list in the events that follow: give them
        // time to come before the next click.
        QTimer::singleShot(500, [&] {
            takeOverMs = std::max(takeOverMs, app.markedEventMs());
            if (runMs.size() == 1)
                firstPeakKiB = BenchSupport::peakMemoryKiB();
            if (runMs.size() == 2) {
                app.quit();
                return;
            }
            click();
        });
    });
    QTimer::singleShot(500, click);
    app.exec();

    QTextStream(stdout) << "source " << source.toString() << "\n"
                        << "count" << c.Label1->text() << " run_ms " << runMs.value(0) << " writing_ms "
                        << writingMs << " second_run_ms " << runMs.value(1) << " takeover_ms " << takeOverMs
                        << " longest_event_ms " << app.longestEventMs() << " worst_lateness_ms " << probe.worstMs()
                        << " idle_kib " << idleKiB << " first_peak_kib " << firstPeakKiB << " peak_kib "
                        << BenchSupport::peakMemoryKiB() << "\n";
    return c.Label3->text().startsWith(QStringLiteral("Ergebnisdatei ")) ? 0 : 1;
}
