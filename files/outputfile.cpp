#include "files/outputfile.h"

#include "drives/drivetable.h"
#include "drives/windowspath.h"
#include "text/namecodec.h"

#include <optional>

namespace {

OutputFile failed(WriteFailure failure) { return {{}, {}, failure}; }

} // namespace

OutputFile OutputFile::in(const QString& folder, const QString& name)
{
    if (!WindowsPath::parse(folder))
        return failed(WriteFailure::FolderMissing);
    const QString filePath = WindowsPath::listFilePath(folder, name);
    const QStringView lastName = WindowsPath::lastTypedName(filePath);
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
