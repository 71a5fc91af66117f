#include "app/sessionguard.h"
#include "drives/drivetable.h"
#include "listing/folderlist.h"
#include "mainwindow/form1.h"
#include "mainwindow/maincontrols.h"
#include "process/signalpipe.h"
#include "settings/settingsstore.h"
#include "support/selfchild.h"
#include "support/settle.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <future>

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool catches(qint64 process, int signal)
{
    const QByteArray status = readFile(QStringLiteral("/proc/%1/status").arg(process));
    for (const QByteArray& line : status.split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    }
    return false;
}

// What every scenario below saves: the source folder picked, the rest as at a first start.
const QByteArray kSavedOptions = "[Optionen]\nDir1=C:\\\nDir2=C:\\Quelle\nDir3=C:\\\nText1.text=Liste.txt\n";

// The time a stopped run is given, shortened from the program's so that each case takes a
// moment.
constexpr std::chrono::milliseconds kGrace{100};

// The main window as the program runs it, over C: in the scenario's folder, with a run
// that hangs in its first folder as a read of a dead share would; or with no run and the
// info window open.
int runHeldWindow(const QString& folder, const QString& scenario)
{
    SignalPipe::install();
    DriveTable::setActive(DriveTable({{u'C', QFile::encodeName(folder + QStringLiteral("/C"))}}));
    SettingsStore store(folder + QStringLiteral("/Korvale.ini"));
    Form1 form(store);
    form.setStopGrace(kGrace);
    const SessionGuard session(form);
    waitUntilSettled([&form] { return form.isRestoring() || form.folderLooks().isLooking(); });
    form.controls().models.Dir2->setPath(QStringLiteral("C:\\Quelle"));
    // The closes come once the run is held: a stop asked for before it reads its first
    // folder ends it before any read.
    form.setRunObserver([&form, scenario](qsizetype, qsizetype) {
        QMetaObject::invokeMethod(&form, [&form, scenario] {
            if (scenario == QStringLiteral("close twice at once")) {
                form.close();
                form.close();
            } else if (scenario == QStringLiteral("close, later close again")) {
                form.close();
                QTimer::singleShot(kGrace * 2, &form, &QWidget::close);
            }
        }, Qt::QueuedConnection);
        SelfChild::say("held");
        std::promise<void>().get_future().wait();
    });
    form.show();
    if (scenario == QStringLiteral("info window open")) {
        form.Image1_Click();
        SelfChild::say("held");
    } else {
        QTest::mouseClick(form.controls().Command1, Qt::LeftButton);
    }
    return QApplication::exec();
}

class SessionEndTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(m_folder.filePath(QStringLiteral("C/Quelle/Unter")))); }
    QString settingsFile() const { return m_folder.filePath(QStringLiteral("Korvale.ini")); }
    // The real program's: C: is its home folder, and it starts there.
    QString homeFolder() const { return m_folder.filePath(QStringLiteral("C")); }
    QString settingsInHome() const { return homeFolder() + QStringLiteral("/.config/Korvale/Korvale.ini"); }
    void startProgram(QProcess& program, const QList<std::pair<QString, QString>>& variables) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), homeFolder());
        environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
        for (const auto& [name, value] : variables)
            environment.insert(name, value);
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(homeFolder());
        program.start(QStringLiteral(KORVALE_PROGRAM), {});
        ASSERT_TRUE(program.waitForStarted());
    }

    QTemporaryDir m_folder;
};

} // namespace

TEST(Scenario, DISABLED_Run) { std::exit(runHeldWindow(SelfChild::scenarioFolder(), SelfChild::scenarioName())); }

// A read that never returns holds the run, never the program: a close asked for again ends
// it, at once or once the run had its grace, with the options saved; so does a signal.
// A signal ends the whole program, as the exit picture does, not the main window alone.
TEST_F(SessionEndTest, AHeldRunEndsTheProgramOnASecondCloseOrASignal)
{
    const struct {
        const char* scenario;
        int signal;
    } cases[] = {
        {"close twice at once", 0},
        {"close, later close again", 0},
        {"signal", SIGTERM},
        {"signal", SIGHUP},
        {"signal", SIGINT},
        {"info window open", SIGTERM},
    };
    for (const auto& [scenario, signal] : cases) {
        QFile::remove(settingsFile());
        SelfChild child(QString::fromLatin1(scenario), m_folder.path());
        ASSERT_TRUE(child.waitForLine("held")) << scenario;
        if (signal != 0)
            child.sendSignal(signal);
        EXPECT_EQ(child.waitForEnd(), 0) << scenario << ' ' << signal;
        EXPECT_EQ(readFile(settingsFile()), kSavedOptions) << scenario << ' ' << signal;
        EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"Korvale.ini"}));
    }
}

// The program itself, with no run: a signal ends it as the exit picture does, and the
// options are saved, a settings file that was missing included.
TEST_F(SessionEndTest, ASignalToTheWindowSavesTheOptions)
{
    const QString home = homeFolder();
    const QString settings = settingsInHome();
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        for (const bool hadSettings : {false, true}) {
            QFile::remove(settings);
            if (hadSettings) {
                QDir().mkpath(QFileInfo(settings).path());
                QFile file(settings);
                ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                file.write("[Optionen]\nDir2=C:\\Quelle\\Unter\n");
            }
            QProcess program;
            startProgram(program, {});
            // Caught from the start: the signal waits in its pipe until the window takes it.
            ASSERT_TRUE(QTest::qWaitFor([&] { return catches(program.processId(), signal); }));
            ::kill(pid_t(program.processId()), signal);
            ASSERT_TRUE(program.waitForFinished(30000)) << signal;
            EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << signal;
            EXPECT_EQ(program.exitCode(), 0) << signal;
            const QByteArray expected = hadSettings ? "[Optionen]\nDir2=C:\\Quelle\\Unter\nDir1=C:\\\nDir3=C:\\\nText1.text=Liste.txt\n"
                                                    : "[Optionen]\nDir1=C:\\\nDir2=C:\\\nDir3=C:\\\nText1.text=Liste.txt\n";
            EXPECT_EQ(readFile(settings), expected) << signal << ' ' << hadSettings;
        }
    }
}

// Qt ends the program with exit(1) when the display connection is lost, and tells the window
// nothing: the options are saved all the same.
TEST_F(SessionEndTest, ALostDisplaySavesTheOptions)
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    if (xvfb.isEmpty() || xdotool.isEmpty())
        GTEST_SKIP() << "needs Xvfb and xdotool (Debian: xvfb, xdotool) for a display to lose";
    QProcess server;
    server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                        QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("800x600x24")});
    ASSERT_TRUE(server.waitForReadyRead(30000));
    const QString display = u':' + QString::fromLatin1(server.readAllStandardOutput().trimmed());

    QProcess program;
    startProgram(program, {{QStringLiteral("DISPLAY"), display}, {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb")}});
    QProcess search;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    search.setProcessEnvironment(environment);
    search.start(xdotool, {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--name"),
                           QStringLiteral("^Korvale erzeugen$")});
    ASSERT_TRUE(search.waitForFinished(30000));
    server.kill();
    server.waitForFinished();

    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1);
    EXPECT_EQ(readFile(settingsInHome()), "[Optionen]\nDir1=C:\\\nDir2=C:\\\nDir3=C:\\\nText1.text=Liste.txt\n");
}
