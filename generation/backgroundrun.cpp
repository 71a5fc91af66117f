#include "generation/backgroundrun.h"

#include <QThread>

BackgroundRun::BackgroundRun(GenerateRun::Input input, GenerateRun::Progress observer)
    : m_input(std::move(input))
    , m_observer(std::move(observer))
    , m_drives(DriveTable::active())
    , m_ownerThread(QThread::currentThread())
{
}

BackgroundRun::~BackgroundRun()
{
    requestStop();
    if (m_thread.joinable())
        m_thread.join();
}

void BackgroundRun::start() { m_thread = std::thread([this] { work(); }); }

void BackgroundRun::work()
{
    DriveTable::setActive(m_drives);
    auto run = std::make_unique<GenerateRun>(
        [this](qsizetype folders, qsizetype files) {
            m_foldersEntered = folders;
            m_filesSeen = files;
            if (m_observer)
                m_observer(folders, files);
        },
        [this] { return m_stopRequested.load(); });
    m_outcome = run->run(m_input);
    // A stopped run's lists are thrown away here, where freeing a million entries keeps
    // no window waiting.
    if (m_outcome.stopped) {
        run.reset();
    } else {
        run->moveToThread(m_ownerThread);
        m_run = std::move(run);
    }
    QMetaObject::invokeMethod(this, &BackgroundRun::threadDone, Qt::QueuedConnection);
}

// The join is what hands the run's results to this thread: everything the run wrote
// happened before it returns.
void BackgroundRun::threadDone()
{
    m_thread.join();
    emit finished();
}

QString BackgroundRun::progressText(qsizetype files, qsizetype folders)
{
    return QStringLiteral("Suche läuft: %1 %2 in %3 %4 ... (Esc bricht ab)")
        .arg(files)
        .arg(files == 1 ? QStringLiteral("Datei") : QStringLiteral("Dateien"))
        .arg(folders)
        .arg(folders == 1 ? QStringLiteral("Verzeichnis") : QStringLiteral("Verzeichnissen"));
}

QString BackgroundRun::stoppedText() { return QStringLiteral("Abgebrochen. Die Ergebnisdatei wurde nicht verändert."); }
