#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <sys/types.h>

struct stat;

// Why a file could not be written, in the terms a user can act on.
enum class WriteFailure {
    None,
    NoRight,          // the folder or the file may not be written
    FolderMissing,    // the folder is not there (or is no folder)
    DiskFull,         // no room left, or the user's quota is used up
    InvalidName,      // empty, too long, or refused by the file system
    NotARegularFile,  // a folder, FIFO, device or link stands under the name
    Other,            // an input/output error or anything else the host reports
};

// Writes a file anew beside the old one and puts it in the old one's place only once every
// byte is on disk, so a failed write leaves the old file whole. Everything happens relative
// to the folder's open handle, and the name is never followed as a link: a link planted
// under the name is refused, and nothing is ever written where it points.
class FileReplacement {
public:
    // Whether an existing regular file may be written in place (cut to nothing, then
    // written) where its folder refuses the new file or the rename.
    enum class InPlace { Refused, Allowed };

    // name is one host name within the folder, without '/'.
    FileReplacement(const QByteArray& folderHostPath, const QByteArray& name, InPlace inPlace);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    bool isOpen() const { return m_file >= 0; }
    WriteFailure failure() const { return m_failure; }

    // False after the first failed write; later writes then do nothing.
    bool write(QByteArrayView bytes);
    // Syncs and puts the new file in place. True only when every write before succeeded.
    bool commit();

private:
    bool open(InPlace inPlace);
    bool openTemporary(const struct stat* existing);
    bool openInPlace();
    bool renameRefusedInStickyFolder(const struct stat& existing) const;
    void fail(int error);
    void discard();

    QByteArray m_name;
    QByteArray m_temporaryName;
    int m_folder = -1;
    int m_file = -1;
    off_t m_written = 0;
    bool m_inPlace = false;
    WriteFailure m_failure = WriteFailure::None;
};
