#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What a generate without a window is told; whatever is missing comes from the stored
// options, as the window would restore them.
struct GenerateOptions {
    std::optional<QString> source;
    std::optional<QString> pattern;
    std::optional<QString> target;
    std::optional<QString> name;
    // A table for spreadsheets beside the list file: a file named as a folder is.
    std::optional<QString> table;
    bool includeSubfolders = true;
    // Name every entry the list lacks or had to change on standard error.
    bool verbose = false;
};

// Exit codes of the command line, as scripts test them.
enum ExitCode : int { kExitSuccess = 0, kExitFailure = 1, kExitUsage = 2 };

// The program's arguments: none opens the window; --help, --version and --generate
// need no display. Option names are English, as Linux tools spell them; every text a
// person reads is German.
struct CommandLine {
    enum class Mode { Window, Help, Version, Generate, UsageError };

    Mode mode = Mode::Window;
    GenerateOptions generate;
    // One line saying what was wrong, for UsageError.
    QString error;

    // The arguments without the program name.
    static CommandLine parse(const QStringList& arguments);
    // The program's arguments but its name, as texts that give back their bytes: a folder
    // whose name is no UTF-8 can still be named.
    static QStringList argumentsOf(int argc, const char* const* argv);

    static QString helpText();
    static QString versionText();
    // What a usage error prints below its own line.
    static QString usageText();
};
