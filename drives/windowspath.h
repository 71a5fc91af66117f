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

    // A file's path below a folder: the folder, '\' unless the folder already ends in one
    // (a drive root), the name.
    static QString joinName(QStringView folder, QStringView name);
    // The list file's path as the status line and the list file's own lines name it: the
    // target folder, '\', the file name, whatever they hold, so that the list file of a
    // drive root is "C:\\Liste.txt", with two backslashes.
    static QString listFilePath(QStringView folder, QStringView fileName);

    // The text of a path, as toString() and joinName() make it, taken apart before its last
    // name: "C:\a" and "b" of "C:\a\b", "C:\" and "b" of "C:\b". Nothing for a root, nor
    // where parse() would read the last name otherwise ("." or "..", none, a '/' within).
    struct LastName {
        QStringView parentText;
        QStringView name;
    };
    static std::optional<LastName> splitLastName(QStringView pathText);
    // What follows the last separator ('\' or '/') of a path as it was typed: where that is
    // "." or ".." or nothing, the typed path ends in a folder, not a file.
    static QStringView lastTypedName(QStringView text);
    // A folder's drive prefix, its first three characters ("C:\"): what the change
    // handlers hand a drive list as its new drive.
    static QString drivePrefix(const QString& path) { return path.left(3); }

    QChar drive() const { return m_drive; }
    const QStringList& names() const { return m_names; }
    bool isRoot() const { return m_names.isEmpty(); }

    // "C:\" for a root, "C:\a\b" otherwise.
    QString toString() const;
    // How long the text of the folder made of the drive and this path's first `count` names
    // is: toString() of that folder is toString() of this path cut to this length.
    qsizetype headTextLength(qsizetype count) const;
    WindowsPath child(const QString& name) const;
    WindowsPath parent() const;

    friend bool operator==(const WindowsPath&, const WindowsPath&) = default;

private:
    QChar m_drive;
    QStringList m_names;
};
