#include "walk/hostfolder.h"

#include "drives/drivetable.h"
#include "text/asciiscan.h"
#include "walk/folderhandles.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <unistd.h>

namespace {

// The deepest part of the path whose names can all be written.
WindowsPath writablePart(const WindowsPath& path)
{
    const QStringList& names = path.names();
    const auto firstBad = std::find_if(names.cbegin(), names.cend(),
                                       [](const QString& name) { return !HostFolder::canStandInPath(name); });
    WindowsPath part = WindowsPath::root(path.drive());
    for (auto name = names.cbegin(); name != firstBad; ++name)
        part = part.child(*name);
    return part;
}

} // namespace

namespace HostFolder {

bool canStandInPath(const WindowsPath& path)
{
    return std::all_of(path.names().cbegin(), path.names().cend(),
                       [](const QString& name) { return canStandInPath(name); });
}

// A word at a time: nearly every name is ASCII, and a folder's read looks at each. The
// last few bytes are read as the word that ends the name, overlapping the one before.
NameBytes lookAtName(std::string_view name)
{
    if (name.size() < sizeof(quint64))
        return {canStandInPath(name), std::all_of(name.begin(), name.end(), [](char byte) { return uchar(byte) < 0x80; })};
    quint64 beyondAscii = 0;
    quint64 breaks = 0;
    auto look = [&](std::size_t at) {
        quint64 word;
        std::memcpy(&word, name.data() + at, sizeof word);
        beyondAscii |= word & 0x8080808080808080ull;
        breaks |= AsciiScan::bytesEqualTo(word, '\\') | AsciiScan::bytesEqualTo(word, '\n')
            | AsciiScan::bytesEqualTo(word, '\r');
    };
    std::size_t at = 0;
    for (; at + sizeof(quint64) <= name.size(); at += sizeof(quint64))
        look(at);
    if (at < name.size())
        look(name.size() - sizeof(quint64));
    return {breaks == 0, beyondAscii == 0};
}

std::optional<WindowsPath> processCurrentFolder()
{
    const DriveTable& table = DriveTable::active();
    FolderHandles handles;
    auto isFolder = [&](const WindowsPath& path) {
        return handles.open(path).reach == FolderHandles::Reach::Opened;
    };
    if (const auto current = table.windowsPathOf(currentHostPath())) {
        for (WindowsPath path = writablePart(*current);; path = path.parent()) {
            if (isFolder(path))
                return path;
            if (path.isRoot())
                break;
        }
    }
    for (const DriveTable::Drive& drive : table.drives()) {
        if (isFolder(WindowsPath::root(drive.letter)))
            return WindowsPath::root(drive.letter);
    }
    return std::nullopt;
}

QByteArray currentHostPath()
{
    // Qt's own current path goes through a text that cannot hold every byte.
    const std::unique_ptr<char, decltype(&std::free)> current(getcwd(nullptr, 0), &std::free);
    return current ? QByteArray(current.get()) : QFile::encodeName(QDir::currentPath());
}

std::optional<QByteArray> physicalPath(const QByteArray& path)
{
    const std::unique_ptr<char, decltype(&std::free)> real(realpath(path.constData(), nullptr), &std::free);
    return real ? std::optional(QByteArray(real.get())) : std::nullopt;
}

std::optional<QByteArray> resolveTypedHostPath(const QByteArray& typed, const QByteArray& currentHostFolder)
{
    const QList<QByteArray> names = (typed.startsWith('/') ? typed : currentHostFolder + '/' + typed).split('/');
    const qsizetype lastUp = names.lastIndexOf("..");
    QByteArray resolved = "/";
    if (lastUp >= 0) {
        const std::optional<QByteArray> upTo = physicalPath(names.mid(0, lastUp + 1).join('/'));
        if (!upTo)
            return std::nullopt;
        resolved = *upTo;
    }
    for (qsizetype i = lastUp + 1; i < names.size(); ++i) {
        if (names[i].isEmpty() || names[i] == ".")
            continue;
        if (!resolved.endsWith('/'))
            resolved += '/';
        resolved += names[i];
    }
    return resolved;
}

} // namespace HostFolder
