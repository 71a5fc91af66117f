#pragma once

#include "generation/listfilewriter.h"
#include "generation/runnotes.h"

#include <QString>

// The status line after a run: whether the list file is there, and, when it is, what the
// list lacks or had to change, so an incomplete list is never taken for a complete one.
class StatusText {
public:
    static QString after(const ListFileOutcome& outcome, const QString& fileName, const QString& targetFolder,
                         const RunNotes& notes);
    // A run that ran short of something before the list file: no file was written, and the
    // list file there stays as it was.
    static QString shortOf(Shortage shortage);
    // "Es konnte kein Arbeitsthread gestartet werden."
    static QString shortageReason(Shortage shortage);

    // After a check of a list: "Alle 1.234 Dateien der Liste vorhanden." or "12 neu, 3 fehlen."
    static QString checked(const ListChanges& changes, qsizetype listEntries);
    // Why a list could not be checked.
    enum class CheckTrouble { ListMissing, ListUnreadable, NotAList, NotInOrder, TooManyMoved };
    static QString checkTrouble(CheckTrouble trouble, const QString& listFile);

    // While a run goes on: the files and folders it found so far, in the window and on a
    // terminal; asked to stop, it says so at once, though a folder read may still hold it;
    // once the list file is being written, no stop is promised.
    static QString searching(const QString& sourceFolder, qsizetype files, qsizetype folders);
    static QString terminalProgress(qsizetype folders, qsizetype files);
    static QString stopping();
    // Where the list is written over the old file with no copy of it beside it, a kill or a
    // power cut now would lose the old list: the line says so.
    enum class OldList { Safe, OnlyInMemory };
    static QString writing(OldList oldList = OldList::Safe);
    static QString stopped();

    // Why a file could not be written, as one sentence.
    static QString failureReason(WriteFailure failure);
    // "1 Verzeichnis nicht lesbar", "2 Verzeichnisse nicht lesbar"
    static QString counted(qsizetype count, const QString& one, const QString& many);
    // At start: the stored folders that did not answer, and so were not restored.
    static QString silentStoredFolders(const QStringList& folders);
    static QString checkStopped();
};
