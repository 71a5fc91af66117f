#include "commandline/generatecommand.h"

#include "commandline/folderargument.h"
#include "generation/statustext.h"
#include "listing/folderlist.h"
#include "options/optionstore.h"
#include "walk/hostfolder.h"

namespace {

using GenerateCommand::printable;

// What the window shows before any option is restored: the list-file name box's first text.
const QString kFirstListFileName = QStringLiteral("Liste.txt");
const QString kFirstPattern = QStringLiteral("*.*");

struct StoredChoice {
    QString sourceFolder;
    QString targetFolder;
    QString listFileName;
};

// The window's load step on lists of our own: a stored folder counts only where it still
// exists; a source that cannot be restored is the current folder, where the window's
// source list starts. The lists start nowhere, so the current folder is read only by the
// run that lists it.
StoredChoice restoreStoredChoice(SettingsStore& store)
{
    FolderList Dir1;
    FolderList Dir2;
    FolderList Dir3;
    const RestoreResult restored = OptionStore(store).restore({Dir1, Dir2, Dir3});
    QString source = Dir2.Path();
    if (source.isEmpty()) {
        if (const std::optional<WindowsPath> current = HostFolder::processCurrentFolder())
            source = current->toString();
    }
    return {source, restored.targetFolder, restored.listFileName.value_or(kFirstListFileName)};
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
        failure.text = QStringLiteral("%1 %2: %3\n").arg(option, printable(*text), FolderArgument::problemText(mapped.failure));
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
    StoredChoice stored;
    if (!options.source || !options.target || !options.name)
        stored = restoreStoredChoice(store);

    CommandResult result;
    GenerateRun::Input input;
    input.sourceFolder = stored.sourceFolder;
    input.targetFolder = stored.targetFolder;
    if (!takeGivenFolder(QStringLiteral("--source"), options.source, currentHostFolder, input.sourceFolder, result)
        || !takeGivenFolder(QStringLiteral("--target"), options.target, currentHostFolder, input.targetFolder, result))
        return result;
    input.listFileName = options.name.value_or(stored.listFileName);
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
