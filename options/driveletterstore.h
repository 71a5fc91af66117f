#pragma once

#include "drives/rememberedletters.h"
#include "settings/settingsstore.h"

#include <QString>

#include <optional>

// Keeps the letters volumes had in a section of the settings file of its own, one line per
// letter, beside the stored options and without touching them:
//   [Laufwerke]
//   E=uuid:0A1B-2C3D;2026-12-07
// (the volume's identity, and the day it was last seen mounted). A person forgets a
// volume's letter by deleting its line. What goes wrong is said in one line on standard
// error (category "korvale.options").
class DriveLetterStore {
public:
    static const QString kSection;

    explicit DriveLetterStore(SettingsStore& store);

    // The sound lines of the section as the file holds them when read; every other line
    // (no date or identity to make out, a letter outside D: to Y:, a letter or volume
    // named twice) is counted and said.
    RememberedLetters restore();

    // The change a save makes: this session's letters, read as `read` and held as `now`,
    // merged into the section as the file holds it at that moment (see
    // RememberedLetters::merged). Nothing is rewritten where the session learnt nothing.
    static SettingsStore::SectionChange change(const RememberedLetters& read, const RememberedLetters& now);
    // The command line's save: the section alone, and only where a volume was met for the
    // first time. False where the file could not be written, which is said.
    bool saveNewVolumes(const RememberedLetters& read, const RememberedLetters& now);

    // One line's value, and back; nothing for a value that is not sound.
    static QString valueOf(const RememberedLetters::Volume& volume);
    static std::optional<RememberedLetters::Volume> volumeOf(const QString& value);

private:
    SettingsStore& m_store;
};
