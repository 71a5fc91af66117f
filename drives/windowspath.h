#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

#include <optional>

// A path in the old platform's form: a drive letter and the names below its root.
// Both '\' and '/' separate, a doubled separator counts once, '.' is dropped and '..'
// stops at the drive root. The letter is kept in upper case.
class WindowsPath {
public:
    static std::optional<WindowsPath> parse(QStringView text);
    static WindowsPath root(QChar drive);

    // The letter of a drive value as a drive list reports it ("c: [/home/user]") or of a
    // bare "C:"; nothing for a path that goes on with a separator.
    static std::optional<QChar> driveValueLetter(QStringView text);

    // The file path rule: the folder, '\' unless the folder already ends in one, the name.
    static QString joinName(QStringView folder, QStringView name);
    // A folder's drive prefix, its first three characters ("C:\"): what the change
    // handlers hand a drive list as its new drive.
    static QString drivePrefix(const QString& path) { return path.left(3); }

    QChar drive() const { return m_drive; }
    const QStringList& names() const { return m_names; }
    bool isRoot() const { return m_names.isEmpty(); }

    // "C:\" for a root, "C:\a\b" otherwise.
    QString toString() const;
    WindowsPath child(const QString& name) const;
    WindowsPath parent() const;

    friend bool operator==(const WindowsPath&, const WindowsPath&) = default;

private:
    QChar m_drive;
    QStringList m_names;
};
