#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

// A file-name pattern as a person types it: '*' any run of characters, '?' one
// character, letter case not counted, several patterns separated by ';'. "*.*" also
// takes names without a dot and "*." takes only those. A pattern with a folder
// separator matches nothing, an empty one matches everything.
class FilePattern {
public:
    explicit FilePattern(const QString& text = QString());

    bool matches(QStringView name) const;
    // The same for a name in the host's bytes (see NameCodec): a name of ASCII characters
    // alone, as most are, is matched byte by byte, any other decoded first.
    bool matchesHostName(QByteArrayView name) const;
    // True when every name matches: a list can then take names without looking at them.
    bool matchesEverything() const { return m_matchesAll; }

private:
    struct Alternative {
        QString glob;          // case-folded
        bool alsoStem = false; // "x.*": also a dotless name matching "x"
        bool noDot = false;    // "x.": only a dotless name matching "x"
    };

    template <typename Name>
    bool matchesAny(Name name) const;
    template <typename Name>
    static bool globMatches(QStringView glob, Name name);

    QList<Alternative> m_alternatives;
    bool m_matchesAll = false;
};
