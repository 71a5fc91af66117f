#include "options/settingsreport.h"

Q_LOGGING_CATEGORY(optionsLog, "korvale.options")

namespace {

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

} // namespace

namespace SettingsReport {

bool wasRead(SettingsStore::FileState state)
{
    return state == SettingsStore::FileState::Missing || state == SettingsStore::FileState::Read;
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

bool said(const char* what, const QString& fileName, const SettingsStore::SaveResult& result)
{
    if (!wasRead(result.fileState)) {
        qCWarning(optionsLog).nospace() << what << " wurden nicht in " << fileName << " gespeichert ("
                                        << unreadReason(result.fileState) << "); die Datei bleibt unverändert.";
    } else if (!result.keptItsForm) {
        qCWarning(optionsLog).nospace() << what << " wurden nicht in " << fileName
                                        << " gespeichert (in Kodierung und Zeilenenden der Datei nicht darstellbar)"
                                        << "; die Datei bleibt unverändert.";
    } else if (!result.saved()) {
        qCWarning(optionsLog).nospace() << what << " konnten nicht in " << fileName << " gespeichert werden ("
                                        << writeReason(result.failure) << ").";
    }
    return result.saved();
}

} // namespace SettingsReport
