#include "options/optionstore.h"

#include "generation/pathprobes.h"
#include "listing/folderlist.h"
#include "platform/settingsstore.h"

#include <QFile>

#include <cstdio>

namespace {

const QString kApplication = QStringLiteral("Korvale");
const QString kSection = QStringLiteral("Optionen");
const QString kListFileKey = QStringLiteral("Text1.text");
const QString kDefaultFolder = QStringLiteral("C:\\");

} // namespace

OptionStore::OptionStore(SettingsStore& store)
    : m_store(store)
{
}

bool OptionStore::restoreFolder(const QString& key, FolderList& folderList)
{
    const QString folder = m_store.GetSetting(kApplication, kSection, key, kDefaultFolder);
    return PathProbes::DirExists(folder) && folderList.setPath(folder);
}

RestoreResult OptionStore::restore(StoredOptionsControls controls)
{
    RestoreResult result;
    restoreFolder(QStringLiteral("Dir1"), controls.Dir1);
    restoreFolder(QStringLiteral("Dir2"), controls.Dir2);
    result.dir3Restored = restoreFolder(QStringLiteral("Dir3"), controls.Dir3);
    result.listFileName = m_store.storedSetting(kApplication, kSection, kListFileKey);
    return result;
}

bool OptionStore::save(StoredOptionsControls controls, const QString& listFileName)
{
    const bool saved = m_store.SaveSettings(kApplication, kSection,
                                            {
                                                {QStringLiteral("Dir1"), controls.Dir1.Path()},
                                                {QStringLiteral("Dir2"), controls.Dir2.Path()},
                                                {QStringLiteral("Dir3"), controls.Dir3.Path()},
                                                {kListFileKey, listFileName},
                                            });
    if (!saved) {
        const QByteArray file = QFile::encodeName(m_store.fileName(kApplication));
        std::fprintf(stderr, "Korvale: Die Optionen konnten nicht in %s gespeichert werden.\n", file.constData());
        std::fflush(stderr);
    }
    return saved;
}
