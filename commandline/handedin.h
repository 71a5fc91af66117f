#pragma once

#include "commandline/folderargument.h"
#include "drives/drivetable.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

// A folder or file handed to the window from outside: the folder Korvale is started with
// (korvale ~/Dokumente), or what a file manager drops onto it. What it is comes from a look
// at the file system, which may stall and so is taken off the window's thread; what the
// window then does follows from the look alone.
namespace HandedIn {

// What a drag holds, told from its data before anything is looked at.
struct Dragged {
    enum class Kind {
        Unusable, // no address, or more than one
        Local,    // a path of this machine
        Remote,   // an address of another machine or protocol
    };
    Kind kind = Kind::Unusable;
    // Local: the host path, its bytes kept as the names are (NameCodec); Remote: the address.
    QString text;
};
Dragged fromUrls(const QList<QUrl>& urls);

// What stands where the text names, and its path in the program's form.
struct Look {
    enum class Standing {
        Folder,
        UnreadableFolder,
        File,
        ListFile, // a list file as Korvale writes it
        Other,    // a device, a FIFO, a socket
        Missing,
        Unreadable, // the look itself was refused
        NoAnswer,   // the look did not answer in time
        NotMapped,  // the text names nothing the program can write as a path
    };
    Standing standing = Standing::NoAnswer;
    FolderArgument::Mapped::Failure mapping = FolderArgument::Mapped::Failure::None;
    QString path; // "C:\Daten", or the file's "C:\Daten\Liste.txt"
};

using ListTest = std::function<bool(const QByteArray& hostPath)>;

// The look itself, for a thread that may wait: maps the text as a command-line folder
// (see FolderArgument) with the drive table given, and looks at what stands there.
Look lookAt(const QString& text, const QByteArray& currentHostFolder, const DriveTable& drives,
            const ListTest& isListFile);

// Where a hand-in lands: the source (Drive1, Dir2) or the target (Label2, Command3, and
// Drive2 and Dir3 while the panel is open).
enum class Role { Source, Target };

// Whether a drag may be dropped there, the look answered: a folder anywhere, a file on the
// target; whatever could only be refused gets the no-drop pointer. A folder that is there
// but cannot be used may be dropped, so the status line can say why.
bool accepts(Role role, const Look& look);

// What the window does with a hand-in: sets the source or the target folder (and the
// list-file name, for a list Korvale writes), or says in the status line why not.
struct Decision {
    enum class Action { SetSource, SetTarget, Explain };
    Action action = Action::Explain;
    // The folder to set; for Explain, the path the status names, which may be shortened.
    QString folder;
    std::optional<QString> listFileName;
    QString status;
};
// shown: the text as the person gave it, for the status line.
Decision decide(Role role, const Look& look, const QString& shown);
// A drag whose address is not of this machine.
Decision remote(const QString& address);
// A folder that could not be read when it was to be shown.
Decision unreadableFolder(const QString& folder);
// A folder that did not answer in time when it was to be shown.
Decision notAnswering(const QString& folder);

} // namespace HandedIn
