#include "support/selfchild.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcessEnvironment>

#include <csignal>
#include <cstdio>

namespace {

constexpr int kWaitMs = 30000;
const QString kNameVariable = QStringLiteral("KORVALE_SCENARIO");
const QString kFolderVariable = QStringLiteral("KORVALE_SCENARIO_FOLDER");

} // namespace

SelfChild::SelfChild(const QString& scenario, const QString& folder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kNameVariable, scenario);
    environment.insert(kFolderVariable, folder);
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=Scenario.DISABLED_Run"), QStringLiteral("--gtest_also_run_disabled_tests")});
    m_process.waitForStarted(kWaitMs);
}

SelfChild::~SelfChild()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(kWaitMs);
    }
}

bool SelfChild::waitForLine(const QByteArray& line)
{
    const QDeadlineTimer deadline(kWaitMs);
    while (!m_output.contains(line + '\n')) {
        if (deadline.hasExpired() || !m_process.waitForReadyRead(int(deadline.remainingTime())))
            return false;
        m_output += m_process.readAllStandardOutput();
    }
    return true;
}

bool SelfChild::saidLine(const QByteArray& line)
{
    m_output += m_process.readAllStandardOutput();
    return m_output.contains(line + '\n');
}

void SelfChild::sendSignal(int signal) const { ::kill(pid_t(m_process.processId()), signal); }

int SelfChild::waitForEnd()
{
    if (!m_process.waitForFinished(kWaitMs))
        return -1;
    return diedBySignal() ? 128 + m_process.exitCode() : m_process.exitCode();
}

QString SelfChild::scenarioName() { return qEnvironmentVariable(qPrintable(kNameVariable)); }

QString SelfChild::scenarioFolder() { return qEnvironmentVariable(qPrintable(kFolderVariable)); }

void SelfChild::say(const char* line)
{
    std::printf("%s\n", line);
    std::fflush(stdout);
}
