#include "table/tablerun.h"

#include "files/outputfile.h"
#include "listing/listbox.h"
#include "table/filefacts.h"
#include "table/tabletext.h"
#include "table/tablewriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

namespace {

struct Identity {
    dev_t device;
    ino_t inode;
    friend bool operator==(const Identity&, const Identity&) = default;
};

// Where path leads; nothing when it leads nowhere.
std::optional<Identity> identityOf(int folder, const char* path)
{
    struct stat info;
    if (::fstatat(folder, path, &info, AT_NO_AUTOMOUNT) != 0)
        return std::nullopt;
    return Identity{info.st_dev, info.st_ino};
}

std::optional<Identity> fileIdentity(const OutputFile& file)
{
    const int folder = ::open(file.folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return std::nullopt;
    const std::optional<Identity> identity = identityOf(folder, file.name.constData());
    ::close(folder);
    return identity;
}

} // namespace

TableRun::TableRun(Hooks hooks)
    : m_hooks(std::move(hooks))
{
}

bool TableRun::isListFile(const Input& input)
{
    const OutputFile table = OutputFile::in(input.folder, input.name);
    const OutputFile list = OutputFile::in(input.listFolder, input.listName);
    if (table.failure != WriteFailure::None || list.failure != WriteFailure::None)
        return false;
    if (table.name == list.name) {
        const std::optional<Identity> tableFolder = identityOf(AT_FDCWD, table.folder.constData());
        if (table.folder == list.folder || (tableFolder && tableFolder == identityOf(AT_FDCWD, list.folder.constData())))
            return true;
    }
    const std::optional<Identity> tableFile = fileIdentity(table);
    return tableFile && tableFile == fileIdentity(list);
}

TableRun::Outcome TableRun::run(ListBox& entries, const Input& input)
{
    Outcome outcome;
    if (isListFile(input)) {
        outcome.refused = true;
        outcome.statusText = TableText::refused();
        return outcome;
    }
    const qsizetype files = entries.ListCount();
    FileFacts::Progress progress;
    if (m_hooks.progress)
        progress = [this, files](qsizetype read) { m_hooks.progress(read, files); };
    const FileFacts::Read read = FileFacts::read(entries, progress, m_hooks.stop);
    // Asked once more: a list without entries reads no file.
    if (read.stopped || m_hooks.stop.stop_requested()) {
        outcome.stopped = true;
        outcome.statusText = TableText::stopped();
        return outcome;
    }
    if (m_hooks.writing)
        m_hooks.writing();
    const TableWriter::Outcome written = TableWriter::write(OutputFile::in(input.folder, input.name), entries, read.facts);
    outcome.written = written.written;
    outcome.failure = written.failure;
    outcome.gone = read.gone;
    outcome.unreadable = read.unreadable;
    outcome.statusText = TableText::after(written.written, written.failure, input.name, input.folder, read.gone,
                                          read.unreadable);
    outcome.statusPaths = {input.name, input.folder};
    return outcome;
}
