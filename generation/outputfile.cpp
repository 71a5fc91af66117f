#include "generation/outputfile.h"

#include "drives/drivetable.h"
#include "drives/windowspath.h"
#include "text/namecodec.h"

#include <algorithm>
#include <optional>

namespace {

qsizetype lastSeparator(QStringView path) { return std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/')); }

OutputFile failed(WriteFailure failure) { return {{}, {}, failure}; }

} // namespace

QString OutputFile::path(const QString& folder, const QString& name) { return folder + u'\\' + name; }

OutputFile OutputFile::in(const QString& folder, const QString& name)
{
    if (!WindowsPath::parse(folder))
        return failed(WriteFailure::FolderMissing);
    const QString filePath = path(folder, name);
    const QStringView lastName = QStringView(filePath).sliced(lastSeparator(filePath) + 1);
    const std::optional<WindowsPath> file = WindowsPath::parse(filePath);
    if (!file || file->isRoot() || lastName.isEmpty() || lastName == u"." || lastName == u"..")
        return failed(WriteFailure::InvalidName);
    const QByteArray hostName = NameCodec::encode(file->names().last());
    if (NameCodec::decode(hostName) != file->names().last())
        return failed(WriteFailure::InvalidName);
    const std::optional<QByteArray> hostFolder = DriveTable::active().hostPathOf(file->parent());
    if (!hostFolder)
        return failed(WriteFailure::FolderMissing);
    return {*hostFolder, hostName};
}
