#pragma once

#include "files/keptcontent.h"
#include "process/exitguard.h"

#include <QByteArray>
#include <QByteArrayView>

#include <functional>
#include <optional>

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

// Writes a file so that, however the write ends, the folder holds either the old file
// whole or the new one complete. Everything happens relative to the folder's open handle,
// and the name is never followed as a link: a link planted under the name is refused, and
// nothing is ever written where it points.
//
// Where it can, the new content goes into an anonymous file in the folder that gets a name
// only once every byte is on disk; where the file system has no anonymous files, into a
// hidden temporary file (MarkedFiles) that is removed when the write fails, and by a later
// write into the folder where the process was killed. An existing file is replaced only
// where the new one has its owner, group, permission bits and access list. Otherwise
// (another person's file in a shared folder, a folder that takes no new file, a file with
// more than one name) the old file is written in place: only after room for the new content
// is reserved, and with its old bytes kept (KeptContent), so that a write that fails part
// way puts them back, and a write that never ended is undone by the next one.
class FileReplacement {
public:
    // name is one host name within the folder, without '/'.
    FileReplacement(const QByteArray& folderHostPath, const QByteArray& name);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    bool isOpen() const { return m_file >= 0; }
    WriteFailure failure() const { return m_failure; }

    // True where the old file is written over where it stands: reserve() must come first.
    bool writesInPlace() const { return m_mode == Mode::InPlace; }
    // Makes room for the whole new content, exactly size bytes, and keeps the old bytes,
    // before anything of the old file changes. Nothing to do for a new file.
    bool reserve(qint64 size);
    // After reserve(): the old bytes of a write in place are kept in memory only, so that the
    // process ending by force (a kill, a power cut) before commit() would lose them.
    bool oldContentOnlyInMemory() const { return m_kept.place() == KeptContent::Place::InMemory; }
    // What the file held before this write: after reserve() where the write is in place.
    OldContent oldContent() const;
    // A write to this file was killed part way before, and its old bytes were put back first.
    bool restoredOldContent() const { return m_leftover == KeptContent::Restore::Restored; }
    // False after the first failed write; later writes then do nothing.
    bool write(QByteArrayView bytes);
    // Where the writing thread has more to do than another: before the first write, leaves
    // asking the disk to start on each write's bytes to that other thread (startDiskOn).
    void leaveDiskStartToCaller() { m_startsDisk = false; }
    // Asks the disk to start on the bytes written from offset on, length long, so the sync
    // at the end waits for little. Only a hint: the sync still decides. From any thread.
    void startDiskOn(off_t offset, off_t length) const;
    // Syncs and gives the new content the file's name; a file written in place is read back
    // first. True only when every write before succeeded; otherwise the old file is as it was.
    bool commit();

    // For tests: called on the writing thread right after the first bytes of each
    // replacement have reached its file, so a test can look at the folder while a write is under
    // way (or end the process there). Process-wide; set it before the write starts.
    static void holdAfterFirstWrite(std::function<void()> hold);

private:
    enum class Mode { None, Anonymous, Temporary, InPlace };

    void open();
    void openOver(int oldFile, const struct stat& old);
    bool openNew();
    bool openAnonymous();
    bool openTemporary();
    bool nameAnonymous();
    bool linkAnonymousAs(const QByteArray& name);
    bool renameTemporary();
    void keepTail(QByteArrayView bytes);
    void fail(int error);
    void discard();
    bool closeFile();

    QByteArray m_name;
    QByteArray m_temporaryName;
    int m_folder = -1;
    int m_file = -1;
    // The file the new one replaces, open until then, for oldContent().
    int m_oldFile = -1;
    Mode m_mode = Mode::None;
    bool m_nameExisted = false;
    off_t m_oldLength = 0;
    off_t m_written = 0;
    bool m_writeBegun = false;
    bool m_startsDisk = true;
    bool m_reserved = false;
    KeptContent m_kept;
    KeptContent::Restore m_leftover = KeptContent::Restore::NothingLeft;
    // The last bytes written in place, to read back.
    QByteArray m_tail;
    // Held from the first change of the old file's bytes until the new content is complete
    // or the old one is back, so that a forced exit waits for it. A new file being made
    // changes nothing of the old one: a forced exit does not wait for it.
    std::optional<ExitGuard::WriteScope> m_changing;
    WriteFailure m_failure = WriteFailure::None;
};
