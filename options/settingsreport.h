#pragma once

#include "settings/settingsstore.h"

#include <QLoggingCategory>
#include <QString>

// What went wrong with the settings file, said in one line on standard error.
Q_DECLARE_LOGGING_CATEGORY(optionsLog)

namespace SettingsReport {

// False where the file was there but not read (no regular file, too large, unreadable).
bool wasRead(SettingsStore::FileState state);
// Why a file that is there was not read, in words.
const char* unreadReason(SettingsStore::FileState state);
// Says what kept `what` ("Die Optionen") out of the file, where anything did; true when
// the save reached it.
bool said(const char* what, const QString& fileName, const SettingsStore::SaveResult& result);

} // namespace SettingsReport
