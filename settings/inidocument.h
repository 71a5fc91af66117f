#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

// The text of an INI file, read the way a person writes one and written back so that a
// person can read it: section and key names match without regard to letter case, a value
// is the rest of its line ("Dir2=C:\Daten\tmp" is that path), and a file written by an
// earlier version, with doubled backslashes and quotes, reads to the same values. Lines
// this program does not change (comments, other sections, lines it cannot make out) are
// kept exactly as they stand.
class IniDocument {
public:
    static IniDocument parse(const QByteArray& bytes);

    // Nothing for a key the document does not hold; where a key stands twice, the last wins.
    std::optional<QString> value(QStringView section, QStringView key) const;
    // Changes the key's last line, or adds the key at the end of its section, or the section
    // at the end. The spelling the file has is kept. False for a section or key name that
    // cannot be written as one (a line break, '=', ']', blanks around it, empty).
    bool setValue(const QString& section, const QString& key, const QString& value);

    // Every key and value of a section in the order they stand, a key that stands twice
    // twice, wherever the section's header stands (a file may hold it more than once).
    QList<std::pair<QString, QString>> entries(QStringView section) const;
    // How often the section's header stands in the file.
    qsizetype headerCount(QStringView section) const;
    // Puts these entries in place of all the section's keys, below its first header, and
    // drops the headers after the first; the section's other lines (comments) stay. False,
    // and nothing changed, for a name that cannot be written (see setValue).
    bool replaceEntries(const QString& section, const QList<std::pair<QString, QString>>& entries);

    QByteArray bytes() const;

private:
    enum class Kind { Other, Header, Entry };
    struct Line {
        QByteArray text; // without its line break; a '\r' before it stays part of the text
        Kind kind = Kind::Other;
        qsizetype section = -1; // index into m_sections; -1 where no section applies
        QString key;
        qsizetype valueStart = 0;
    };

    qsizetype lastEntry(QStringView section, QStringView key) const;
    qsizetype lastLineOfSection(QStringView section) const;
    bool sectionMatches(qsizetype index, QStringView section) const;
    QByteArray entryText(const QString& key, const QString& value, const QByteArray& lineEnd) const;

    QList<Line> m_lines;
    QStringList m_sections;
    QByteArray m_carriageReturn; // "\r" when the file ends its lines in CR LF
};
