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
    failure.errorText = QStringLiteral("Der gespeicherte Ordner %1 antwortet nicht; %2 nennt einen anderen.\n")
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


CommandResult usageFailure(const QString& option, const QString& value, const QString& problem)
{
    return {kExitUsage, {}, QStringLiteral("%1 %2: %3\n").arg(option, printable(value), problem), {}};
}

} // namespace

// Maps a folder the options name over the stored one; false for a folder that cannot be
// named as a path.
bool GenerateCommand::takeGivenFolder(const QString& option, const std::optional<QString>& text,
                                      const QByteArray& currentHostFolder, QString& folder, CommandResult& failure)
{
    if (!text)
        return true;
    const FolderArgument::Mapped mapped = FolderArgument::toWindowsPath(*text, currentHostFolder);
    if (mapped.failure != FolderArgument::Mapped::Failure::None) {
        failure = usageFailure(option, *text, FolderArgument::problemText(mapped.failure));
        return false;
    }
    folder = mapped.folder;
    return true;
}

// As find names what it cannot read: a line each, one entry never more than one line.
QByteArray GenerateCommand::leftOutLines(const LeftOutEntries& leftOut)
{
    QByteArray lines;
    for (const LeftOutEntries::Entry& entry : leftOut.kept())
        lines += "korvale: " + LeftOutEntries::lineOf(entry) + '\n';
    if (leftOut.notKept() != 0)
        lines += "korvale: " + LeftOutEntries::notKeptText(leftOut.notKept()).toUtf8() + '\n';
    return lines;
}

QByteArray GenerateCommand::changeLine(ListChanges::Kind kind, const ListChanges::Entry& entry)
{
    return ListChanges::label(kind).toUtf8() + ": " + LeftOutEntries::oneLine(entry.hostPath) + '\n';
}

namespace {

// The table's file as --table names it, beside the list file and never in its place.
bool takeTable(const QString& text, const GenerateRun::Input& input, const QByteArray& currentHostFolder,
               std::optional<TableRun::Input>& table, CommandResult& failure)
{
    const FolderArgument::MappedFile mapped = FolderArgument::fileToWindowsPath(text, currentHostFolder);
    if (mapped.failure != FolderArgument::Mapped::Failure::None) {
        failure = usageFailure(QStringLiteral("--table"), text, FolderArgument::problemText(mapped.failure));
        return false;
    }
    table = TableRun::Input{mapped.folder, mapped.name, input.targetFolder, input.listFileName};
    if (TableRun::isListFile(*table)) {
        failure = usageFailure(QStringLiteral("--table"), text,
                               QStringLiteral("das ist die Ergebnisdatei; die Tabelle steht neben ihr, nicht an ihrer "
                                              "Stelle."));
        return false;
    }
    return true;
}

// The changes against the list replaced, after what the list lacks: "korvale: neu: PATH".
QByteArray changeLines(const std::optional<ListChanges>& changes)
{
    QByteArray lines;
    if (!changes)
        return lines;
    for (const ListChanges::Kind kind : {ListChanges::Kind::New, ListChanges::Kind::Missing}) {
        for (const ListChanges::Entry& entry : changes->kept(kind))
            lines += "korvale: " + GenerateCommand::changeLine(kind, entry);
        if (const qsizetype notKept = changes->count(kind) - changes->keptCount(kind))
            lines += "korvale: " + LeftOutEntries::notKeptText(notKept).toUtf8() + '\n';
    }
    return lines;
}

} // namespace

CommandResult GenerateCommand::run(const GenerateOptions& options, SettingsStore& store,
                                   const QByteArray& currentHostFolder, GenerateRun::Hooks hooks,
                                   TableRun::Hooks tableHooks)
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

    std::optional<TableRun::Input> table;
    if (options.table && !takeTable(*options.table, input, currentHostFolder, table, result))
        return result;

    GenerateRun run(std::move(hooks));
    const GenerateRun::Outcome outcome = run.run(input);
    const QString status = printable(outcome.stopped ? StatusText::stopped() : outcome.statusText) + u'\n';
    if (options.verbose)
        result.leftOutLines = leftOutLines(outcome.leftOut) + changeLines(outcome.changes);
    if (!outcome.written) {
        result.exitCode = kExitFailure;
        result.errorText = status;
        return result;
    }
    result.text = status;
    if (table) {
        const TableRun::Outcome made = TableRun(std::move(tableHooks)).run(run.List2(), *table);
        (made.written ? result.text : result.errorText) += printable(made.statusText) + u'\n';
        result.exitCode = made.written ? kExitSuccess : kExitFailure;
    }
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
