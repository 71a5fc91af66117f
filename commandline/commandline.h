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

// korvale --check LISTFILE: the folder (GenerateOptions' source, pattern and subfolder
// switch) is compared with a list file, and nothing is written.
struct CheckOptions {
    std::optional<QString> listFile;
    // The folder the list was made of, as the list writes it ("C:\Projekte\X"): its paths
    // are taken below it. Otherwise the source folder's own path, drive letter aside.
    std::optional<QString> listRoot;
};

// Exit codes of the command line, as scripts test them. A check ends as diff and cmp do:
// 0 the two agree, 1 they differ, 2 trouble.
enum ExitCode : int { kExitSuccess = 0, kExitFailure = 1, kExitUsage = 2 };

// The program's arguments: none, or a folder, opens the window; --help, --version, --generate
// and --check need no display. Option names are English, as Linux tools spell them; every text a
// person reads is German.
struct CommandLine {
    enum class Mode { Window, Help, Version, Generate, Check, UsageError };

    Mode mode = Mode::Window;
    GenerateOptions generate;
    CheckOptions check;
    // The folder the window opens with as its source, as given (see FolderArgument).
    std::optional<QString> folder;
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
