#include "generation/leftoutentries.h"

#include "text/asciiscan.h"

void LeftOutEntries::add(Kind kind, QByteArray hostPath)
{
    if (m_kept.size() < kKept)
        m_kept.append({kind, std::move(hostPath)});
    else
        ++m_notKept;
}

QString LeftOutEntries::label(Kind kind)
{
    switch (kind) {
    case Kind::Unreadable:
        return QStringLiteral("nicht lesbar");
    case Kind::NameLeftOut:
        return QStringLiteral("ausgelassen");
    case Kind::CharactersReplaced:
        return QStringLiteral("mit Ersatzzeichen");
    case Kind::LinkNotFollowed:
        return QStringLiteral("Verknüpfung nicht verfolgt");
    }
    return QString();
}

QByteArray LeftOutEntries::oneLine(QByteArrayView hostPath)
{
    static constexpr char kHex[] = "0123456789abcdef";
    QByteArray line;
    line.reserve(hostPath.size());
    for (const char byte : hostPath) {
        const auto code = static_cast<unsigned char>(byte);
        if (byte == '\\')
            line.append("\\\\");
        else if (byte == '\n')
            line.append("\\n");
        else if (byte == '\r')
            line.append("\\r");
        else if (byte == '\t')
            line.append("\\t");
        else if (AsciiScan::isControl(code))
            line.append("\\x").append(kHex[code >> 4]).append(kHex[code & 0xf]);
        else
            line.append(byte);
    }
    return line;
}

QByteArray LeftOutEntries::lineOf(const Entry& entry)
{
    return label(entry.kind).toUtf8() + ": " + oneLine(entry.hostPath);
}

QString LeftOutEntries::notKeptText(qsizetype count)
{
    return count == 1 ? QStringLiteral("1 weiterer Eintrag nicht aufgeführt")
                      : QStringLiteral("%1 weitere Einträge nicht aufgeführt").arg(count);
}
