#include "listing/listbox.h"

#include "listing/germancollation.h"
#include "platform/namecodec.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string>

namespace {

// One stored piece of an entry's text, read back from its record.
struct Piece {
    QByteArrayView key;
    QByteArrayView accents; // empty when the piece has no accented letter
    QByteArrayView text;

    static constexpr qsizetype kHeaderSize = 3 * sizeof(quint32);

    static Piece of(const char* record)
    {
        quint32 lengths[3];
        std::memcpy(lengths, record, sizeof lengths);
        const char* key = record + kHeaderSize;
        const char* accents = key + lengths[0];
        return {{key, lengths[0]}, {accents, lengths[1]}, {accents + lengths[1], lengths[2]}};
    }
};

int compareBytes(QByteArrayView a, QByteArrayView b)
{
    if (const int common = std::memcmp(a.data(), b.data(), size_t(std::min(a.size(), b.size()))))
        return common;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// Compares a1 followed by a2 with b1 followed by b2, without joining them.
int compareJoined(QByteArrayView a1, QByteArrayView a2, QByteArrayView b1, QByteArrayView b2)
{
    const QByteArrayView a[2] = {a1, a2};
    const QByteArrayView b[2] = {b1, b2};
    int ai = 0, bi = 0;
    qsizetype aAt = 0, bAt = 0;
    for (;;) {
        while (ai < 2 && aAt == a[ai].size()) {
            ++ai;
            aAt = 0;
        }
        while (bi < 2 && bAt == b[bi].size()) {
            ++bi;
            bAt = 0;
        }
        if (ai == 2 || bi == 2)
            return ai == 2 ? (bi == 2 ? 0 : -1) : 1;
        const qsizetype length = std::min(a[ai].size() - aAt, b[bi].size() - bAt);
        if (const int order = std::memcmp(a[ai].data() + aAt, b[bi].data() + bAt, size_t(length)))
            return order;
        aAt += length;
        bAt += length;
    }
}

// The accent weight at position i of a text kept as head and rest; a piece without
// accents has the weight of no accent throughout.
char accentAt(const Piece& head, quint32 headWeights, const Piece& rest, qsizetype i)
{
    if (i < qsizetype(headWeights))
        return i < head.accents.size() ? head.accents[i] : GermanCollation::kNoAccent;
    i -= headWeights;
    return i < rest.accents.size() ? rest.accents[i] : GermanCollation::kNoAccent;
}

} // namespace

ListBox::ListBox(Order order, QObject* parent)
    : QAbstractListModel(parent)
    , m_order(order)
{
}

void ListBox::Clear()
{
    beginResetModel();
    m_entries.clear();
    m_entries.shrink_to_fit();
    m_heads.clear();
    m_heads.shrink_to_fit();
    m_lastHead.clear();
    m_arena.clear();
    m_published = 0;
    endResetModel();
}

void ListBox::AddItem(QStringView text)
{
    const qsizetype split = text.lastIndexOf(u'\\') + 1;
    const QStringView head = text.left(split);
    if (m_heads.empty() || head != m_lastHead) {
        quint32 weights = 0;
        const char* record = storePiece(head, &weights);
        m_heads.push_back({record, weights});
        m_lastHead = head.toString();
    }
    m_entries.push_back({storePiece(text.mid(split), nullptr), quint32(m_heads.size() - 1)});
}

const char* ListBox::storePiece(QStringView text, quint32* weights)
{
    // Buffers reused from piece to piece, so adding allocates nothing of its own.
    thread_local std::string key;
    thread_local std::string accents;
    thread_local QByteArray encoded;
    key.clear();
    accents.clear();
    encoded.truncate(0); // keeps its room, unlike clear()
    qsizetype primaryWeights = 0;
    if (m_order == Order::Sorted)
        primaryWeights = GermanCollation::appendSortKeyParts(text, key, accents);
    if (weights)
        *weights = quint32(primaryWeights);
    NameCodec::appendEncoded(text, encoded);

    const quint32 lengths[3] = {quint32(key.size()), quint32(accents.size()), quint32(encoded.size())};
    char* record = m_arena.allocate(Piece::kHeaderSize + qsizetype(key.size() + accents.size()) + encoded.size());
    char* out = record;
    std::memcpy(out, lengths, sizeof lengths);
    out += sizeof lengths;
    std::memcpy(out, key.data(), key.size());
    out += key.size();
    std::memcpy(out, accents.data(), accents.size());
    out += accents.size();
    std::memcpy(out, encoded.constData(), size_t(encoded.size()));
    return record;
}

qsizetype ListBox::ListCount()
{
    publish();
    return qsizetype(m_entries.size());
}

QString ListBox::List(qsizetype index)
{
    publish();
    if (index < 0 || index >= qsizetype(m_entries.size()))
        return QString();
    return textOf(m_entries[size_t(index)]);
}

QByteArrayView ListBox::encodedItem(qsizetype index)
{
    publish();
    if (index < 0 || index >= qsizetype(m_entries.size()))
        return QByteArrayView();
    m_encodedItem.truncate(0);
    appendEncoded(m_entries[size_t(index)], m_encodedItem);
    return m_encodedItem;
}

void ListBox::appendEncoded(const Entry& entry, QByteArray& out) const
{
    out.append(Piece::of(m_heads[entry.head].record).text);
    out.append(Piece::of(entry.record).text);
}

void ListBox::publish()
{
    const qsizetype count = qsizetype(m_entries.size());
    if (count == m_published)
        return;
    if (m_order == Order::AsAdded) {
        beginInsertRows(QModelIndex(), int(m_published), int(count - 1));
        m_published = count;
        endInsertRows();
        return;
    }
    beginResetModel();
    sortNewEntries();
    m_published = count;
    endResetModel();
}

// The order of two entries' whole keys, read piece by piece: the primary keys first, and
// only where those are equal (texts that differ in accents alone) the accent weights.
int ListBox::compare(const Entry& a, const Entry& b) const
{
    const Piece restA = Piece::of(a.record);
    const Piece restB = Piece::of(b.record);
    const Head& headA = m_heads[a.head];
    const Head& headB = m_heads[b.head];
    const Piece pieceA = Piece::of(headA.record);
    const Piece pieceB = a.head == b.head ? pieceA : Piece::of(headB.record);
    const int primary = a.head == b.head ? compareBytes(restA.key, restB.key)
                                         : compareJoined(pieceA.key, restA.key, pieceB.key, restB.key);
    if (primary != 0 || (pieceA.accents.isEmpty() && pieceB.accents.isEmpty() && restA.accents.isEmpty()
                         && restB.accents.isEmpty()))
        return primary;
    const qsizetype length = std::max(headA.weights + restA.accents.size(), headB.weights + restB.accents.size());
    for (qsizetype i = 0; i < length; ++i) {
        const char accentA = accentAt(pieceA, headA.weights, restA, i);
        const char accentB = accentAt(pieceB, headB.weights, restB, i);
        if (accentA != accentB)
            return accentA < accentB ? -1 : 1;
    }
    return 0;
}

ListBox::HeadOrder ListBox::orderHeads() const
{
    const size_t count = m_heads.size();
    auto keyOf = [this](quint32 head) { return Piece::of(m_heads[head].record).key; };
    std::vector<quint32> byKey(count);
    std::iota(byKey.begin(), byKey.end(), quint32(0));
    std::sort(byKey.begin(), byKey.end(), [&](quint32 a, quint32 b) {
        const int order = compareBytes(keyOf(a), keyOf(b));
        return order != 0 ? order < 0 : a < b;
    });
    HeadOrder order{std::vector<quint32>(count), std::vector<quint32>(count)};
    // The keys beginning with a given key follow it in one run; the heads whose keys begin
    // all those before the current one stand open.
    std::vector<quint32> open;
    auto close = [&](quint32 lastRank) {
        order.reach[byKey[open.back()]] = lastRank;
        open.pop_back();
    };
    for (quint32 rank = 0; rank < count; ++rank) {
        const QByteArrayView key = keyOf(byKey[rank]);
        while (!open.empty() && !key.startsWith(keyOf(byKey[open.back()])))
            close(rank - 1);
        order.rank[byKey[rank]] = rank;
        open.push_back(rank);
    }
    while (!open.empty())
        close(quint32(count - 1));
    return order;
}

// The entries up to m_published are in order; sort the rest and merge them in. Both
// steps are stable, so equal entries keep the order of adding.
void ListBox::sortNewEntries()
{
    // Two entries under heads whose keys differ before either ends (files of folders that
    // are not one inside the other) take the order of their heads; only the rest need
    // their own keys read.
    const HeadOrder heads = orderHeads();
    auto less = [this, &heads](const Entry& a, const Entry& b) {
        const quint32 rankA = heads.rank[a.head];
        const quint32 rankB = heads.rank[b.head];
        if (rankA < rankB && rankB > heads.reach[a.head])
            return true;
        if (rankB < rankA && rankA > heads.reach[b.head])
            return false;
        return compare(a, b) < 0;
    };
    const auto firstNew = m_entries.begin() + m_published;
    std::stable_sort(firstNew, m_entries.end(), less);
    std::inplace_merge(m_entries.begin(), firstNew, m_entries.end(), less);
}

QString ListBox::textOf(const Entry& entry) const
{
    thread_local QByteArray joined;
    joined.truncate(0);
    appendEncoded(entry, joined);
    return NameCodec::decode(joined);
}

int ListBox::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_published);
}

QVariant ListBox::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole
        || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    return textOf(m_entries[size_t(index.row())]);
}
