#pragma once

#include "files/filereplacement.h"
#include "settings/inidocument.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

// The per-user settings store: text values by application, section and key, kept in an
// INI file that a person can read and edit (see IniDocument), in the encoding and with the
// line ends the person's editor wrote (see TextForm). The file is read only when it is a
// regular file of at most 1 MiB, and never in a way that could block; a file that is there
// but was not read is never replaced, so nothing the user put there is lost. Where the
// file is a link of the user's own to a file of the user's own (a settings file kept with
// the person's other dotfiles), that file is replaced in its own folder and the link stays.
class SettingsStore {
public:
    using Entry = std::pair<QString, QString>;

    static constexpr qint64 kMaxFileSize = qint64(1) << 20;

    enum class FileState {
        Missing,         // no file yet: nothing is stored
        Read,
        NotARegularFile, // a folder, FIFO, device or the like: never opened
        TooLarge,        // over kMaxFileSize
        Unreadable,      // no right to read it, or the read failed
    };

    struct SaveResult {
        // How the file stood before the save; unless Missing or Read, it was left as it was.
        FileState fileState = FileState::Missing;
        WriteFailure failure = WriteFailure::None;
        // False where the file's encoding or line ends could not hold the new values, or the
        // file would not come back as it was: it was left as it was.
        bool keptItsForm = true;
        bool saved() const;
    };

    // One file per application in the user's config folder:
    // ~/.config/<application>/<application>.ini.
    SettingsStore() = default;
    // Every application's values in the one file given.
    explicit SettingsStore(QString filePath);

    QString fileName(const QString& application) const;

    // Reads the application's file anew; the reads that follow answer from what it held.
    FileState load(const QString& application);

    QString GetSetting(const QString& application, const QString& section, const QString& key,
                       const QString& defaultValue);
    // Nothing for a key the file does not hold; an empty text is a value like any other.
    std::optional<QString> storedSetting(const QString& application, const QString& section,
                                         const QString& key);

    // Every key and value of a section as the file held them when it was read, in the order
    // they stand, and how often its header stands there.
    QList<Entry> sectionEntries(const QString& application, const QString& section);
    qsizetype sectionHeaderCount(const QString& application, const QString& section);

    bool SaveSetting(const QString& application, const QString& section, const QString& key,
                     const QString& value);

    // What one save does to one section: sets the keys given, and, where rewrite is given,
    // hands it the section's entries as the file holds them at that moment and puts what it
    // returns in place of them all.
    struct SectionChange {
        QString section;
        QList<Entry> entries;
        std::function<QList<Entry>(const QList<Entry>& inFile)> rewrite;
    };
    // All changes with one atomic replacement of the file, read again first.
    SaveResult SaveSettings(const QString& application, const QList<SectionChange>& changes);
    // Writes all entries with one atomic replacement of the file: they reach it together or
    // not at all. The file is read again first, so that what others wrote in the meantime
    // (other keys, other sections, comments) stays.
    SaveResult SaveSettings(const QString& application, const QString& section, const QList<Entry>& entries);

private:
    struct Loaded {
        QString application;
        FileState state = FileState::Missing;
        IniDocument document;
    };
    const Loaded& loaded(const QString& application);

    QString m_filePath;
    // Filled on the first read of an application's values, so the file is read once.
    std::optional<Loaded> m_loaded;
};
