#include "process/stallablecall.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <csignal>
#include <future>
#include <memory>
#include <optional>

namespace {

// The signal mask of the thread named name, as /proc shows it; nothing when no such thread.
std::optional<quint64> blockedSignalsOf(const QByteArray& name)
{
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(task + QStringLiteral("/comm")));
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != name)
            continue;
        QFile status(tasks.filePath(task + QStringLiteral("/status")));
        if (!status.open(QIODevice::ReadOnly))
            return std::nullopt;
        const QRegularExpression sigBlk(QStringLiteral("^SigBlk:\\s*([0-9a-f]+)$"),
                                        QRegularExpression::MultilineOption);
        const auto match = sigBlk.match(QString::fromLatin1(status.readAll()));
        if (match.hasMatch())
            return match.captured(1).toULongLong(nullptr, 16);
    }
    return std::nullopt;
}

constexpr quint64 bitOf(int signal) { return quint64(1) << (signal - 1); }

} // namespace

TEST(StallableCall, AnUnansweredCallIsWaitedForOnlyUpToItsLimitAndKeepsTheSessionSignalsOut)
{
    auto entered = std::make_shared<std::promise<void>>();
    std::future<void> hasEntered = entered->get_future();
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    const StallableCall call([entered, released] {
        entered->set_value();
        released.wait();
    });
    hasEntered.wait();

    EXPECT_FALSE(call.waitFor(std::chrono::milliseconds(50)));
    EXPECT_FALSE(call.answered());

    // A stuck probe that took SIGTERM would never run its handler, and the session would not end.
    const std::optional<quint64> blocked = blockedSignalsOf("korvale-probe");
    ASSERT_TRUE(blocked.has_value()) << "no thread named korvale-probe";
    for (const int signal : {SIGTERM, SIGHUP, SIGINT})
        EXPECT_TRUE(*blocked & bitOf(signal)) << "signal " << signal << " not blocked, mask " << std::hex << *blocked;

    release.set_value();
    EXPECT_TRUE(call.waitFor(std::chrono::seconds(10)));
    EXPECT_TRUE(call.answered());
}
