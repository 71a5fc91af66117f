#include "drives/windowspath.h"

#include <algorithm>

namespace {

bool isSeparator(QChar c) { return c == u'\\' || c == u'/'; }

bool isDriveLetter(QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

} // namespace

std::optional<WindowsPath> WindowsPath::parse(QStringView text)
{
    if (text.size() < 3 || !isDriveLetter(text[0]) || text[1] != u':' || !isSeparator(text[2]))
        return std::nullopt;
    // The host would end the path at a NUL and name another file than the one asked for.
    if (text.contains(QChar(u'\0')))
        return std::nullopt;
    WindowsPath path = root(text[0]);
    qsizetype start = 3;
    while (start <= text.size()) {
        qsizetype end = start;
        while (end < text.size() && !isSeparator(text[end]))
            ++end;
        const QStringView name = text.mid(start, end - start);
        if (name == u"..") {
            if (!path.m_names.isEmpty())
                path.m_names.removeLast();
        } else if (!name.isEmpty() && name != u".") {
            path.m_names.append(name.toString());
        }
        start = end + 1;
    }
    return path;
}

WindowsPath WindowsPath::root(QChar drive)
{
    WindowsPath path;
    path.m_drive = drive.toUpper();
    return path;
}

std::optional<QChar> WindowsPath::driveValueLetter(QStringView text)
{
    if (text.size() < 2 || !isDriveLetter(text[0]) || text[1] != u':')
        return std::nullopt;
    if (text.size() > 2 && text[2] != u' ')
        return std::nullopt;
    return text[0].toUpper();
}

QString WindowsPath::joinName(QStringView folder, QStringView name)
{
    QString path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder);
    if (!folder.endsWith(u'\\'))
        path.append(u'\\');
    path.append(name);
    return path;
}

QString WindowsPath::listFilePath(QStringView folder, QStringView fileName)
{
    QString path;
    path.reserve(folder.size() + 1 + fileName.size());
    return path.append(folder).append(u'\\').append(fileName);
}

std::optional<WindowsPath::LastName> WindowsPath::splitLastName(QStringView pathText)
{
    const qsizetype cut = pathText.lastIndexOf(u'\\');
    if (cut < 2)
        return std::nullopt;
    const QStringView name = pathText.sliced(cut + 1);
    if (name.isEmpty() || name == u"." || name == u".." || name.contains(u'/'))
        return std::nullopt;
    // The root keeps its separator: "C:\", not "C:".
    return LastName{pathText.first(cut == 2 ? 3 : cut), name};
}

QStringView WindowsPath::lastTypedName(QStringView text)
{
    return text.sliced(std::max(text.lastIndexOf(u'\\'), text.lastIndexOf(u'/')) + 1);
}

qsizetype WindowsPath::headTextLength(qsizetype count) const
{
    qsizetype length = 3;
    for (qsizetype i = 0; i < count; ++i)
        length += m_names[i].size() + (i > 0 ? 1 : 0);
    return length;
}

QString WindowsPath::toString() const
{
    qsizetype length = 3 + m_names.size();
    for (const QString& name : m_names)
        length += name.size();
    QString text;
    text.reserve(length);
    text.append(m_drive).append(u":\\");
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        if (i > 0)
            text.append(u'\\');
        text.append(m_names[i]);
    }
    return text;
}

WindowsPath WindowsPath::child(const QString& name) const
{
    WindowsPath path = *this;
    path.m_names.append(name);
    return path;
}

WindowsPath WindowsPath::parent() const
{
    WindowsPath path = *this;
    if (!path.m_names.isEmpty())
        path.m_names.removeLast();
    return path;
}
