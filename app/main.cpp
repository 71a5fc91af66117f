#include "commandline/commandline.h"
#include "commandline/generatecommand.h"
#include "commandline/terminalprogress.h"
#include "generation/productinfo.h"
#include "mainwindow/form1.h"
#include "mainwindow/platformchoice.h"
#include "platform/hostfolder.h"
#include "platform/hostterminal.h"
#include "platform/settingsstore.h"

#include <QApplication>

#include <cstdio>

namespace {

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toUtf8().constData(), stream);
    std::fflush(stream);
}

// The desktop ties the window to its menu entry by these names.
void nameApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("Korvale"));
    QCoreApplication::setApplicationVersion(QString::fromUtf16(ProductInfo::kVersion));
}

int runWindow(int argc, char** argv)
{
    PlatformChoice::preferX11UnderWayland(argc, argv);
    QApplication app(argc, argv);
    nameApplication();
    QGuiApplication::setDesktopFileName(QStringLiteral("example.korvale.Korvale"));
    SettingsStore store;
    Form1 form(store);
    form.show();
    return app.exec();
}

// Without a display: only Qt Core is started.
int runGenerate(int argc, char** argv, const GenerateOptions& options)
{
    QCoreApplication app(argc, argv);
    nameApplication();
    SettingsStore store;
    TerminalProgress progress([](const QByteArray& line) {
        std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
        std::fflush(stderr);
    });
    GenerateRun::Progress onProgress;
    if (HostTerminal::showsStandardError())
        onProgress = [&progress](qsizetype folders, qsizetype files) { progress.update(folders, files); };
    const CommandResult result = GenerateCommand::run(options, store, HostFolder::currentHostPath(), onProgress);
    progress.finish();
    print(result.exitCode == kExitSuccess ? stdout : stderr, result.text);
    return result.exitCode;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine line = CommandLine::parse(arguments);
    switch (line.mode) {
    case CommandLine::Mode::Help:
        print(stdout, CommandLine::helpText());
        return kExitSuccess;
    case CommandLine::Mode::Version:
        print(stdout, CommandLine::versionText());
        return kExitSuccess;
    case CommandLine::Mode::UsageError:
        print(stderr, QStringLiteral("korvale: ") + GenerateCommand::printable(line.error) + u'\n'
                          + CommandLine::usageText());
        return kExitUsage;
    case CommandLine::Mode::Generate:
        return runGenerate(argc, argv, line.generate);
    case CommandLine::Mode::Window:
        break;
    }
    return runWindow(argc, argv);
}
