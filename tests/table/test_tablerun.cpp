#include "listing/listbox.h"
#include "support/qtprinters.h"
#include "support/testdrives.h"
#include "table/tablerun.h"
#include "text/namecodec.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QScopeGuard>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <optional>

namespace {

const QByteArray kByteOrderMark = "\xEF\xBB\xBF";
const QStringList kHeader = {"Pfad", "Ordner", "Name", "Größe (Bytes)", "Geändert"};

// RFC 4180 with ';' between fields, read strictly: every record ends in CR LF, a field in
// quotes holds anything with "" for a quote, and a quote anywhere else, a lone CR or LF
// outside quotes or text after a closing quote makes the whole text malformed.
std::optional<QList<QStringList>> parseTable(const QByteArray& utf8)
{
    QList<QStringList> records;
    QStringList record;
    QByteArray field;
    qsizetype i = 0;
    while (i < utf8.size()) {
        if (utf8[i] == '"') {
            for (++i;; ++i) {
                if (i >= utf8.size())
                    return std::nullopt;
                if (utf8[i] == '"' && (i + 1 >= utf8.size() || utf8[i + 1] != '"'))
                    break;
                field += utf8[i];
                i += utf8[i] == '"';
            }
            ++i;
        } else {
            for (; i < utf8.size() && utf8[i] != ';' && utf8[i] != '\r'; ++i) {
                if (utf8[i] == '"' || utf8[i] == '\n')
                    return std::nullopt;
                field += utf8[i];
            }
        }
        record << QString::fromUtf8(field);
        field.clear();
        if (i < utf8.size() && utf8[i] == ';') {
            ++i;
        } else if (utf8.mid(i, 2) == "\r\n") {
            records << record;
            record.clear();
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    if (!record.isEmpty())
        return std::nullopt;
    return records;
}

// Central European time with its summer time, given by rule, so no time-zone files are needed.
class BerlinTime {
public:
    BerlinTime()
        : m_before(qgetenv("TZ"))
    {
        qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
        tzset();
    }
    ~BerlinTime()
    {
        if (m_before.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", m_before);
        tzset();
    }

private:
    QByteArray m_before;
};

class TableRunTest : public ::testing::Test {
protected:
    // A file under C: with its bytes and its time of last change (seconds since 1970, UTC),
    // listed as the walk would list it.
    void addFile(const QByteArray& windowsPath, const QByteArray& content, qint64 modified = 1700000000)
    {
        const QString path = NameCodec::decode(windowsPath);
        const QByteArray host = QFile::encodeName(m_drives.cRoot()) + '/' + windowsPath.mid(3).replace('\\', '/');
        QDir().mkpath(QFile::decodeName(host.left(host.lastIndexOf('/'))));
        const int file = ::open(host.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ASSERT_GE(file, 0) << host.constData();
        ASSERT_EQ(::write(file, content.constData(), size_t(content.size())), content.size());
        const timespec times[2] = {{modified, 0}, {modified, 0}};
        ASSERT_EQ(::futimens(file, times), 0);
        ::close(file);
        m_list.AddItem(path);
    }

    TableRun::Outcome makeTable(const QString& name = QStringLiteral("Liste.csv"), TableRun::Hooks hooks = {})
    {
        return TableRun(std::move(hooks)).run(m_list, {QStringLiteral("D:\\"), name, QStringLiteral("D:\\"),
                                                       QStringLiteral("Liste.txt")});
    }

    QByteArray tableBytes(const QString& name = QStringLiteral("Liste.csv")) const
    {
        QFile file(m_drives.host(QStringLiteral("D:\\") + name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    // The rows below the header, once the table has read back whole.
    QList<QStringList> tableRows() const
    {
        const QByteArray bytes = tableBytes();
        EXPECT_TRUE(bytes.startsWith(kByteOrderMark));
        const std::optional<QList<QStringList>> records = parseTable(bytes.mid(kByteOrderMark.size()));
        EXPECT_TRUE(records) << bytes.constData();
        if (!records || records->isEmpty())
            return {};
        EXPECT_EQ(records->first(), kHeader);
        return records->mid(1);
    }

    TestDrives m_drives;
    ListBox m_list{ListBox::Order::Sorted};
};

TEST_F(TableRunTest, FieldsReadBackByAStrictParserAsTheListShowsThem)
{
    const struct {
        QByteArray path;
        QStringList row; // Pfad, Ordner, Name
    } cases[] = {
        {"C:\\a;b.txt", {"C:\\a;b.txt", "C:\\", "a;b.txt"}},
        {"C:\\Sag \"ja\".txt", {"C:\\Sag \"ja\".txt", "C:\\", "Sag \"ja\".txt"}},
        {"C:\\Ord;ner\\x.txt", {"C:\\Ord;ner\\x.txt", "C:\\Ord;ner", "x.txt"}},
        {"C:\\Ordner\\=SUMME(A1).txt", {"C:\\Ordner\\=SUMME(A1).txt", "C:\\Ordner", "'=SUMME(A1).txt"}},
        {"C:\\Ordner\\+49 Anruf.txt", {"C:\\Ordner\\+49 Anruf.txt", "C:\\Ordner", "'+49 Anruf.txt"}},
        {"C:\\Ordner\\-rf.txt", {"C:\\Ordner\\-rf.txt", "C:\\Ordner", "'-rf.txt"}},
        {"C:\\Ordner\\@Team;\"x\".txt", {"C:\\Ordner\\@Team;\"x\".txt", "C:\\Ordner", "'@Team;\"x\".txt"}},
        {"C:\\Ordner\\Mitte=+-@.txt", {"C:\\Ordner\\Mitte=+-@.txt", "C:\\Ordner", "Mitte=+-@.txt"}},
        {"C:\\\xC3\x84pfel\\Stra\xC3\x9F" "e.txt", {"C:\\Äpfel\\Straße.txt", "C:\\Äpfel", "Straße.txt"}},
        // Not UTF-8: shown, as in the list, as the list file spells the byte.
        {"C:\\caf\xE9.txt", {"C:\\café.txt", "C:\\", "café.txt"}},
    };
    for (const auto& c : cases)
        addFile(c.path, "1234567");
    // QTemporaryDir cannot remove a name that is not UTF-8.
    const auto removeLatin1 = qScopeGuard([&] { ::unlink((QFile::encodeName(m_drives.cRoot()) + "/caf\xE9.txt").constData()); });

    const TableRun::Outcome outcome = makeTable();

    EXPECT_TRUE(outcome.written);
    EXPECT_EQ(outcome.statusText, QStringLiteral("Tabelle Liste.csv wurde in D:\\ erzeugt"));
    const QList<QStringList> rows = tableRows();
    ASSERT_EQ(rows.size(), qsizetype(std::size(cases)));
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QString listed = m_list.List(i);
        const auto c = std::find_if(std::begin(cases), std::end(cases),
                                    [&](const auto& one) { return NameCodec::decode(one.path) == listed; });
        ASSERT_NE(c, std::end(cases));
        EXPECT_EQ(rows[i].mid(0, 3), c->row) << i;
        EXPECT_EQ(rows[i].value(3), QStringLiteral("7")) << i;
    }
}

TEST_F(TableRunTest, SizesAndLocalTimesAtTheirBoundaries)
{
    const BerlinTime berlin;
    const struct {
        QByteArray name;
        QByteArray content;
        qint64 modified;
        QString size;
        QString time;
    } cases[] = {
        {"a-leer.txt", "", 0, "0", "1970-01-01 01:00:00"},
        {"b-winter.txt", "x", 1711846799, "1", "2024-03-31 01:59:59"}, // the last second before summer time
        {"c-sommer.txt", QByteArray(70000, 'x'), 1711846800, "70000", "2024-03-31 03:00:00"},
        {"d-silvester.txt", "xy", 1735689599, "2", "2025-01-01 00:59:59"},
    };
    for (const auto& c : cases)
        addFile("C:\\" + c.name, c.content, c.modified);

    makeTable();

    const QList<QStringList> rows = tableRows();
    ASSERT_EQ(rows.size(), qsizetype(std::size(cases)));
    for (qsizetype i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].mid(3), QStringList({cases[i].size, cases[i].time})) << cases[i].name.constData();
}

TEST_F(TableRunTest, FilesGoneSinceTheWalkKeepTheirRowWithoutSizeAndTimeAndAreCounted)
{
    addFile("C:\\Ordner\\bleibt.txt", "abc");
    addFile("C:\\Ordner\\geloescht.txt", "abc");
    addFile("C:\\Ordner\\jetzt Ordner.txt", "abc");
    addFile("C:\\Weg\\auch weg.txt", "abc");
    QFile::remove(m_drives.host(QStringLiteral("C:\\Ordner\\geloescht.txt")));
    const QString nowFolder = m_drives.host(QStringLiteral("C:\\Ordner\\jetzt Ordner.txt"));
    QFile::remove(nowFolder);
    QDir().mkdir(nowFolder);
    QDir(m_drives.host(QStringLiteral("C:\\Weg"))).removeRecursively();

    const TableRun::Outcome outcome = makeTable();

    EXPECT_EQ(outcome.gone, 3);
    EXPECT_EQ(outcome.statusText, QStringLiteral("Tabelle Liste.csv wurde in D:\\ erzeugt (3 Dateien nicht mehr vorhanden)"));
    const QList<QStringList> rows = tableRows();
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0].mid(2, 2), QStringList({"bleibt.txt", "3"}));
    for (const qsizetype gone : {1, 2, 3})
        EXPECT_EQ(rows[gone].mid(3), QStringList({"", ""})) << rows[gone].join(u';').toStdString();
}

// A long list is looked at by two threads, each half of it: every file's facts stay in its
// own row, files gone in either half are counted, and the count told grows to the whole.
TEST_F(TableRunTest, ALongListKeepsEachFilesFactsInItsRow)
{
    constexpr int kFiles = 20500;
    const QByteArray root = QFile::encodeName(m_drives.cRoot());
    for (int folder = 0; folder < 5; ++folder)
        ASSERT_TRUE(QDir().mkpath(QFile::decodeName(root + "/Teil" + QByteArray::number(folder))));
    const auto nameOf = [](int i) { return QByteArray::number(i).rightJustified(5, '0') + ".bin"; };
    const auto hostOf = [&](int i) { return root + "/Teil" + QByteArray::number(i % 5) + '/' + nameOf(i); };
    for (int i = 0; i < kFiles; ++i) {
        const int file = ::open(hostOf(i).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ASSERT_GE(file, 0);
        ASSERT_EQ(::ftruncate(file, i), 0);
        ::close(file);
        m_list.AddItem(QStringLiteral("C:\\Teil%1\\").arg(i % 5) + QString::fromLatin1(nameOf(i)));
    }
    for (const int gone : {3, kFiles - 3})
        ASSERT_EQ(::unlink(hostOf(gone).constData()), 0);
    qsizetype lastTold = 0;
    TableRun::Hooks hooks;
    hooks.progress = [&](qsizetype read, qsizetype) { lastTold = std::max(lastTold, read); };

    const TableRun::Outcome outcome = makeTable(QStringLiteral("Liste.csv"), std::move(hooks));

    EXPECT_EQ(outcome.gone, 2);
    EXPECT_EQ(lastTold, kFiles);
    const QList<QStringList> rows = tableRows();
    ASSERT_EQ(rows.size(), kFiles);
    int wrong = 0;
    for (const QStringList& row : rows) {
        const int i = row[2].left(5).toInt();
        const QString expected = i == 3 || i == kFiles - 3 ? QString() : QString::number(i);
        wrong += row[3] != expected;
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(TableRunTest, ATablePathThatIsTheListFileIsRefused)
{
    m_drives.makeFile(QStringLiteral("D:\\Liste.txt"), "die Liste");
    m_drives.makeFolder(QStringLiteral("D:\\Anderswo"));
    ASSERT_EQ(::symlink(QFile::encodeName(m_drives.dRoot()).constData(),
                        QFile::encodeName(m_drives.host(QStringLiteral("C:\\Verweis"))).constData()),
              0);
    ASSERT_EQ(::link(QFile::encodeName(m_drives.host(QStringLiteral("D:\\Liste.txt"))).constData(),
                     QFile::encodeName(m_drives.host(QStringLiteral("D:\\Anderswo\\Zweitname.txt"))).constData()),
              0);
    const struct {
        QString folder;
        QString name;
        bool refused;
    } cases[] = {
        {"D:\\", "Liste.txt", true},
        {"d:/", "Liste.txt", true},
        {"C:\\Verweis", "Liste.txt", true},        // the same folder through a link
        {"D:\\Anderswo", "Zweitname.txt", true}, // another name of the same file
        {"D:\\", "liste.txt", false},             // another file on this host
        {"D:\\Anderswo", "Liste.txt", false},
    };
    addFile("C:\\a.txt", "a");
    for (const auto& c : cases) {
        const TableRun::Input input{c.folder, c.name, QStringLiteral("D:\\"), QStringLiteral("Liste.txt")};
        EXPECT_EQ(TableRun::isListFile(input), c.refused) << c.folder.toStdString() << c.name.toStdString();
        const TableRun::Outcome outcome = TableRun().run(m_list, input);
        EXPECT_EQ(outcome.refused, c.refused);
        EXPECT_EQ(outcome.written, !c.refused);
    }
    QFile list(m_drives.host(QStringLiteral("D:\\Liste.txt")));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_EQ(list.readAll(), QByteArray("die Liste"));
}

TEST_F(TableRunTest, AStopOrAFailedWriteLeavesTheOldTableAsItWas)
{
    for (int i = 0; i < 3000; ++i)
        addFile("C:\\Viele\\" + QByteArray::number(i) + ".txt", "x");
    m_drives.makeFile(QStringLiteral("D:\\Liste.csv"), "alt");
    std::stop_source stop;
    TableRun::Hooks hooks;
    hooks.progress = [&](qsizetype read, qsizetype files) {
        EXPECT_EQ(files, 3000);
        if (read >= 1024)
            stop.request_stop();
    };
    hooks.stop = stop.get_token();
    bool writing = false;
    hooks.writing = [&] { writing = true; };

    const TableRun::Outcome stopped = makeTable(QStringLiteral("Liste.csv"), hooks);

    EXPECT_TRUE(stopped.stopped);
    EXPECT_FALSE(writing);
    EXPECT_EQ(stopped.statusText, QStringLiteral("Abgebrochen. Die Tabelle wurde nicht verändert."));
    EXPECT_EQ(tableBytes(), QByteArray("alt"));

    const TableRun::Outcome failed =
        TableRun().run(m_list, {QStringLiteral("D:\\Fehlt"), QStringLiteral("Liste.csv"), QStringLiteral("D:\\"),
                                QStringLiteral("Liste.txt")});
    EXPECT_FALSE(failed.written);
    EXPECT_EQ(failed.statusText, QStringLiteral("Tabelle konnte nicht erzeugt werden. Der Zielordner existiert nicht."));
    EXPECT_EQ(QDir(m_drives.dRoot()).entryList(QDir::Files | QDir::Hidden), QStringList({"Liste.csv"}));
}

} // namespace
