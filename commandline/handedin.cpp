#include "commandline/handedin.h"

#include "commandline/generatecommand.h"
#include "text/namecodec.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace HandedIn {

namespace {

using Standing = Look::Standing;

Decision explained(const QString& text, const QString& path) { return {Decision::Action::Explain, path, {}, text.arg(path)}; }

// A folder is of use once it can be read; opening it is that test, and opens nothing that
// could block (it is a folder).
Standing folderStanding(const QByteArray& host)
{
    const int folder = ::open(host.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return Standing::UnreadableFolder;
    ::close(folder);
    return Standing::Folder;
}

} // namespace

Dragged fromUrls(const QList<QUrl>& urls)
{
    if (urls.size() != 1 || !urls.first().isValid())
        return {};
    const QUrl& url = urls.first();
    const bool thisMachine = url.host().isEmpty() || url.host() == QStringLiteral("localhost");
    if (!url.isLocalFile() || !thisMachine)
        return {Dragged::Kind::Remote, url.toDisplayString()};
    // The bytes of the names as the address carries them: a name that is no UTF-8 comes
    // percent-encoded, and decoding it as text would lose it.
    const QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (path.isEmpty())
        return {};
    return {Dragged::Kind::Local, NameCodec::decode(path)};
}

Look lookAt(const QString& text, const QByteArray& currentHostFolder, const DriveTable& drives,
            const ListTest& isListFile)
{
    const FolderArgument::Mapped mapped = FolderArgument::toWindowsPath(text, currentHostFolder, drives);
    if (mapped.failure != FolderArgument::Mapped::Failure::None)
        return {Standing::NotMapped, mapped.failure, {}};
    Look look{Standing::Missing, mapped.failure, mapped.folder};
    const std::optional<QByteArray> host = drives.hostPathOf(*WindowsPath::parse(mapped.folder));
    struct stat info;
    if (!host)
        return look;
    if (stat(host->constData(), &info) != 0)
        look.standing = errno == ENOENT || errno == ENOTDIR ? Standing::Missing : Standing::Unreadable;
    else if (S_ISDIR(info.st_mode))
        look.standing = folderStanding(*host);
    else if (S_ISREG(info.st_mode))
        look.standing = isListFile && isListFile(*host) ? Standing::ListFile : Standing::File;
    else
        look.standing = Standing::Other;
    return look;
}

bool accepts(Role role, const Look& look)
{
    switch (look.standing) {
    case Standing::File:
    case Standing::ListFile:
        return role == Role::Target;
    case Standing::Other:
    case Standing::Missing:
        return false;
    case Standing::Folder:
    case Standing::UnreadableFolder:
    case Standing::Unreadable:
    case Standing::NoAnswer:
    case Standing::NotMapped:
        break;
    }
    return true;
}

Decision decide(Role role, const Look& look, const QString& shown)
{
    switch (look.standing) {
    case Standing::Folder:
        return {role == Role::Source ? Decision::Action::SetSource : Decision::Action::SetTarget, look.path, {}, {}};
    case Standing::File:
    case Standing::ListFile:
        if (role == Role::Target) {
            const WindowsPath file = *WindowsPath::parse(look.path);
            return {Decision::Action::SetTarget, file.parent().toString(),
                    look.standing == Standing::ListFile ? std::optional(file.names().last()) : std::nullopt, {}};
        }
        break;
    case Standing::Other:
        break;
    case Standing::UnreadableFolder:
        return unreadableFolder(look.path);
    case Standing::Missing:
        return explained(QStringLiteral("%1 gibt es nicht."), look.path);
    case Standing::Unreadable:
        return explained(QStringLiteral("Auf %1 besteht kein Zugriff."), look.path);
    case Standing::NoAnswer:
        return notAnswering(look.path.isEmpty() ? GenerateCommand::printable(shown) : look.path);
    case Standing::NotMapped:
        return {Decision::Action::Explain, {}, {},
                QStringLiteral("\u201E%1\u201C: %2")
                    .arg(GenerateCommand::printable(shown), FolderArgument::problemText(look.mapping))};
    }
    return explained(QStringLiteral("%1 ist kein Ordner."), look.path);
}

Decision unreadableFolder(const QString& folder)
{
    return explained(QStringLiteral("Der Ordner %1 lässt sich nicht lesen."), folder);
}

Decision notAnswering(const QString& folder) { return explained(QStringLiteral("%1 antwortet nicht."), folder); }

Decision remote(const QString& address)
{
    return {Decision::Action::Explain, {}, {},
            QStringLiteral("\u201E%1\u201C liegt nicht auf diesem Rechner; nur Ordner dieses Rechners lassen sich "
                           "übernehmen.")
                .arg(GenerateCommand::printable(address))};
}

} // namespace HandedIn
