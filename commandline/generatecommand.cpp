#include "commandline/generatecommand.h"

#include "commandline/folderargument.h"
#include "generation/pathprobes.h"
#include "generation/statustext.h"
#include "options/optionstore.h"
#include "walk/hostfolder.h"

namespace {

using GenerateCommand::printable;

// What the window shows before any option is restored: the list-file name box's first text.
const QString kFirstListFileName = QStringLiteral("Liste.txt");
const QString kFirstPattern = QStringLiteral("*.*");

// How long a stored folder may take to answer before the run fails rather than wait.
constexpr std::chrono::milliseconds kStoredFolderLimit{1500};

// A stored folder the run needs that does not answer fails the run: taking another folder
// in its place would list or write where the person never asked.
void failSilentFolder(const QString& option, const QString& folder, CommandResult& failure)
{
    failure.exitCode = kExitFailure;
    failure.text = QStringLiteral("Der gespeicherte Ordner %1 antwortet nicht; %2 nennt einen anderen.\n")
                       .arg(printable(folder), option);
}

// The first of the candidates that is a folder, as the window restores a stored one, or
// an empty text; nothing where one does not answer before a folder is found.
std::optional<QString> firstFolder(const QString& option, const QList<std::optional<QString>>& candidates,
                                   CommandResult& failure)
{
    for (const std::optional<QString>& candidate : candidates) {
        if (!candidate)
            continue;
        const std::optional<bool> exists = PathProbes::DirExistsWithin(*candidate, kStoredFolderLimit);
        if (!exists) {
            failSilentFolder(option, *candidate, failure);
            return std::nullopt;
        }
        if (*exists)
            return WindowsPath::parse(*candidate)->toString();
    }
    return QString();
}

// What the options leave open, from the stored options; only what the run needs is looked
// at. A source that cannot be restored is the current folder, where the window's source
// list starts; a target that cannot is "C:\", where its target label starts.
bool takeStoredChoice(const GenerateOptions& options, SettingsStore& store, GenerateRun::Input& input,
                      CommandResult& failure)
{
    OptionStore stored(store);
    stored.load();
    if (!options.name)
        input.listFileName = stored.storedListFileName().value_or(kFirstListFileName);
    if (!options.source) {
        const std::optional<QString> source
            = firstFolder(QStringLiteral("--source"), {stored.storedFolder(QStringLiteral("Dir2"))}, failure);
        if (!source)
            return false;
        input.sourceFolder = *source;
        const std::optional<WindowsPath> current = source->isEmpty() ? HostFolder::processCurrentFolder() : std::nullopt;
        if (current)
            input.sourceFolder = current->toString();
    }
    if (!options.target) {
        const std::optional<QString> target = firstFolder(
            QStringLiteral("--target"), {stored.storedFolder(QStringLiteral("Dir3")), OptionStore::defaultFolder()},
            failure);
        if (!target)
            return false;
        input.targetFolder = *target;
    }
    return true;
}

QString mappingProblem(FolderArgument::Mapped::Failure failure)
{
    switch (failure) {
    case FolderArgument::Mapped::Failure::NameCannotStand:
        return QStringLiteral("ein Ordnername darin enthält \\ oder einen Zeilenumbruch und lässt sich nicht als Pfad "
                              "schreiben.");
    case FolderArgument::Mapped::Failure::Unreachable:
        return QStringLiteral("der Pfad bis zum letzten .. führt zu keinem Ordner.");
    case FolderArgument::Mapped::Failure::NoDrive:
    case FolderArgument::Mapped::Failure::None:
        break;
    }
    return QStringLiteral("kein Laufwerk enthält diesen Ordner.");
}

// Maps a folder the options name over the stored one; false for a folder that cannot be
// named as a path.
bool takeGivenFolder(const QString& option, const std::optional<QString>& text, const QByteArray& currentHostFolder,
                     QString& folder, CommandResult& failure)
{
    if (!text)
        return true;
    const FolderArgument::Mapped mapped = FolderArgument::toWindowsPath(*text, currentHostFolder);
    if (mapped.failure != FolderArgument::Mapped::Failure::None) {
        failure.exitCode = kExitUsage;
        failure.text = QStringLiteral("%1 %2: %3\n").arg(option, printable(*text), mappingProblem(mapped.failure));
        return false;
    }
    folder = mapped.folder;
    return true;
}

// As find names what it cannot read: a line each, one entry never more than one line.
QByteArray leftOutLines(const LeftOutEntries& leftOut)
{
    QByteArray lines;
    for (const LeftOutEntries::Entry& entry : leftOut.kept())
        lines += "korvale: " + LeftOutEntries::lineOf(entry) + '\n';
    if (leftOut.notKept() != 0)
        lines += "korvale: " + LeftOutEntries::notKeptText(leftOut.notKept()).toUtf8() + '\n';
    return lines;
}

} // namespace

CommandResult GenerateCommand::run(const GenerateOptions& options, SettingsStore& store,
                                   const QByteArray& currentHostFolder, GenerateRun::Hooks hooks)
{
    CommandResult result;
    GenerateRun::Input input;
    if (!takeGivenFolder(QStringLiteral("--source"), options.source, currentHostFolder, input.sourceFolder, result)
        || !takeGivenFolder(QStringLiteral("--target"), options.target, currentHostFolder, input.targetFolder, result))
        return result;
    input.listFileName = options.name.value_or(kFirstListFileName);
    if ((!options.source || !options.target || !options.name) && !takeStoredChoice(options, store, input, result))
        return result;
    input.pattern = options.pattern.value_or(kFirstPattern);
    input.includeSubfolders = options.includeSubfolders;

    const GenerateRun::Outcome outcome = GenerateRun(std::move(hooks)).run(input);
    result.exitCode = outcome.written ? kExitSuccess : kExitFailure;
    result.text = printable(outcome.stopped ? StatusText::stopped() : outcome.statusText) + u'\n';
    if (options.verbose)
        result.leftOutLines = leftOutLines(outcome.leftOut);
    return result;
}

QString GenerateCommand::printable(const QString& text)
{
    QString shown = text;
    for (QChar& character : shown) {
        if (character.category() == QChar::Other_Control)
            character = u'?';
    }
    return shown;
}
