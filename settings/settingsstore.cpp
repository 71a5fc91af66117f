#include "settings/settingsstore.h"

#include "drives/hosthome.h"
#include "settings/textform.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct FileContent {
    SettingsStore::FileState state = SettingsStore::FileState::Missing;
    QByteArray bytes;
};

using FileState = SettingsStore::FileState;

FileState stateOf(const struct stat& info)
{
    if (!S_ISREG(info.st_mode))
        return FileState::NotARegularFile;
    return info.st_size > SettingsStore::kMaxFileSize ? FileState::TooLarge : FileState::Read;
}

// At most one byte past the limit is read, so a file that grows while it is read, or one
// that reports no size, still cannot make the read unbounded.
FileContent readBounded(int file)
{
    FileContent content{FileState::Read, QByteArray(SettingsStore::kMaxFileSize + 1, Qt::Uninitialized)};
    qsizetype filled = 0;
    while (filled < content.bytes.size()) {
        const ssize_t got = ::read(file, content.bytes.data() + filled, size_t(content.bytes.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return {FileState::Unreadable, {}};
        if (got == 0)
            break;
        filled += got;
    }
    if (filled > SettingsStore::kMaxFileSize)
        return {FileState::TooLarge, {}};
    content.bytes.truncate(filled);
    return content;
}

// Links are followed: only what they lead to must be a regular file. Anything else is not
// even opened (opening a device can have effects of its own), and the open cannot block.
FileContent readSettingsFile(const QByteArray& hostPath)
{
    struct stat info;
    if (stat(hostPath.constData(), &info) != 0)
        return {errno == ENOENT ? FileState::Missing : FileState::Unreadable, {}};
    if (stateOf(info) != FileState::Read)
        return {stateOf(info), {}};
    const int file = ::open(hostPath.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (file < 0)
        return {FileState::Unreadable, {}};
    FileContent content;
    // The name may have been swapped for something else since it was looked at.
    if (fstat(file, &info) != 0)
        content.state = FileState::Unreadable;
    else if (stateOf(info) != FileState::Read)
        content.state = stateOf(info);
    else
        content = readBounded(file);
    ::close(file);
    return content;
}

QByteArray folderOf(const QByteArray& hostPath)
{
    const qsizetype slash = hostPath.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : hostPath.first(slash);
}

// Where a save goes: where the path is a link, or a chain of links, that the user owns to a
// regular file the user owns, that file; otherwise the path itself, and a link there is
// refused by the write as one someone else may have planted.
QByteArray saveTarget(const QByteArray& hostPath)
{
    constexpr int kMostLinks = 40; // as many as the host follows in one path
    QByteArray path = hostPath;
    for (int hop = 0; hop <= kMostLinks; ++hop) {
        struct stat info;
        if (lstat(path.constData(), &info) != 0)
            return hostPath;
        const bool owned = info.st_uid == geteuid();
        if (S_ISREG(info.st_mode))
            return hop == 0 || owned ? path : hostPath;
        if (!S_ISLNK(info.st_mode) || !owned)
            return hostPath;
        char target[PATH_MAX];
        const ssize_t length = readlink(path.constData(), target, sizeof target);
        if (length <= 0 || length == ssize_t(sizeof target))
            return hostPath;
        const QByteArray next(target, length);
        path = next.startsWith('/') ? next : folderOf(path) + '/' + next;
    }
    return hostPath;
}

std::pair<QByteArray, QByteArray> folderAndName(const QByteArray& hostPath)
{
    return {folderOf(hostPath), hostPath.sliced(hostPath.lastIndexOf('/') + 1)};
}

bool applyChange(IniDocument& document, const SettingsStore::SectionChange& change)
{
    for (const auto& [key, value] : change.entries) {
        if (!document.setValue(change.section, key, value))
            return false;
    }
    return !change.rewrite || document.replaceEntries(change.section, change.rewrite(document.entries(change.section)));
}

} // namespace

bool SettingsStore::SaveResult::saved() const
{
    return (fileState == FileState::Missing || fileState == FileState::Read) && failure == WriteFailure::None
        && keptItsForm;
}

SettingsStore::SettingsStore(QString filePath)
    : m_filePath(std::move(filePath))
{
}

QString SettingsStore::fileName(const QString& application) const
{
    if (!m_filePath.isEmpty())
        return m_filePath;
    return HostHome::configFolder() + u'/' + application + u'/' + application + QStringLiteral(".ini");
}

SettingsStore::FileState SettingsStore::load(const QString& application)
{
    const FileContent content = readSettingsFile(QFile::encodeName(fileName(application)));
    const QByteArray text = TextForm::of(content.bytes).text(content.bytes);
    m_loaded = Loaded{application, content.state, IniDocument::parse(text)};
    return content.state;
}

const SettingsStore::Loaded& SettingsStore::loaded(const QString& application)
{
    if (!m_loaded || m_loaded->application != application)
        load(application);
    return *m_loaded;
}

QString SettingsStore::GetSetting(const QString& application, const QString& section, const QString& key,
                                  const QString& defaultValue)
{
    return storedSetting(application, section, key).value_or(defaultValue);
}

std::optional<QString> SettingsStore::storedSetting(const QString& application, const QString& section,
                                                    const QString& key)
{
    return loaded(application).document.value(section, key);
}

QList<SettingsStore::Entry> SettingsStore::sectionEntries(const QString& application, const QString& section)
{
    return loaded(application).document.entries(section);
}

qsizetype SettingsStore::sectionHeaderCount(const QString& application, const QString& section)
{
    return loaded(application).document.headerCount(section);
}

bool SettingsStore::SaveSetting(const QString& application, const QString& section, const QString& key,
                                const QString& value)
{
    return SaveSettings(application, section, {{key, value}}).saved();
}

SettingsStore::SaveResult SettingsStore::SaveSettings(const QString& application, const QString& section,
                                                      const QList<Entry>& entries)
{
    return SaveSettings(application, QList<SectionChange>{{section, entries, {}}});
}

SettingsStore::SaveResult SettingsStore::SaveSettings(const QString& application, const QList<SectionChange>& changes)
{
    const QByteArray hostPath = QFile::encodeName(fileName(application));
    const FileContent current = readSettingsFile(hostPath);
    SaveResult result{current.state};
    if (!result.saved())
        return result;
    const TextForm form = TextForm::of(current.bytes);
    IniDocument document = IniDocument::parse(form.text(current.bytes));
    for (const SectionChange& change : changes) {
        if (!applyChange(document, change)) {
            result.failure = WriteFailure::InvalidName;
            return result;
        }
    }
    const std::optional<QByteArray> bytes = form.keeps(current.bytes) ? form.file(document.bytes()) : std::nullopt;
    if (!bytes) {
        result.keptItsForm = false;
        return result;
    }
    const auto [folder, name] = folderAndName(saveTarget(hostPath));
    QDir().mkpath(QFile::decodeName(folder));
    FileReplacement file(folder, name);
    if (!file.isOpen() || !file.reserve(bytes->size()) || !file.write(*bytes) || !file.commit()) {
        result.failure = file.failure();
        return result;
    }
    m_loaded = Loaded{application, FileState::Read, std::move(document)};
    return result;
}
