#include "changes/listlines.h"
#include "changes/listrecognition.h"
#include "support/listfilebytes.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <optional>

#include <sys/stat.h>

namespace {

TEST(ListRecognitionTest, TellsAListOfOursByItsLastLinesAlone)
{
    QTemporaryDir folder;
    const struct {
        const char* what;
        QByteArray content;
        std::optional<off_t> entriesLength;
    } cases[] = {
        {"a list", listFileOf({"C:\\a.txt", "C:\\b.txt"}), 20},
        {"an empty list", listFileOf({}), 0},
        {"any date", QByteArray("C:\\a\r\n\r\nKorvale 3.0\r\n2024-03-05\r\n(c) x\r\nMail: y\r\nInternet: z\r\n"), 6},
        {"no line break at the end", listFileOf({"C:\\a"}).chopped(2), std::nullopt},
        {"a footer line missing", QByteArray("\r\nKorvale 3.0\r\n05.03.24\r\nMail: y\r\nInternet: z\r\n"), std::nullopt},
        {"another product", QByteArray("\r\nKorvalo 3.0\r\n05.03.24\r\n(c) x\r\nMail: y\r\nInternet: z\r\n"),
         std::nullopt},
        {"an empty file", QByteArray(), std::nullopt},
        {"a footer line as long as the tail", listFileOf({}).replace("(c) ", "(c) " + QByteArray(5000, 'x')), std::nullopt},
    };
    for (const auto& c : cases) {
        const QString path = folder.filePath(QStringLiteral("Liste.txt"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.content);
        file.close();
        const ListRecognition::OpenedList opened = ListRecognition::OpenedList::open(QFile::encodeName(path));
        EXPECT_EQ(opened.failure() == ListRecognition::OpenedList::Failure::None, c.entriesLength.has_value()) << c.what;
        EXPECT_EQ(opened.entriesLength(), c.entriesLength.value_or(0)) << c.what;
        EXPECT_EQ(ListRecognition::isKorvaleList(QFile::encodeName(path)), c.entriesLength.has_value()) << c.what;
    }
    // Never waits for a writer: a FIFO is no list, and neither is what is not there.
    const QByteArray fifo = QFile::encodeName(folder.filePath(QStringLiteral("fifo")));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    EXPECT_EQ(ListRecognition::OpenedList::open(fifo).failure(), ListRecognition::OpenedList::Failure::NotARegularFile);
    EXPECT_EQ(ListRecognition::OpenedList::open(fifo + "x").failure(), ListRecognition::OpenedList::Failure::Missing);
}

// The lines of a list as the comparison reads them: line ends of either kind, and an end to
// what looks like a line but is no text.
TEST(ListLinesTest, ReadsLinesUpToTheFooterAndStopsAtWhatIsNoText)
{
    QTemporaryDir folder;
    const struct {
        const char* what;
        QByteArray entries;
        QList<QByteArray> lines;
        ListLines::Failure failure;
    } cases[] = {
        {"CR LF", "C:\\a\r\nC:\\b\r\n", {"C:\\a", "C:\\b"}, ListLines::Failure::None},
        {"line feeds alone", "C:\\a\nC:\\b\n", {"C:\\a", "C:\\b"}, ListLines::Failure::None},
        {"a line longer than the buffer", QByteArray(600000, 'x') + "\r\n", {QByteArray(600000, 'x')},
         ListLines::Failure::None},
        {"a NUL byte", QByteArray("C:\\a\r\nC:\\\0b\r\nC:\\c\r\n", 19), {"C:\\a"}, ListLines::Failure::NotText},
        {"an endless line", QByteArray(ListLines::kLongestLine + 10, 'x') + "\r\n", {}, ListLines::Failure::NotText},
    };
    for (const auto& c : cases) {
        QFile file(folder.filePath(QStringLiteral("Liste.txt")));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite | QIODevice::Truncate));
        file.write(c.entries + kListFooter);
        file.flush();
        const off_t length = off_t(c.entries.size());
        ListLines lines(OldContent(file.handle(), length), length);
        QList<QByteArray> read;
        while (const std::optional<QByteArrayView> line = lines.next())
            read.append(line->toByteArray());
        EXPECT_EQ(read, c.lines) << c.what;
        EXPECT_EQ(lines.failure(), c.failure) << c.what;
    }
}

} // namespace
