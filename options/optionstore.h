#pragma once

#include "settings/settingsstore.h"

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

struct RestoreResult {
    // The folder Dir3 stands on once the restore is over: the target label shows it, so the
    // folder the list goes to, the one shown and the one saved at the end are the same.
    QString targetFolder;
    // The stored list-file name, an empty one included; nothing when none is stored.
    std::optional<QString> listFileName;
};

// Restores the stored options into the window's controls at load and saves them at unload.
// What goes wrong with the settings file is said in one line on standard error
// (category "korvale.options"); the window opens and closes all the same.
class OptionStore {
public:
    // The application whose file holds the options (see SettingsStore).
    static const QString kApplication;

    explicit OptionStore(SettingsStore& store);

    // Reads the settings file once, then sets Dir1, Dir2 and Dir3 in this order, each only
    // when its stored folder exists; the change handlers connected to the lists run inside
    // each set. Dir3 goes to "C:\" when its stored folder is not restored.
    RestoreResult restore(StoredOptionsControls controls);
    // Writes all four values, and the changes alongside in the same write (the remembered
    // drive letters). A failure says so and false; it never stops the window from closing
    // and leaves the previous file whole.
    bool save(StoredOptionsControls controls, const QString& listFileName,
              const QList<SettingsStore::SectionChange>& alongside = {});

private:
    std::optional<QString> storedValue(const QString& key);
    bool restoreFolder(const QString& key, FolderList& folderList);
    static QString folderToSave(const FolderList& folderList);

    SettingsStore& m_store;
};
