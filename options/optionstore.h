#pragma once

#include "settings/settingsstore.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

class FolderList;

// The main window's folder lists whose folders are remembered between runs.
struct StoredOptionsControls {
    FolderList& Dir1;
    FolderList& Dir2;
    FolderList& Dir3;
};

// The stored options: read at load (see OptionRestore for the window's lists) and saved at
// unload. What goes wrong with the settings file is said in one line on standard error
// (category "korvale.options"); the window opens and closes all the same.
class OptionStore {
public:
    // The application whose file holds the options (see SettingsStore).
    static const QString kApplication;

    explicit OptionStore(SettingsStore& store);

    // Reads the settings file once; where it cannot be read, the defaults hold.
    void load();
    // The folder stored under "Dir1", "Dir2" or "Dir3", "C:\" where none is; nothing for a
    // value that no folder list of this program can have shown.
    std::optional<QString> storedFolder(const QString& key);
    // The stored list-file name, an empty one included; nothing when none is stored.
    std::optional<QString> storedListFileName();
    // Where every folder list goes when nothing is stored, and the target label starts.
    static QString defaultFolder();

    // Writes all four values, a folder kept under its key (see OptionRestore) in place of
    // its list's, and the changes alongside in the same write (the remembered drive
    // letters). A failure says so and false; it never stops the window from closing and
    // leaves the previous file whole.
    bool save(StoredOptionsControls controls, const QString& listFileName, const QHash<QString, QString>& kept = {},
              const QList<SettingsStore::SectionChange>& alongside = {});

private:
    std::optional<QString> storedValue(const QString& key);
    static QString folderToSave(const FolderList& folderList);

    SettingsStore& m_store;
};
