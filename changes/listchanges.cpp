#include "changes/listchanges.h"

#include "text/namecodec.h"

#include <QStringList>

void ListChanges::add(Kind kind, const std::function<Entry()>& make)
{
    if (tally(kind))
        keep(kind, make());
}

void ListChanges::addRow(qsizetype row)
{
    if (tally(Kind::New))
        m_newRows.push_back(row);
}

void ListChanges::nameRows()
{
    forEachNamedRow([this](const Entry& entry) { keep(Kind::New, entry); });
    m_newRows.clear();
    m_nameRow = nullptr;
}

// Each kept row's entry, where its list still names it.
void ListChanges::forEachNamedRow(const std::function<void(const Entry&)>& each) const
{
    if (!m_nameRow)
        return;
    for (const qsizetype row : m_newRows) {
        if (const std::optional<Entry> entry = m_nameRow(row))
            each(*entry);
    }
}

void ListChanges::keep(Kind kind, const Entry& entry)
{
    Texts& texts = m_kept[index(kind)];
    NameCodec::appendEncoded(entry.shown, texts.bytes);
    texts.ends.push_back(texts.bytes.size());
    texts.bytes += entry.hostPath;
    texts.ends.push_back(texts.bytes.size());
}

qsizetype ListChanges::keptCount(Kind kind) const
{
    const qsizetype rows = kind == Kind::New ? qsizetype(m_newRows.size()) : 0;
    return qsizetype(m_kept[index(kind)].ends.size() / 2) + rows;
}

QList<ListChanges::Entry> ListChanges::kept(Kind kind) const
{
    const Texts& texts = m_kept[index(kind)];
    QList<Entry> entries;
    entries.reserve(keptCount(kind));
    qsizetype start = 0;
    for (size_t i = 0; i < texts.ends.size(); i += 2) {
        const qsizetype shownEnd = texts.ends[i];
        const qsizetype hostEnd = texts.ends[i + 1];
        entries.append({NameCodec::decode(texts.bytes.constData() + start, shownEnd - start),
                        texts.bytes.sliced(shownEnd, hostEnd - shownEnd)});
        start = hostEnd;
    }
    if (kind == Kind::New)
        forEachNamedRow([&entries](const Entry& entry) { entries.append(entry); });
    return entries;
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
