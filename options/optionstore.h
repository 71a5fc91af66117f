#pragma once

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

struct RestoreResult {
    // Dir3 stands on its stored folder (or on "C:\" at a first start), also where it stood
    // there already and so raised no change: the target label must be set from it.
    bool dir3Restored = false;
    // The stored list-file name, an empty one included; nothing when none is stored.
    std::optional<QString> listFileName;
};

// Restores the stored options into the window's controls at load and saves them at unload.
class OptionStore {
public:
    explicit OptionStore(SettingsStore& store);

    // Dir1, Dir2 and Dir3 in this order, each only when its stored folder exists; the change
    // handlers connected to the lists run inside each set.
    RestoreResult restore(StoredOptionsControls controls);
    // Writes all four values. A failure says so in one line on standard error and false; it
    // never stops the window from closing and leaves the previous file whole.
    bool save(StoredOptionsControls controls, const QString& listFileName);

private:
    bool restoreFolder(const QString& key, FolderList& folderList);

    SettingsStore& m_store;
};
