#include "app/displayguard.h"
#include "app/windowsystemchoice.h"
#include "app/sessionguard.h"
#include "commandline/commandline.h"
#include "commandline/consoleoutput.h"
#include "commandline/generatecommand.h"
#include "commandline/interruptwatch.h"
#include "commandline/terminalprogress.h"
#include "drives/hostdrives.h"
#include "generation/productinfo.h"
#include "mainwindow/form1.h"
#include "process/hostterminal.h"
#include "process/signalpipe.h"
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

int runWindow(int argc, char** argv, ConsoleOutput& console)
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
    const HostDrives drives;
    Form1 form(store);
    const SessionGuard session(form);
    form.show();
    return app.exec();
}

// Without a display: only Qt Core is started.
int runGenerate(int argc, char** argv, const GenerateOptions& options, ConsoleOutput& console)
{
    SignalPipe::install();
    QCoreApplication app(argc, argv);
    nameApplication();
    SettingsStore store;
    TerminalProgress progress([&console](const QByteArray& line) { console.writeErrorBytes(line); },
                              HostTerminal::understandsEscapes() ? TerminalProgress::Rewrite::ClearEscape
                                                                 : TerminalProgress::Rewrite::CarriageReturnOnly);
    InterruptWatch interrupts(HostTerminal::showsStandardError() ? &progress : nullptr);
    const CommandResult result = GenerateCommand::run(options, store, HostFolder::currentHostPath(), interrupts.runHooks());
    interrupts.runEnded();
    progress.finish();
    console.writeErrorBytes(result.leftOutLines);
    if (result.exitCode == kExitSuccess)
        console.print(result.text);
    else
        console.printError(result.text);
    const int exitCode = console.finish(result.exitCode);
    interrupts.endAsAsked();
    return exitCode;
}

} // namespace

int main(int argc, char** argv)
{
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
    case CommandLine::Mode::Window:
        break;
    }
    return runWindow(argc, argv, console);
}
