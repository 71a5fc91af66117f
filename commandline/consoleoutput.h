#pragma once

#include "commandline/commandline.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstdio>

// Standard output and standard error of the program. A write that fails (a full disk, a
// pipe whose reader has gone while SIGPIPE is ignored) must not end the command with 0, or
// a script would take a cut-off output for a whole one. Every line on standard error starts
// with "korvale: ", so that it can be told apart in a pipeline's or a log's mixed output.
class ConsoleOutput {
public:
    explicit ConsoleOutput(std::FILE* out = stdout, std::FILE* err = stderr);

    // Standard output, as it is.
    void print(const QString& text);
    void printBytes(const QByteArray& bytes);
    // Standard error, each line as errorLines makes it.
    void printError(const QString& text);
    // Bytes on standard error as they are: the progress line, which rewrites itself.
    void writeErrorBytes(const QByteArray& bytes);

    // Flushes and closes standard output and flushes standard error. The exit code to end
    // with: at least outputFailed (1 unless told) when anything could not be written, said
    // on standard error where that still works. A check, whose 1 means a difference, ends
    // with 2 then.
    int finish(int exitCode, int outputFailed = kExitFailure);

    // Each line of text with "korvale: " before it and its control characters made
    // harmless, so that a name cannot move the cursor or forge a line of its own.
    static QByteArray errorLines(const QString& text);

    // Qt's messages and those of our logging categories go out as errorLines too; the
    // category is named where it is not one of ours.
    static void installMessageHandler();
    static QByteArray messageLines(QtMsgType type, const QMessageLogContext& context, const QString& message);

private:
    void write(std::FILE* stream, const QByteArray& bytes, int& firstError);

    std::FILE* m_out;
    std::FILE* m_err;
    int m_outError = 0;
    int m_errError = 0;
};
