#include "app/displayguard.h"
#include "app/windowsystemchoice.h"
#include "app/sessionguard.h"
#include "commandline/checkcommand.h"
#include "commandline/commandline.h"
#include "commandline/consoleoutput.h"
#include "commandline/generatecommand.h"
#include "commandline/interruptwatch.h"
#include "commandline/terminalprogress.h"
#include "drives/driveletters.h"
#include "drives/hostdrives.h"
#include "generation/productinfo.h"
#include "mainwindow/form1.h"
#include "options/driveletterstore.h"
#include "process/hostterminal.h"
#include "process/signalpipe.h"
#include "readahead/folderreads.h"
#include "settings/settingsstore.h"
#include "walk/hostfolder.h"

#include <QApplication>

namespace {

// The desktop ties the window to its menu entry by these names.
void nameApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("Korvale"));
    QCoreApplication::setApplicationVersion(QString::fromUtf16(ProductInfo::kVersion));
}

int runWindow(int argc, char** argv, const std::optional<QString>& startFolder, ConsoleOutput& console)
{
    if (WindowSystemChoice::findsNoDisplay(WindowSystemChoice::Session::current(argc, argv))) {
        console.printError(DisplayGuard::missingDisplayText());
        return console.finish(DisplayGuard::kExitCode);
    }
    SignalPipe::install();
    WindowSystemChoice::preferX11UnderWayland(argc, argv);
    DisplayGuard guard;
    QApplication app(argc, argv);
    guard.release();
    nameApplication();
    QGuiApplication::setDesktopFileName(QStringLiteral("example.korvale.Korvale"));
    SettingsStore store;
    const HostDrives drives(DriveLetterStore(store).restore());
    Form1 form(store, startFolder);
    const SessionGuard session(form);
    form.show();
    return app.exec();
}

// The volumes get their letters as the window would give them, and those met for the first
// time are remembered for the window and the next run.
void installDriveLetters(SettingsStore& store)
{
    DriveLetterStore letterStore(store);
    const RememberedLetters remembered = letterStore.restore();
    const DriveLetters letters = DriveLetters::forThisHost(remembered, std::chrono::milliseconds(300));
    DriveTable::setActive(letters.table());
    letterStore.saveNewVolumes(remembered, letters.remembered());
}

// Without a display: only Qt Core is started, with the drive letters, the progress line and
// the signal watch around the command. outputFailed: the exit code when an output could not
// be written.
int runWithoutWindow(int argc, char** argv, ConsoleOutput& console, int outputFailed,
                     const std::function<CommandResult(SettingsStore&, InterruptWatch&, TerminalProgress&)>& command)
{
    SignalPipe::install();
    QCoreApplication app(argc, argv);
    nameApplication();
    SettingsStore store;
    installDriveLetters(store);
    TerminalProgress progress([&console](const QByteArray& line) { console.writeErrorBytes(line); },
                              HostTerminal::understandsEscapes() ? TerminalProgress::Rewrite::ClearEscape
                                                                 : TerminalProgress::Rewrite::CarriageReturnOnly);
    InterruptWatch interrupts(HostTerminal::showsStandardError() ? &progress : nullptr);
    const CommandResult result = command(store, interrupts, progress);
    interrupts.runEnded();
    progress.finish();
    console.writeErrorBytes(result.leftOutLines);
    if (!result.text.isEmpty())
        console.print(result.text);
    if (!result.errorText.isEmpty())
        console.printError(result.errorText);
    const int exitCode = console.finish(result.exitCode, outputFailed);
    interrupts.endAsAsked();
    return exitCode;
}

int runGenerate(int argc, char** argv, const GenerateOptions& options, ConsoleOutput& console)
{
    const auto generate = [&options](SettingsStore& store, InterruptWatch& interrupts, TerminalProgress&) {
        return GenerateCommand::run(options, store, HostFolder::currentHostPath(), interrupts.runHooks(),
                                    interrupts.tableHooks());
    };
    return runWithoutWindow(argc, argv, console, kExitFailure, generate);
}

// Each change goes out on standard output as it is found, on a line of its own.
int runCheck(int argc, char** argv, const CommandLine& line, ConsoleOutput& console)
{
    const auto check = [&](SettingsStore&, InterruptWatch& interrupts, TerminalProgress& progress) {
        GenerateRun::Hooks hooks = interrupts.runHooks();
        hooks.eachChange = [&](ListChanges::Kind kind, const ListChanges::Entry& entry) {
            progress.finish();
            console.printBytes(GenerateCommand::changeLine(kind, entry));
        };
        return CheckCommand::run(line.generate, line.check, HostFolder::currentHostPath(), std::move(hooks));
    };
    return runWithoutWindow(argc, argv, console, kExitUsage, check);
}

} // namespace

int main(int argc, char** argv)
{
    // First, while this is the process's only thread (see there).
    FolderReads::makeRoomBeforeThreads();
    ConsoleOutput::installMessageHandler();
    const CommandLine line = CommandLine::parse(CommandLine::argumentsOf(argc, argv));
    ConsoleOutput console;
    switch (line.mode) {
    case CommandLine::Mode::Help:
        console.print(CommandLine::helpText());
        return console.finish(kExitSuccess);
    case CommandLine::Mode::Version:
        console.print(CommandLine::versionText());
        return console.finish(kExitSuccess);
    case CommandLine::Mode::UsageError:
        console.printError(line.error + u'\n' + CommandLine::usageText());
        return console.finish(kExitUsage);
    case CommandLine::Mode::Generate:
        return runGenerate(argc, argv, line.generate, console);
    case CommandLine::Mode::Check:
        return runCheck(argc, argv, line, console);
    case CommandLine::Mode::Window:
        break;
    }
    return runWindow(argc, argv, line.folder, console);
}
