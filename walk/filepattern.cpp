#include "walk/filepattern.h"

#include "text/namecodec.h"

namespace {

QChar folded(QChar c)
{
    if (c.unicode() < 0x80)
        return (c >= u'A' && c <= u'Z') ? QChar(c.unicode() + 32) : c;
    return c.toCaseFolded();
}

// A character of a name: in a name of ASCII bytes each byte is one.
QChar characterAt(QStringView name, qsizetype i) { return name[i]; }
QChar characterAt(QByteArrayView name, qsizetype i) { return QChar(char16_t(static_cast<unsigned char>(name[i]))); }

bool hasDot(QStringView name) { return name.contains(u'.'); }
bool hasDot(QByteArrayView name) { return name.contains('.'); }

} // namespace

FilePattern::FilePattern(const QString& text)
{
    const QStringList parts = text.split(u';');
    bool anyGiven = false;
    for (const QString& part : parts) {
        const QString trimmed = part.trimmed();
        if (trimmed.isEmpty())
            continue;
        anyGiven = true;
        if (trimmed.contains(u'\\') || trimmed.contains(u'/'))
            continue;
        if (trimmed == u"*" || trimmed == u"*.*") {
            m_matchesAll = true;
            continue;
        }
        Alternative alternative;
        for (QChar c : trimmed)
            alternative.glob.append(folded(c));
        if (alternative.glob.endsWith(u".*")) {
            alternative.alsoStem = true;
        } else if (alternative.glob.endsWith(u'.')) {
            alternative.noDot = true;
            alternative.glob.chop(1);
        }
        m_alternatives.append(alternative);
    }
    if (!anyGiven)
        m_matchesAll = true;
}

bool FilePattern::matches(QStringView name) const
{
    return m_matchesAll || matchesAny(name);
}

bool FilePattern::matchesHostName(QByteArrayView name) const
{
    if (m_matchesAll)
        return true;
    return NameCodec::isAscii(name) ? matchesAny(name) : matchesAny(QStringView(NameCodec::decode(name.data(), name.size())));
}

template <typename Name>
bool FilePattern::matchesAny(Name name) const
{
    for (const Alternative& alternative : m_alternatives) {
        if (alternative.noDot) {
            if (!hasDot(name) && globMatches(alternative.glob, name))
                return true;
            continue;
        }
        if (globMatches(alternative.glob, name))
            return true;
        if (alternative.alsoStem && !hasDot(name) && globMatches(QStringView(alternative.glob).chopped(2), name))
            return true;
    }
    return false;
}

// Iterative matching with one backtrack point: the last '*' seen.
template <typename Name>
bool FilePattern::globMatches(QStringView glob, Name name)
{
    qsizetype g = 0, n = 0;
    qsizetype starAt = -1, resumeAt = 0;
    while (n < name.size()) {
        if (g < glob.size() && glob[g] == u'*') {
            starAt = g++;
            resumeAt = n;
        } else if (g < glob.size() && (glob[g] == u'?' || glob[g] == folded(characterAt(name, n)))) {
            ++g;
            ++n;
        } else if (starAt >= 0) {
            g = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (g < glob.size() && glob[g] == u'*')
        ++g;
    return g == glob.size();
}
