#pragma once

#include <QList>
#include <QString>

#include <optional>
#include <utility>

// The per-user settings store: text values by application, section and key, kept in an
// INI file that a person can read. Section and key names match without regard to letter
// case, and a write reuses the spelling the file already has. A file that is missing,
// unreadable or garbled reads as if it held no keys.
class SettingsStore {
public:
    using Entry = std::pair<QString, QString>;

    // One file per application in the user's config folder:
    // ~/.config/<application>/<application>.ini.
    SettingsStore() = default;
    // Every application's values in the one file given.
    explicit SettingsStore(QString filePath);

    QString fileName(const QString& application) const;

    QString GetSetting(const QString& application, const QString& section, const QString& key,
                       const QString& defaultValue) const;
    // Nothing for a key the file does not hold; an empty text is a value like any other.
    std::optional<QString> storedSetting(const QString& application, const QString& section,
                                         const QString& key) const;

    // False when the value could not be written; the file then stays as it was.
    bool SaveSetting(const QString& application, const QString& section, const QString& key,
                     const QString& value);
    // Writes all entries with one replacement of the file: they reach it together or not at
    // all, and keys written by others in the meantime are kept.
    bool SaveSettings(const QString& application, const QString& section, const QList<Entry>& entries);

private:
    QString m_filePath;
};
