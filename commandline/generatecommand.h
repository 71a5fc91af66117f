#pragma once

#include "commandline/commandline.h"
#include "generation/generaterun.h"
#include "table/tablerun.h"

#include <QByteArray>
#include <QString>

class SettingsStore;

// What the command line prints and how it ends.
struct CommandResult {
    int exitCode = kExitSuccess;
    // Standard output: the command's answer (the status lines of what was written, a
    // check's summary).
    QString text;
    // Standard error, each line after "korvale: ": what failed or was refused.
    QString errorText;
    // With --verbose: one line on standard error for every entry the list lacks or had to
    // change ("korvale: nicht lesbar: /home/anna/privat"), and for every change against the
    // list replaced ("korvale: neu: /home/anna/neu.txt").
    QByteArray leftOutLines;
};

// korvale --generate: fills in what the options leave open from the stored options, as
// the window restores them at start, runs one generate and reports it like the window's
// status line. It reads the settings store and never writes it.
namespace GenerateCommand {

// hooks: the run's progress, a stop between folders, the start of the write (see GenerateRun);
// tableHooks the same for the table, which is made once the list file is written.
CommandResult run(const GenerateOptions& options, SettingsStore& store, const QByteArray& currentHostFolder,
                  GenerateRun::Hooks hooks = {}, TableRun::Hooks tableHooks = {});

// A text from the file system or the settings store, safe to print on a terminal:
// control characters would let a name move the cursor or retitle the window.
QString printable(const QString& text);

// Maps a folder an option names (option: its name, text: its value, if given) into folder;
// false, with the usage error in failure, for a folder that cannot be named as a path.
bool takeGivenFolder(const QString& option, const std::optional<QString>& text, const QByteArray& currentHostFolder,
                     QString& folder, CommandResult& failure);
// One line on standard error for each entry kept, and one for the rest.
QByteArray leftOutLines(const LeftOutEntries& leftOut);
// "fehlt: /media/stick/Lieferung/b.txt\n": a change, its host path on one line.
QByteArray changeLine(ListChanges::Kind kind, const ListChanges::Entry& entry);

} // namespace GenerateCommand
