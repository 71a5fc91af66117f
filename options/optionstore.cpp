#include "options/optionstore.h"

#include "options/settingsreport.h"

#include "listing/folderlist.h"
#include "settings/settingsstore.h"
#include "text/asciiscan.h"
#include "text/namecodec.h"
#include "walk/hostfolder.h"

namespace {

const QString kSection = QStringLiteral("Optionen");
const QString kListFileKey = QStringLiteral("Text1.text");
const QString kDefaultFolder = QStringLiteral("C:\\");

// No folder or file name this program shows holds a control character (a line break above
// all) or half of a surrogate pair that is not an escaped byte of a host name: such a value
// was put into the file by hand or by something else, and is not used.
bool isUsable(const QString& value)
{
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char16_t unit = value[i].unicode();
        if (AsciiScan::isControl(unit))
            return false;
        if (QChar::isHighSurrogate(unit) && i + 1 < value.size() && value[i + 1].isLowSurrogate())
            ++i;
        else if (QChar::isSurrogate(unit) && !NameCodec::isEscapedByte(unit))
            return false;
    }
    return true;
}

} // namespace

const QString OptionStore::kApplication = QStringLiteral("Korvale");

OptionStore::OptionStore(SettingsStore& store)
    : m_store(store)
{
}

std::optional<QString> OptionStore::storedValue(const QString& key)
{
    std::optional<QString> value = m_store.storedSetting(kApplication, kSection, key);
    return value && isUsable(*value) ? value : std::nullopt;
}

// A hidden list that nothing moved stands on no folder; the file names the folder it would
// have started in, the current one, as it always has.
QString OptionStore::folderToSave(const FolderList& folderList)
{
    if (!folderList.Path().isEmpty())
        return folderList.Path();
    const std::optional<WindowsPath> current = HostFolder::processCurrentFolder();
    return current ? current->toString() : QString();
}

void OptionStore::load()
{
    const SettingsStore::FileState state = m_store.load(kApplication);
    if (!SettingsReport::wasRead(state)) {
        qCWarning(optionsLog).nospace() << "Die Optionen in " << m_store.fileName(kApplication)
                                        << " wurden nicht gelesen (" << SettingsReport::unreadReason(state)
                                        << "); es gelten die Vorgaben.";
    }
}

std::optional<QString> OptionStore::storedFolder(const QString& key)
{
    const QString folder = m_store.storedSetting(kApplication, kSection, key).value_or(kDefaultFolder);
    return isUsable(folder) ? std::optional(folder) : std::nullopt;
}

std::optional<QString> OptionStore::storedListFileName() { return storedValue(kListFileKey); }

QString OptionStore::defaultFolder() { return kDefaultFolder; }

bool OptionStore::save(StoredOptionsControls controls, const QString& listFileName, const QHash<QString, QString>& kept,
                       const QList<SettingsStore::SectionChange>& alongside)
{
    const auto folder = [&kept](const QString& key, const FolderList& list) {
        return kept.contains(key) ? kept.value(key) : folderToSave(list);
    };
    const QList<SettingsStore::Entry> options = {
        {QStringLiteral("Dir1"), folder(QStringLiteral("Dir1"), controls.Dir1)},
        {QStringLiteral("Dir2"), folder(QStringLiteral("Dir2"), controls.Dir2)},
        {QStringLiteral("Dir3"), folder(QStringLiteral("Dir3"), controls.Dir3)},
        {kListFileKey, listFileName},
    };
    const SettingsStore::SaveResult result
        = m_store.SaveSettings(kApplication, QList<SettingsStore::SectionChange>{{kSection, options, {}}} + alongside);
    return SettingsReport::said("Die Optionen", m_store.fileName(kApplication), result);
}
