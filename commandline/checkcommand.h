#pragma once

#include "commandline/generatecommand.h"

#include <QByteArray>

// korvale --check LISTFILE: walks the source as a run does and compares what it finds with
// the list's entries, writing nothing. The source is, unless given, the folder that holds
// the list file (the stick it came on); the settings store is not read.
namespace CheckCommand {

// hooks: the run's progress and a stop between folders (see GenerateRun); their eachChange
// is where every change goes as it is found. The result's text is the summary line, or the
// trouble; its exit code 0 where folder and list agree, 1 where they differ, 2 for trouble.
CommandResult run(const GenerateOptions& walk, const CheckOptions& check, const QByteArray& currentHostFolder,
                  GenerateRun::Hooks hooks);

// The folder a list was made of as --list-root names it ("C:\Projekte\X", "c:/projekte/x/"),
// as the comparison takes it: without drive letter and closing separator ("\Projekte\X").
QString listRoot(const QString& text);

} // namespace CheckCommand
