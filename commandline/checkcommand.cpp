#include "commandline/checkcommand.h"

#include "generation/statustext.h"
#include "text/namecodec.h"

namespace {

const QString kFirstPattern = QStringLiteral("*.*");

QByteArray absoluteHostPath(const QByteArray& path, const QByteArray& currentHostFolder)
{
    return path.startsWith('/') ? path : currentHostFolder + '/' + path;
}

// The folder that holds the file: what the list came with.
QString folderHolding(const QByteArray& hostPath)
{
    const qsizetype slash = hostPath.lastIndexOf('/');
    return NameCodec::decode(slash <= 0 ? QByteArray("/") : hostPath.first(slash));
}

} // namespace

QString CheckCommand::listRoot(const QString& text)
{
    QString root = text;
    root.replace(u'/', u'\\');
    if (root.size() >= 2 && root[1] == u':' && root[0].isLetter())
        root.remove(0, 2);
    while (root.contains(QStringLiteral("\\\\")))
        root.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
    if (root.endsWith(u'\\'))
        root.chop(1);
    if (!root.isEmpty() && !root.startsWith(u'\\'))
        root.prepend(u'\\');
    return root;
}

CommandResult CheckCommand::run(const GenerateOptions& walk, const CheckOptions& check,
                                const QByteArray& currentHostFolder, GenerateRun::Hooks hooks)
{
    CommandResult result;
    GenerateRun::Input input;
    input.listToCheck = absoluteHostPath(NameCodec::encode(check.listFile.value_or(QString())), currentHostFolder);
    const std::optional<QString> source = walk.source ? walk.source : folderHolding(*input.listToCheck);
    if (!GenerateCommand::takeGivenFolder(QStringLiteral("--source"), source, currentHostFolder, input.sourceFolder,
                                          result))
        return result;
    input.pattern = walk.pattern.value_or(kFirstPattern);
    input.includeSubfolders = walk.includeSubfolders;
    input.listRoot = listRoot(check.listRoot.value_or(QString()));

    const GenerateRun::Outcome outcome = GenerateRun(std::move(hooks)).run(input);
    result.leftOutLines = GenerateCommand::leftOutLines(outcome.leftOut);
    if (outcome.stopped) {
        result.exitCode = kExitUsage;
        result.errorText = StatusText::checkStopped() + u'\n';
        return result;
    }
    result.exitCode = !outcome.changes ? kExitUsage : outcome.changes->isEmpty() ? kExitSuccess : kExitFailure;
    (outcome.changes ? result.text : result.errorText) = GenerateCommand::printable(outcome.statusText) + u'\n';
    return result;
}
