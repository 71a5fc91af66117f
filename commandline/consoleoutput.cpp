#include "commandline/consoleoutput.h"

#include "commandline/commandline.h"
#include "commandline/generatecommand.h"

#include <QStringList>

#include <algorithm>
#include <cerrno>

namespace {

constexpr char kPrefix[] = "korvale: ";

void writeMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const QByteArray lines = ConsoleOutput::messageLines(type, context, message);
    std::fwrite(lines.constData(), 1, size_t(lines.size()), stderr);
    std::fflush(stderr);
}

} // namespace

ConsoleOutput::ConsoleOutput(std::FILE* out, std::FILE* err)
    : m_out(out)
    , m_err(err)
{
}

void ConsoleOutput::print(const QString& text) { write(m_out, text.toUtf8(), m_outError); }

void ConsoleOutput::printBytes(const QByteArray& bytes) { write(m_out, bytes, m_outError); }

void ConsoleOutput::printError(const QString& text) { write(m_err, errorLines(text), m_errError); }

void ConsoleOutput::writeErrorBytes(const QByteArray& bytes) { write(m_err, bytes, m_errError); }

void ConsoleOutput::write(std::FILE* stream, const QByteArray& bytes, int& firstError)
{
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream) == size_t(bytes.size());
    if ((!written || std::fflush(stream) != 0) && firstError == 0)
        firstError = errno != 0 ? errno : EIO;
}

int ConsoleOutput::finish(int exitCode, int outputFailed)
{
    if (std::fflush(m_out) != 0 && m_outError == 0)
        m_outError = errno;
    if (std::ferror(m_out) && m_outError == 0)
        m_outError = EIO;
    // Closing is where a file system that delays its errors (NFS) reports them.
    if (std::fclose(m_out) != 0 && m_outError == 0)
        m_outError = errno;
    if (m_outError != 0) {
        printError(QStringLiteral("Die Standardausgabe ließ sich nicht schreiben (%1).").arg(qt_error_string(m_outError)));
    }
    if (std::fflush(m_err) != 0 && m_errError == 0)
        m_errError = errno;
    const bool failed = m_outError != 0 || m_errError != 0 || std::ferror(m_err);
    return failed ? std::max(exitCode, outputFailed) : exitCode;
}

QByteArray ConsoleOutput::errorLines(const QString& text)
{
    QByteArray lines;
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts))
        lines += kPrefix + GenerateCommand::printable(line).toUtf8() + '\n';
    return lines;
}

QByteArray ConsoleOutput::messageLines(QtMsgType, const QMessageLogContext& context, const QString& message)
{
    const QLatin1StringView category(context.category ? context.category : "default");
    if (category == QLatin1StringView("default") || category.startsWith(QLatin1StringView("korvale")))
        return errorLines(message);
    return errorLines(category + QStringLiteral(": ") + message);
}

void ConsoleOutput::installMessageHandler() { qInstallMessageHandler(&writeMessage); }
