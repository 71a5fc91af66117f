#include "commandline/commandline.h"
#include "commandline/consoleoutput.h"
#include "commandline/folderargument.h"
#include "commandline/generatecommand.h"
#include "commandline/terminalprogress.h"
#include "process/hostterminal.h"
#include "support/formfixture.h"
#include "support/stallingshare.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryFile>
#include <QTest>

#include <csignal>
#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

TEST(CommandLineParse, ModesValuesAndUsageErrors)
{
    struct Case {
        QStringList arguments;
        CommandLine::Mode mode;
        QString error;
    };
    using M = CommandLine::Mode;
    const Case cases[] = {
        {{}, M::Window, {}},
        {{"--help"}, M::Help, {}},
        {{"--generate", "-h"}, M::Help, {}},
        {{"--version"}, M::Version, {}},
        {{"--generate", "--source", "C:\\a", "--pattern=*.txt", "--no-subfolders"}, M::Generate, {}},
        {{"--generate", "--bogus"}, M::UsageError, QStringLiteral("Unbekannte Option \u201E--bogus\u201C.")},
        {{"Liste.txt"}, M::UsageError, QStringLiteral("Unerwartetes Argument \u201EListe.txt\u201C.")},
        {{"--generate", "--target"}, M::UsageError, QStringLiteral("--target braucht einen Wert.")},
        {{"--generate", "--pattern", ""}, M::UsageError, QStringLiteral("--pattern braucht einen Wert, der nicht leer ist.")},
        {{"--generate", "--name=..\\x.txt"}, M::UsageError,
         QStringLiteral("--name nimmt nur einen Dateinamen, keinen Ordner: \u201E..\\x.txt\u201C")},
        {{"--generate=ja"}, M::UsageError, QStringLiteral("--generate nimmt keinen Wert.")},
        {{"--source", "C:\\a"}, M::UsageError, QStringLiteral("--source gilt nur zusammen mit --generate.")},
        {{"--verbose"}, M::UsageError, QStringLiteral("--verbose gilt nur zusammen mit --generate.")},
        {{"--"}, M::Window, {}},
        {{"--generate", "--"}, M::Generate, {}},
        {{"--", "--help"}, M::UsageError, QStringLiteral("Unerwartetes Argument \u201E--help\u201C.")},
        {{"-platform", "offscreen", "-style=fusion", "--qwindowtitle", "T", "-reverse", "-display", ":1"}, M::Window, {}},
        {{"--platform"}, M::UsageError, QStringLiteral("--platform braucht einen Wert.")},
    };
    for (const Case& c : cases) {
        const CommandLine line = CommandLine::parse(c.arguments);
        EXPECT_EQ(line.mode, c.mode) << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(line.error, c.error);
    }
    const CommandLine line = CommandLine::parse({"--generate", "--source", "C:\\a", "--pattern=*.txt", "--no-subfolders"});
    EXPECT_EQ(line.generate.source, QStringLiteral("C:\\a"));
    EXPECT_EQ(line.generate.pattern, QStringLiteral("*.txt"));
    EXPECT_FALSE(line.generate.includeSubfolders);
    EXPECT_FALSE(line.generate.target.has_value());
    EXPECT_FALSE(line.generate.verbose);
    EXPECT_TRUE(CommandLine::parse({"--generate", "--verbose"}).generate.verbose);
}

TEST(ConsoleOutputTest, EveryErrorLineNamesTheProgramAndShowsNoControlCharacters)
{
    const auto message = [](const char* category, const QString& text) {
        return ConsoleOutput::messageLines(QtWarningMsg, QMessageLogContext(nullptr, 0, nullptr, category), text);
    };
    EXPECT_EQ(ConsoleOutput::errorLines(QStringLiteral("erste\nzweite\n")), QByteArray("korvale: erste\nkorvale: zweite\n"));
    EXPECT_EQ(ConsoleOutput::errorLines(QStringLiteral("C:\\Ordner\x1b[2J")), QByteArray("korvale: C:\\Ordner?[2J\n"));
    EXPECT_EQ(message("korvale.options", QStringLiteral("Die Optionen …")), QByteArray("korvale: Die Optionen …\n"));
    EXPECT_EQ(message("qt.qpa.xcb", QStringLiteral("could not connect")), QByteArray("korvale: qt.qpa.xcb: could not connect\n"));
}

// A script must not take a cut-off output for a whole one: a full device, or a pipe whose
// reader has gone while SIGPIPE is ignored, ends the command with 1 and says why.
TEST(ConsoleOutputTest, AFailedWriteEndsWith1AndSaysSoWhereItCan)
{
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &previous);
    enum class Stream { Full, ClosedPipe, TemporaryFile };
    QTemporaryFile outFile;
    QTemporaryFile errFile;
    ASSERT_TRUE(outFile.open() && errFile.open());
    const auto open = [](Stream stream, const QTemporaryFile& file) -> std::FILE* {
        if (stream == Stream::Full)
            return std::fopen("/dev/full", "w");
        if (stream == Stream::TemporaryFile)
            return std::fopen(qPrintable(file.fileName()), "w");
        int ends[2];
        EXPECT_EQ(pipe(ends), 0);
        close(ends[0]);
        return fdopen(ends[1], "w");
    };
    const struct {
        Stream out;
        Stream err;
        int exitCode;
        int expected;
        QByteArray errorText;
    } cases[] = {
        {Stream::Full, Stream::TemporaryFile, kExitSuccess, kExitFailure,
         "korvale: Die Standardausgabe ließ sich nicht schreiben (No space left on device).\n"},
        {Stream::ClosedPipe, Stream::TemporaryFile, kExitSuccess, kExitFailure,
         "korvale: Die Standardausgabe ließ sich nicht schreiben (Broken pipe).\n"},
        {Stream::ClosedPipe, Stream::TemporaryFile, kExitUsage, kExitUsage,
         "korvale: Die Standardausgabe ließ sich nicht schreiben (Broken pipe).\n"},
        {Stream::TemporaryFile, Stream::Full, kExitSuccess, kExitFailure, {}},
        {Stream::TemporaryFile, Stream::ClosedPipe, kExitSuccess, kExitFailure, {}},
        {Stream::TemporaryFile, Stream::TemporaryFile, kExitSuccess, kExitSuccess, {}},
    };
    for (const auto& c : cases) {
        std::FILE* err = open(c.err, errFile);
        ConsoleOutput console(open(c.out, outFile), err);
        console.print(QStringLiteral("Korvale 3.0\n"));
        console.printError(c.err == Stream::TemporaryFile ? QString() : QStringLiteral("Hinweis"));
        EXPECT_EQ(console.finish(c.exitCode), c.expected) << c.errorText.constData();
        std::fclose(err);
        if (c.err == Stream::TemporaryFile) {
            EXPECT_EQ(readFile(errFile.fileName()), c.errorText);
        }
    }
    EXPECT_EQ(readFile(outFile.fileName()), QByteArray("Korvale 3.0\n"));
    sigaction(SIGPIPE, &previous, nullptr);
}

TEST(TerminalProgressTest, RewritesItsLineWithAnEscapeOnlyWhereTheTerminalKnowsEscapes)
{
    using Rewrite = TerminalProgress::Rewrite;
    const QByteArray line = QStringLiteral("Verzeichnisse: 12, Dateien: 345 …").toUtf8();
    const struct {
        Rewrite rewrite;
        QByteArray written;
    } cases[] = {
        {Rewrite::ClearEscape, "\r\x1b[K" + line + "\r\x1b[K"},
        {Rewrite::CarriageReturnOnly, '\r' + line + '\r' + QByteArray(33, ' ') + '\r'},
    };
    for (const auto& c : cases) {
        QByteArray written;
        TerminalProgress progress([&written](const QByteArray& bytes) { written += bytes; }, c.rewrite);
        progress.update(12, 345);
        progress.finish();
        progress.finish();
        EXPECT_EQ(written, c.written);
    }

    const QByteArray term = qgetenv("TERM");
    const struct {
        const char* term;
        bool escapes;
    } terms[] = {{nullptr, false}, {"", false}, {"dumb", false}, {"xterm-256color", true}};
    for (const auto& t : terms) {
        t.term ? qputenv("TERM", t.term) : qunsetenv("TERM");
        EXPECT_EQ(HostTerminal::understandsEscapes(), t.escapes) << (t.term ? t.term : "unset");
    }
    qputenv("TERM", term);
}

TEST(FolderArgumentTest, WindowsStyleAndHostPathsMapThroughTheDriveTable)
{
    const TestDrives drives;
    for (const char* folder : {"C:\\Arbeit", "C:\\weit\\tief", "D:\\Fotos"})
        drives.makeFolder(QString::fromUtf8(folder));
    const QByteArray root = QFile::encodeName(drives.cRoot());
    // QTemporaryDir cannot remove a name that is not UTF-8.
    const QByteArray latin1 = root + "/Ordner\xe4";
    ASSERT_EQ(mkdir(latin1.constData(), 0755), 0);
    const auto removeLatin1 = qScopeGuard([&] { rmdir(latin1.constData()); });
    ASSERT_EQ(mkdir((root + "/a\\b").constData(), 0755), 0);
    ASSERT_EQ(symlink((root + "/weit/tief").constData(), (root + "/Arbeit/verweis").constData()), 0);
    const QByteArray inC = root + "/Arbeit";
    // A current folder whose name holds a backslash cannot be written as a path itself.
    const QByteArray inOddName = root + "/a\\b";
    using Failure = FolderArgument::Mapped::Failure;
    const struct {
        QString text;
        QByteArray current;
        QString folder;
        Failure failure;
    } cases[] = {
        {"c:/Daten//2024\\", inC, "C:\\Daten\\2024", Failure::None},
        {"D:", inC, "D:\\", Failure::None},
        {drives.dRoot() + "/Fotos/../Musik", inC, "D:\\Musik", Failure::None},
        {"Bilder\\Urlaub", inC, "C:\\Arbeit\\Bilder\\Urlaub", Failure::None},
        {"..", inC, "C:\\", Failure::None},
        {"/kein/Laufwerk", inC, "", Failure::NoDrive},
        {"C:\\..\\..", inC, "C:\\", Failure::None},
        {"C:\\Arbeit\\verweis\\..", inC, "C:\\Arbeit", Failure::None},
        // On the host the file system says where ".." leads: from a link, the parent of
        // the folder it leads to.
        {"verweis/..", inC, "C:\\weit", Failure::None},
        {"verweis/../tief/./", inC, "C:\\weit\\tief", Failure::None},
        {"verweis", inC, "C:\\Arbeit\\verweis", Failure::None},
        {"fehlt/../x", inC, "", Failure::Unreachable},
        // Bytes that are no UTF-8 stay as they are, in the text and in the current folder.
        {QString::fromUtf16(u"Ordner\xDCE4"), root, QString::fromUtf16(u"C:\\Ordner\xDCE4"), Failure::None},
        {".", latin1, QString::fromUtf16(u"C:\\Ordner\xDCE4"), Failure::None},
        {"Daten", inOddName, "", Failure::NameCannotStand},
        {".", inOddName, "", Failure::NameCannotStand},
        {"..", inOddName, "C:\\", Failure::None},
        {"C:\\Zeilen\numbruch", inC, "", Failure::NameCannotStand},
    };
    for (const auto& c : cases) {
        const FolderArgument::Mapped mapped = FolderArgument::toWindowsPath(c.text, c.current);
        EXPECT_EQ(mapped.folder, c.folder) << c.text.toStdString();
        EXPECT_EQ(mapped.failure, c.failure) << c.text.toStdString();
    }
}

class GenerateCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fixture.drives().makeFile(QStringLiteral("C:\\Quelle\\b.txt"));
        fixture.drives().makeFile(QStringLiteral("C:\\Quelle\\Ä.txt"));
        fixture.drives().makeFile(QStringLiteral("C:\\Quelle\\Unter\\c.doc"));
        fixture.drives().makeFolder(QStringLiteral("D:\\Ziel"));
        fixture.writeSettings("[Optionen]\nDir2=C:\\\\Quelle\nDir3=D:\\\\Ziel\nText1.text=Ergebnis.txt\n");
    }

    // The window's run on the same store: its list file's bytes (removed again) and status.
    std::pair<QByteArray, QString> windowRun(const QString& pattern, bool subfolders, const QString& listFile)
    {
        Form1& form = fixture.load();
        const MainControls& c = form.controls();
        c.txt_filter->setText(pattern);
        c.Check1->setChecked(subfolders);
        EXPECT_TRUE(fixture.generate());
        const QByteArray bytes = readFile(listFile);
        QFile::remove(listFile);
        return {bytes, c.Label3->text()};
    }

    CommandResult commandRun(const GenerateOptions& options)
    {
        return GenerateCommand::run(options, fixture.store(), QFile::encodeName(fixture.drives().cRoot()));
    }

    FormFixture fixture;
};

TEST_F(GenerateCommandTest, WritesTheWindowsBytesFromTheStoredOptionsAndLeavesThemAlone)
{
    const QString listFile = fixture.drives().host(QStringLiteral("D:\\Ziel\\Ergebnis.txt"));
    const auto [windowBytes, windowStatus] = windowRun(QStringLiteral("*.*"), true, listFile);
    const QByteArray settings = fixture.settingsText();

    const CommandResult result = commandRun({});

    EXPECT_EQ(result.exitCode, kExitSuccess);
    EXPECT_EQ(result.text, windowStatus + u'\n');
    EXPECT_EQ(windowStatus, QStringLiteral("Ergebnisdatei Ergebnis.txt wurde in D:\\Ziel  erzeugt"));
    EXPECT_TRUE(windowBytes.startsWith("C:\\Quelle\\\xC4.txt\r\nC:\\Quelle\\b.txt\r\nC:\\Quelle\\Unter\\c.doc\r\n"));
    EXPECT_EQ(readFile(listFile), windowBytes);
    EXPECT_EQ(fixture.settingsText(), settings);
}

TEST_F(GenerateCommandTest, GivenOptionsOverrideTheStoredOnesLikeTheWindowsControls)
{
    const QString listFile = fixture.drives().host(QStringLiteral("C:\\Quelle\\Nur.txt"));
    fixture.writeSettings("[Optionen]\nDir2=C:\\\\Quelle\nDir3=C:\\\\Quelle\nText1.text=Nur.txt\n");
    const auto [windowBytes, windowStatus] = windowRun(QStringLiteral("*.TXT"), false, listFile);
    fixture.writeSettings("[Optionen]\nDir2=D:\\\\Ziel\nDir3=D:\\\\Ziel\n");

    GenerateOptions options;
    options.source = fixture.drives().cRoot() + QStringLiteral("/Quelle");
    options.target = QStringLiteral("c:/Quelle/");
    options.name = QStringLiteral("Nur.txt");
    options.pattern = QStringLiteral("*.TXT");
    options.includeSubfolders = false;
    const CommandResult result = commandRun(options);

    EXPECT_EQ(result.exitCode, kExitSuccess);
    EXPECT_EQ(readFile(listFile), windowBytes);
    EXPECT_EQ(windowBytes.count('\n'), 2 + 6);
}

TEST_F(GenerateCommandTest, FailuresExitWithTheWindowsTextAndWriteNothing)
{
    fixture.drives().makeFile(QStringLiteral("D:\\Datei"));
    const struct {
        QString source;
        QString target;
        int exitCode;
        QString text;
    } cases[] = {
        {"C:\\Fehlt", "D:\\Ziel", kExitFailure, "Quellverzeichnis C:\\Fehlt konnte nicht gelesen werden.\n"},
        {"E:\\", "D:\\Ziel", kExitFailure, "Quellverzeichnis E:\\ konnte nicht gelesen werden.\n"},
        {"C:\\Quelle", "D:\\Fehlt", kExitFailure,
         "Ergebnisdatei konnte nicht erzeugt werden. Der Zielordner existiert nicht.\n"},
        {"C:\\Quelle", "D:\\Datei", kExitFailure,
         "Ergebnisdatei konnte nicht erzeugt werden. Der Zielordner existiert nicht.\n"},
        {"C:\\Quelle", "/kein/Laufwerk", kExitUsage,
         "--target /kein/Laufwerk: kein Laufwerk enthält diesen Ordner.\n"},
        {"C:\\Quelle", "C:\\Zeilen\nbruch", kExitUsage,
         "--target C:\\Zeilen?bruch: ein Ordnername darin enthält \\ oder einen Zeilenumbruch und lässt "
         "sich nicht als Pfad schreiben.\n"},
    };
    for (const auto& c : cases) {
        GenerateOptions options;
        options.source = c.source;
        options.target = c.target;
        const CommandResult result = commandRun(options);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.source.toStdString() << " " << c.target.toStdString();
        EXPECT_EQ(result.text, c.text);
    }
    EXPECT_EQ(QDir(fixture.drives().host(QStringLiteral("D:\\Ziel"))).entryList(QDir::Files), QStringList());
    EXPECT_EQ(readFile(fixture.drives().host(QStringLiteral("D:\\Datei"))), QByteArray());
}

// The installed program itself: no display, no window, the exit codes scripts see.
class ProgramTest : public ::testing::Test {
protected:
    QProcess& start(const QStringList& arguments, const QString& program = QStringLiteral(KORVALE_PROGRAM))
    {
        launch(arguments, program);
        EXPECT_TRUE(process.waitForFinished(60000));
        return process;
    }

    void launch(const QStringList& arguments, const QString& program = QStringLiteral(KORVALE_PROGRAM))
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        if (!display.isEmpty())
            environment.insert(QStringLiteral("DISPLAY"), display);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(home.path());
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForStarted());
    }

    QTemporaryDir home;
    QProcess process;
    QString display;
};

// Over SSH or from cron: the program says in German what is missing and what works instead,
// whether it finds out before Qt (no display named) or Qt does (one that does not answer).
TEST_F(ProgramTest, WithoutADisplayTheWindowExplainsAndEndsWith1)
{
    for (const QString& unreachable : {QString(), QStringLiteral(":4711")}) {
        display = unreachable;
        start({});
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), kExitFailure);
        const QList<QByteArray> lines = process.readAllStandardError().trimmed().split('\n');
        EXPECT_EQ(lines.value(0), QByteArray("korvale: Das Fenster braucht eine grafische Oberfläche, aber es ist keine "
                                             "Anzeige erreichbar."));
        EXPECT_TRUE(lines.value(1).contains("korvale --generate")) << lines.value(1).constData();
        for (const QByteArray& line : lines)
            EXPECT_TRUE(line.startsWith("korvale: ")) << line.constData();
    }
}

TEST_F(ProgramTest, AFailedWriteOnStandardOutputEndsWith1)
{
    process.setStandardOutputFile(QStringLiteral("/dev/full"));
    for (const QStringList& arguments : {QStringList{"--version"}, QStringList{"--help"},
                                         QStringList{"--generate", "--source", ".", "--target", "."}}) {
        start(arguments);
        EXPECT_EQ(process.exitCode(), kExitFailure) << arguments.join(u' ').toStdString();
        EXPECT_EQ(process.readAllStandardError(),
                  QByteArray("korvale: Die Standardausgabe ließ sich nicht schreiben (No space left on device).\n"));
    }
}

TEST_F(ProgramTest, HelpAndVersionNeedNoDisplay)
{
    start({"--help"});
    EXPECT_EQ(process.exitCode(), kExitSuccess);
    EXPECT_TRUE(process.readAllStandardOutput().startsWith("Aufruf: korvale [OPTION"));
    start({"--version"});
    EXPECT_EQ(process.exitCode(), kExitSuccess);
    EXPECT_EQ(process.readAllStandardOutput(), QByteArray("Korvale 3.0\n"));
}

TEST_F(ProgramTest, GenerateFromTheCurrentFolderWithoutATerminal)
{
    QDir(home.path()).mkpath(QStringLiteral("Quelle/Unter"));
    QFile(home.filePath(QStringLiteral("Quelle/Unter/a.txt"))).open(QIODevice::WriteOnly);
    start({"--generate", "--source", "Quelle", "--target", "."});
    EXPECT_EQ(process.exitCode(), kExitSuccess);
    EXPECT_EQ(process.readAllStandardError(), QByteArray());
    EXPECT_TRUE(process.readAllStandardOutput().startsWith("Ergebnisdatei Liste.txt wurde in Z:\\"));
    EXPECT_TRUE(readFile(home.filePath(QStringLiteral("Liste.txt"))).contains("\\Quelle\\Unter\\a.txt\r\n\r\nKorvale 3.0\r\n"));
    EXPECT_FALSE(QFile::exists(home.filePath(QStringLiteral("config/Korvale/Korvale.ini"))));

    start({"--generate", "--name"});
    EXPECT_EQ(process.exitCode(), kExitUsage);
    EXPECT_TRUE(process.readAllStandardError().contains("Aufruf: korvale [--generate"));
}

// As find names what it could not read: one line per entry, a name never breaking its line.
TEST_F(ProgramTest, VerboseNamesEveryEntryTheListLacksOrChanged)
{
    const QDir source(home.filePath(QStringLiteral("Quelle")));
    QDir(home.path()).mkpath(QStringLiteral("Quelle"));
    for (const QString& name : {QStringLiteral("mit\\Trenner.txt"), QStringLiteral("zeile\numbruch.txt"),
                                QStringLiteral("Жук.txt"), QStringLiteral("gut.txt")})
        QFile(source.filePath(name)).open(QIODevice::WriteOnly);
    start({"--generate", "--source", "Quelle", "--target", ".", "--verbose"});
    EXPECT_EQ(process.exitCode(), kExitSuccess);
    QList<QByteArray> lines = process.readAllStandardError().split('\n');
    std::sort(lines.begin(), lines.end());
    const QByteArray folder = QFile::encodeName(source.path());
    EXPECT_EQ(lines, QList<QByteArray>({"", "korvale: ausgelassen: " + folder + "/mit\\\\Trenner.txt",
                                        "korvale: ausgelassen: " + folder + "/zeile\\numbruch.txt",
                                        "korvale: mit Ersatzzeichen: " + folder + "/Жук.txt"}));

    start({"--generate", "--source", "Quelle", "--target", "."});
    EXPECT_EQ(process.readAllStandardError(), QByteArray());
}

// Bytes that are no UTF-8 reach the program as they are, in an argument and in the
// current folder, and come out as the same bytes in the list.
TEST_F(ProgramTest, FolderNamedInBytesThatAreNoUtf8)
{
    const QString script = QStringLiteral(
        "folder=\"$PWD/$(printf 'Ordner\\344')\"; mkdir -p \"$folder/Unter\" && : > \"$folder/Unter/a.txt\" || exit 9\n"
        "\"$0\" --generate --source \"$folder\" --target . --name Aussen.txt || exit $?\n"
        "cd \"$folder\" && \"$0\" --generate --source . --target .. --name Innen.txt || exit $?\n"
        "rm -r \"$folder\"\n");
    start({"-c", script, QStringLiteral(KORVALE_PROGRAM)}, QStringLiteral("/bin/sh"));
    EXPECT_EQ(process.exitCode(), kExitSuccess) << process.readAllStandardError().toStdString();
    for (const char* name : {"Aussen.txt", "Innen.txt"}) {
        const QByteArray list = readFile(home.filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(list.contains("\\Ordner\xe4\\Unter\\a.txt\r\n\r\n")) << name << ": " << list.toStdString();
    }
}

// Stored folders on a share that stopped answering: a folder the command names is never
// looked up there; one the run needs fails it, named, rather than let another folder stand
// in; and a signal ends the program all the same.
TEST_F(ProgramTest, AStoredFolderThatDoesNotAnswerFailsTheRunAndSignalsEndIt)
{
    QDir(home.path()).mkpath(QStringLiteral("Quelle"));
    QDir(home.path()).mkpath(QStringLiteral("share"));
    const StallingShare share(QFile::encodeName(home.filePath(QStringLiteral("share"))));
    if (!share.mounted())
        GTEST_SKIP() << share.missingReason().toStdString();
    const QString dead = QStringLiteral("Z:") + QDir::toNativeSeparators(home.filePath(QStringLiteral("share/haengt")))
                                                   .replace(u'/', u'\\');
    QDir(home.path()).mkpath(QStringLiteral("config/Korvale"));
    QFile settings(home.filePath(QStringLiteral("config/Korvale/Korvale.ini")));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write(QStringLiteral("[Optionen]\nDir2=%1\nDir3=%1\n").arg(dead).toUtf8());
    settings.close();
    const auto silent = [&dead](const char* option) {
        return QStringLiteral("korvale: Der gespeicherte Ordner %1 antwortet nicht; %2 nennt einen anderen.\n")
            .arg(dead, QString::fromLatin1(option))
            .toUtf8();
    };
    const struct {
        QStringList arguments;
        int exitCode;
        QByteArray error;
    } cases[] = {
        {{"--generate", "--target", "."}, kExitFailure, silent("--source")},
        {{"--generate", "--source", "Quelle"}, kExitFailure, silent("--target")},
        {{"--generate", "--source", "Quelle", "--target", "."}, kExitSuccess, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        QElapsedTimer took;
        took.start();
        start(c.arguments);
        EXPECT_LT(took.elapsed(), 5000);
        EXPECT_EQ(process.exitCode(), c.exitCode);
        EXPECT_EQ(process.readAllStandardError(), c.error);
    }

    // Asked to stop while a stored folder is looked at: the second Ctrl-C ends it at once,
    // and a single SIGTERM once the look has given up.
    const struct {
        QList<int> sent;
        int exitCode;
        QProcess::ExitStatus status;
    } interrupted[] = {
        {{SIGINT, SIGINT}, 128 + SIGINT, QProcess::NormalExit},
        {{SIGTERM}, SIGTERM, QProcess::CrashExit},
    };
    for (const auto& c : interrupted) {
        launch({"--generate", "--target", "."});
        QTest::qWait(300);
        for (const int signal : c.sent) {
            kill(pid_t(process.processId()), signal);
            QTest::qWait(50);
        }
        // It may have ended already, while the test waited.
        EXPECT_TRUE(process.state() == QProcess::NotRunning || process.waitForFinished(5000))
            << "signal " << c.sent.constFirst();
        EXPECT_EQ(process.exitStatus(), c.status);
        EXPECT_EQ(process.exitCode(), c.exitCode);
    }
}

} // namespace
