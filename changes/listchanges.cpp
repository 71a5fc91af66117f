#include "changes/listchanges.h"

#include <QStringList>

void ListChanges::add(Kind kind, const std::function<Entry()>& make)
{
    if (m_count[index(kind)]++ < kKept)
        m_kept[index(kind)].append(make());
}

QString ListChanges::note() const
{
    QStringList parts;
    if (const qsizetype added = count(Kind::New))
        parts << QStringLiteral("%1 neu").arg(added);
    if (const qsizetype missing = count(Kind::Missing))
        parts << (missing == 1 ? QStringLiteral("1 fehlt") : QStringLiteral("%1 fehlen").arg(missing));
    return parts.join(QStringLiteral(", "));
}

QString ListChanges::label(Kind kind) { return kind == Kind::New ? QStringLiteral("neu") : QStringLiteral("fehlt"); }
