#include "options/optionstore.h"

#include "listing/folderlist.h"
#include "settings/settingsstore.h"
#include "text/asciiscan.h"
#include "text/namecodec.h"
#include "walk/hostfolder.h"

#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(optionsLog, "korvale.options")

const QString kApplication = QStringLiteral("Korvale");
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

const char* unreadReason(SettingsStore::FileState state)
{
    switch (state) {
    case SettingsStore::FileState::NotARegularFile:
        return "keine gewöhnliche Datei";
    case SettingsStore::FileState::TooLarge:
        return "größer als 1 MiB";
    case SettingsStore::FileState::Unreadable:
    case SettingsStore::FileState::Missing:
    case SettingsStore::FileState::Read:
        break;
    }
    return "nicht lesbar";
}

const char* writeReason(WriteFailure failure)
{
    switch (failure) {
    case WriteFailure::NoRight:
        return "keine Schreibrechte";
    case WriteFailure::FolderMissing:
        return "der Ordner fehlt";
    case WriteFailure::DiskFull:
        return "der Datenträger ist voll";
    case WriteFailure::InvalidName:
        return "ungültiger Name";
    case WriteFailure::NotARegularFile:
        return "unter dem Namen steht keine gewöhnliche Datei";
    case WriteFailure::None:
    case WriteFailure::Other:
        break;
    }
    return "Schreibfehler";
}

bool wasRead(SettingsStore::FileState state)
{
    return state == SettingsStore::FileState::Missing || state == SettingsStore::FileState::Read;
}

} // namespace

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
    if (!wasRead(state)) {
        qCWarning(optionsLog).nospace() << "Die Optionen in " << m_store.fileName(kApplication)
                                        << " wurden nicht gelesen (" << unreadReason(state)
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

bool OptionStore::save(StoredOptionsControls controls, const QString& listFileName,
                       const QHash<QString, QString>& kept)
{
    const auto folder = [&kept](const QString& key, const FolderList& list) {
        return kept.contains(key) ? kept.value(key) : folderToSave(list);
    };
    const SettingsStore::SaveResult result
        = m_store.SaveSettings(kApplication, kSection,
                               {
                                   {QStringLiteral("Dir1"), folder(QStringLiteral("Dir1"), controls.Dir1)},
                                   {QStringLiteral("Dir2"), folder(QStringLiteral("Dir2"), controls.Dir2)},
                                   {QStringLiteral("Dir3"), folder(QStringLiteral("Dir3"), controls.Dir3)},
                                   {kListFileKey, listFileName},
                               });
    if (!wasRead(result.fileState)) {
        qCWarning(optionsLog).nospace() << "Die Optionen wurden nicht in " << m_store.fileName(kApplication)
                                        << " gespeichert (" << unreadReason(result.fileState)
                                        << "); die Datei bleibt unverändert.";
    } else if (!result.keptItsForm) {
        qCWarning(optionsLog).nospace() << "Die Optionen wurden nicht in " << m_store.fileName(kApplication)
                                        << " gespeichert (in Kodierung und Zeilenenden der Datei nicht darstellbar)"
                                        << "; die Datei bleibt unverändert.";
    } else if (!result.saved()) {
        qCWarning(optionsLog).nospace() << "Die Optionen konnten nicht in " << m_store.fileName(kApplication)
                                        << " gespeichert werden (" << writeReason(result.failure) << ").";
    }
    return result.saved();
}
