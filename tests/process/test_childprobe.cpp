#include "process/childprobe.h"

#include "support/stallingshare.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

QByteArray hostPath(const QTemporaryDir& folder, const char* name)
{
    return QFile::encodeName(folder.path()) + '/' + name;
}

// The answer of a probe that answers, and none, within about the limit, from one that
// does not.
TEST(ChildProbe, AnswersWhatThePathIsAndNothingFromAStalledShare)
{
    QTemporaryDir folder;
    QDir(folder.path()).mkdir(QStringLiteral("ordner"));
    QFile(folder.filePath(QStringLiteral("datei"))).open(QIODevice::WriteOnly);
    ASSERT_EQ(symlink("ordner", hostPath(folder, "verweis").constData()), 0);
    QDir(folder.path()).mkdir(QStringLiteral("share"));
    const StallingShare share(hostPath(folder, "share"));

    const struct {
        const char* name;
        std::optional<bool> isFolder;
        bool needsShare;
    } cases[] = {
        {"ordner", true, false},       {"verweis", true, false},  {"datei", false, false},
        {"fehlt", false, false},       {"share/lebt", true, true}, {"share/lebt/datei.txt", false, true},
        {"share/haengt", std::nullopt, true},
    };
    for (const auto& c : cases) {
        if (c.needsShare && !share.mounted())
            continue;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(ChildProbe::ask(ChildProbe::isFolder, hostPath(folder, c.name), 300ms), c.isFolder) << c.name;
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << c.name;
    }
    if (!share.mounted())
        GTEST_SKIP() << "the stalled share was left out: " << share.missingReason().toStdString();
}

// A child stuck on a dead share holds none of this process's files: a reader at the other
// end of a pipe (a shell's pipeline) sees its end as soon as this process closes it.
TEST(ChildProbe, AStuckChildHoldsNoFileOfThisProcess)
{
    QTemporaryDir folder;
    QDir(folder.path()).mkdir(QStringLiteral("share"));
    const StallingShare share(hostPath(folder, "share"));
    if (!share.mounted())
        GTEST_SKIP() << share.missingReason().toStdString();
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    EXPECT_EQ(ChildProbe::ask(ChildProbe::isFolder, hostPath(folder, "share/haengt"), 200ms), std::nullopt);
    close(pipeFds[1]);
    pollfd end{pipeFds[0], POLLIN, 0};
    EXPECT_EQ(poll(&end, 1, 1000), 1);
    char byte = 0;
    EXPECT_EQ(read(pipeFds[0], &byte, 1), 0) << "the pipe's write end is still open somewhere";
    close(pipeFds[0]);
}

} // namespace
