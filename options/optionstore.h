#pragma once

#include <QHash>
#include <QString>

#include <optional>

class FolderList;
class SettingsStore;

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
    // its list's. A failure says so and false; it never stops the window from closing and
    // leaves the previous file whole.
    bool save(StoredOptionsControls controls, const QString& listFileName, const QHash<QString, QString>& kept = {});

private:
    std::optional<QString> storedValue(const QString& key);
    static QString folderToSave(const FolderList& folderList);

    SettingsStore& m_store;
};
