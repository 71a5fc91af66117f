#include "listing/listbox.h"

#include "listing/longestrows.h"
#include "process/helperthread.h"
#include "process/processors.h"
#include "text/asciiscan.h"
#include "text/germancollation.h"
#include "text/namecodec.h"
#include "text/windows1252.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <numeric>
#include <string>

namespace {

// A piece's primary key: its weights as stored, or an ASCII text that stands for its own
// key, its weights made byte by byte as they are read. Most names are ASCII, and their
// keys would double the room they take.
struct Key {
    QByteArrayView bytes;
    bool isAsciiText = false;

    // Up to eight weights from i on as one number, the first weight highest: numbers of
    // as many weights are in the order of their weights.
    quint64 weightsAt(qsizetype i, qsizetype count) const
    {
        quint64 eight = 0;
        if (count == 8) {
            std::memcpy(&eight, bytes.data() + i, sizeof eight);
        } else {
            // Gathered in a register: a short copy through memory and a whole word read
            // back costs the processor a stall.
            for (qsizetype k = 0; k < count; ++k)
                eight |= quint64(uchar(bytes[i + k])) << (8 * k);
            eight = qFromLittleEndian(eight);
        }
        return qFromBigEndian(isAsciiText ? GermanCollation::asciiWeights(eight) : eight);
    }
};

// One stored piece of an entry's text, read back from its record.
struct Piece {
    Key key;
    QByteArrayView accents; // empty when the piece has no accented letter
    QByteArrayView text;

    // A record begins with its lengths. A text that is its own key (most of them) has one
    // number, its length with the top bit set; any other has three, with the top bit of the
    // first clear: the lengths of its key, of its accent weights and of its text.
    static constexpr quint32 kOwnKey = quint32(1) << 31;
    static constexpr qsizetype kOwnKeyHeaderSize = sizeof(quint32);
    static constexpr qsizetype kHeaderSize = 3 * sizeof(quint32);

    // Whether the record's text is its own key, and so ASCII throughout.
    static bool isOwnKey(const char* record) { return (firstLength(record) & kOwnKey) != 0; }

    static Piece of(const char* record)
    {
        if (const quint32 first = firstLength(record); first & kOwnKey) {
            const QByteArrayView text(record + kOwnKeyHeaderSize, first & ~kOwnKey);
            return {{text, true}, {}, text};
        }
        quint32 lengths[3];
        std::memcpy(lengths, record, sizeof lengths);
        const char* key = record + kHeaderSize;
        const char* accents = key + lengths[0];
        return {{{key, lengths[0]}}, {accents, lengths[1]}, {accents + lengths[1], lengths[2]}};
    }

private:
    static quint32 firstLength(const char* record)
    {
        quint32 first;
        std::memcpy(&first, record, sizeof first);
        return first;
    }
};

int compareBytes(QByteArrayView a, QByteArrayView b)
{
    if (const int common = std::memcmp(a.data(), b.data(), size_t(std::min(a.size(), b.size()))))
        return common;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// The order of length weights of a from aAt on and of b from bAt on.
int compareWeights(const Key& a, qsizetype aAt, const Key& b, qsizetype bAt, qsizetype length)
{
    if (!a.isAsciiText && !b.isAsciiText)
        return std::memcmp(a.bytes.data() + aAt, b.bytes.data() + bAt, size_t(length));
    for (qsizetype i = 0; i < length; i += 8) {
        const qsizetype count = std::min<qsizetype>(8, length - i);
        const quint64 ofA = a.weightsAt(aAt + i, count);
        const quint64 ofB = b.weightsAt(bAt + i, count);
        if (ofA != ofB)
            return ofA < ofB ? -1 : 1;
    }
    return 0;
}

int compareKeys(const Key& a, const Key& b)
{
    if (const int common = compareWeights(a, 0, b, 0, std::min(a.bytes.size(), b.bytes.size())))
        return common;
    return a.bytes.size() < b.bytes.size() ? -1 : a.bytes.size() > b.bytes.size() ? 1 : 0;
}

// Compares a1 followed by a2 with b1 followed by b2, without joining them.
int compareJoined(const Key& a1, const Key& a2, const Key& b1, const Key& b2)
{
    const Key* a[2] = {&a1, &a2};
    const Key* b[2] = {&b1, &b2};
    int ai = 0, bi = 0;
    qsizetype aAt = 0, bAt = 0;
    for (;;) {
        while (ai < 2 && aAt == a[ai]->bytes.size()) {
            ++ai;
            aAt = 0;
        }
        while (bi < 2 && bAt == b[bi]->bytes.size()) {
            ++bi;
            bAt = 0;
        }
        if (ai == 2 || bi == 2)
            return ai == 2 ? (bi == 2 ? 0 : -1) : 1;
        const qsizetype length = std::min(a[ai]->bytes.size() - aAt, b[bi]->bytes.size() - bAt);
        if (const int order = compareWeights(*a[ai], aAt, *b[bi], bAt, length))
            return order;
        aAt += length;
        bAt += length;
    }
}

// A key's first eight weights as one number, the first highest, padded with zeros: where
// two numbers differ, so do the keys at that weight, or the shorter key ends there and
// comes first, as compareKeys has it (no weight is zero).
quint64 firstWeightsOf(const Key& key)
{
    return key.weightsAt(0, std::min<qsizetype>(8, key.bytes.size()));
}

// How many units two texts share from their start, as far as they are ASCII.
qsizetype sharedAsciiPrefix(QStringView a, QStringView b)
{
    return AsciiScan::prefixLength(a.utf16(), std::min(a.size(), b.size()), b.utf16());
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

// A stored piece of an entry as a view shows it.
void appendShown(QByteArrayView stored, QString& out)
{
    if (NameCodec::isAscii(stored))
        out.append(QLatin1StringView(stored.data(), stored.size()));
    else
        out.append(Windows1252::displayText(NameCodec::decode(stored.data(), stored.size())));
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
    m_records.clear();
    m_recordHeads.clear();
    // Assigned fresh, not cleared: a cleared vector keeps its room.
    m_rows = std::vector<quint32>();
    m_storedTextBytes = 0;
    m_heads.clear();
    m_heads.shrink_to_fit();
    m_lastHead.clear();
    m_arena.clear();
    m_headArena.clear();
    m_published = 0;
    endResetModel();
}

void ListBox::AddItem(QStringView text)
{
    const qsizetype split = text.lastIndexOf(u'\\') + 1;
    useHead(text.left(split));
    appendEntry(storePiece(text.mid(split)));
}

void ListBox::addItems(QStringView head, const HostNames& names)
{
    if (names.isEmpty())
        return;
    Q_ASSERT(head.endsWith(u'\\'));
    useHead(head);
    for (qsizetype i = 0; i < names.size(); ++i) {
        Q_ASSERT(!names.at(i).contains('\\'));
        appendEntry(storeHostPiece(names.at(i), names.isAscii(i)));
    }
}

// Heads come folder by folder, and a folder's path mostly begins as the one before it: the
// ASCII part they share is taken from the last head's record instead of being made anew.
void ListBox::useHead(QStringView head)
{
    if (!m_heads.empty() && head == m_lastHead)
        return;
    const qsizetype shared = m_heads.empty() ? 0 : sharedAsciiPrefix(head, m_lastHead);
    const Piece last = shared > 0 ? Piece::of(m_heads.back().record) : Piece();
    const bool sorted = m_order == Order::Sorted;
    m_key.assign(last.key.bytes.data(), size_t(sorted ? shared : 0));
    m_accents.clear();
    qsizetype weights = 0;
    if (sorted) {
        weights = shared + GermanCollation::appendSortKeyParts(head.sliced(shared), m_key, m_accents);
        if (!m_accents.empty())
            m_accents.insert(0, size_t(shared), GermanCollation::kNoAccent);
    }
    m_encoded.truncate(0); // keeps its room, unlike clear()
    m_encoded.append(last.text.first(shared));
    NameCodec::appendEncoded(head.sliced(shared), m_encoded);
    m_heads.push_back({storeRecord(m_headArena, m_encoded), quint32(weights)});
    m_lastHead.truncate(0);
    m_lastHead.append(head);
}

void ListBox::appendEntry(const char* record)
{
    // Heads and the order of adding are counted in 32 bits.
    Q_ASSERT(m_records.size() < std::numeric_limits<quint32>::max());
    m_records.push_back(record);
    m_recordHeads.push_back(quint32(m_heads.size() - 1));
    m_storedTextBytes += Piece::of(m_heads.back().record).text.size() + Piece::of(record).text.size();
}

const char* ListBox::storePiece(QStringView text)
{
    m_key.clear();
    m_accents.clear();
    if (m_order == Order::Sorted)
        GermanCollation::appendSortKeyParts(text, m_key, m_accents);
    m_encoded.truncate(0);
    NameCodec::appendEncoded(text, m_encoded);
    return storeRecord(m_arena, m_encoded);
}

// A host name is already in NameCodec's encoding, and nearly always ASCII (as the folder's
// read found): then its key is written straight from its bytes, and only another name is
// decoded for its key.
const char* ListBox::storeHostPiece(QByteArrayView name, bool isAscii)
{
    if (m_order == Order::Sorted && isAscii) {
        Q_ASSERT(!name.contains('\0')); // a host name never holds one
        return storeOwnKeyRecord(name);
    }
    m_key.clear();
    m_accents.clear();
    if (m_order == Order::Sorted)
        GermanCollation::appendSortKeyParts(NameCodec::decode(name.data(), name.size()), m_key, m_accents);
    return storeRecord(m_arena, name);
}

// The piece's record in the arena, with the key in m_key and m_accents: the lengths, the
// key, the accent weights, the text.
const char* ListBox::storeRecord(TextArena& arena, QByteArrayView text)
{
    const qsizetype size = Piece::kHeaderSize + qsizetype(m_key.size() + m_accents.size()) + text.size();
    Q_ASSERT(size < qsizetype(Piece::kOwnKey));
    const quint32 lengths[3] = {quint32(m_key.size()), quint32(m_accents.size()), quint32(text.size())};
    char* record = arena.allocate(size);
    std::memcpy(record, lengths, sizeof lengths);
    char* key = record + Piece::kHeaderSize;
    std::memcpy(key, m_key.data(), m_key.size());
    std::memcpy(key + m_key.size(), m_accents.data(), m_accents.size());
    std::memcpy(key + m_key.size() + m_accents.size(), text.data(), size_t(text.size()));
    return record;
}

// A record of a text that is its own key: its length, the text.
const char* ListBox::storeOwnKeyRecord(QByteArrayView text)
{
    Q_ASSERT(text.size() < qsizetype(Piece::kOwnKey));
    const quint32 length = quint32(text.size()) | Piece::kOwnKey;
    char* record = m_arena.allocate(Piece::kOwnKeyHeaderSize + text.size());
    std::memcpy(record, &length, sizeof length);
    std::memcpy(record + Piece::kOwnKeyHeaderSize, text.data(), size_t(text.size()));
    return record;
}

qsizetype ListBox::ListCount()
{
    publish();
    return qsizetype(m_records.size());
}

QString ListBox::List(qsizetype index)
{
    publish();
    if (index < 0 || index >= qsizetype(m_records.size()))
        return QString();
    return textOf(entryAtRow(index));
}

ListBox::EncodedItem ListBox::encodedItem(qsizetype index)
{
    publish();
    if (index < 0 || index >= qsizetype(m_records.size()))
        return EncodedItem();
    const Entry entry = entryAtRow(index);
    return {entry.head, Piece::of(m_heads[entry.head].record).text, Piece::of(entry.record).text,
            Piece::isOwnKey(entry.record)};
}

QString ListBox::shownLines()
{
    publish();
    const qsizetype count = qsizetype(m_records.size());
    qsizetype bytes = 0;
    for (qsizetype row = 0; row < count; ++row) {
        const Entry entry = entryAtRow(row);
        bytes += Piece::of(m_heads[entry.head].record).text.size() + Piece::of(entry.record).text.size() + 1;
    }
    // A character takes at least one byte in the stored encoding: this is room enough.
    QString lines;
    lines.reserve(bytes);
    for (qsizetype row = 0; row < count; ++row) {
        const Entry entry = entryAtRow(row);
        if (row > 0)
            lines.append(u'\n');
        appendShown(Piece::of(m_heads[entry.head].record).text, lines);
        appendShown(Piece::of(entry.record).text, lines);
    }
    return lines;
}

QList<int> ListBox::longestRows()
{
    publish();
    return LongestRows::among(qsizetype(m_records.size()), [this](qsizetype row) {
        const Entry entry = entryAtRow(row);
        return Piece::of(m_heads[entry.head].record).text.size() + Piece::of(entry.record).text.size();
    });
}

ListBox::Entry ListBox::entryAtRow(qsizetype row) const
{
    return entry(m_order == Order::Sorted ? m_rows[size_t(row)] : quint32(row));
}

// The entry's whole text, head and rest, into a buffer that keeps its room between calls.
void ListBox::joinText(const Entry& entry, QByteArray& out) const
{
    const QByteArrayView head = Piece::of(m_heads[entry.head].record).text;
    const QByteArrayView rest = Piece::of(entry.record).text;
    out.resize(head.size() + rest.size());
    std::memcpy(out.data(), head.data(), size_t(head.size()));
    std::memcpy(out.data() + head.size(), rest.data(), size_t(rest.size()));
}

void ListBox::publish()
{
    const qsizetype count = qsizetype(m_records.size());
    if (count == m_published)
        return;
    if (m_order == Order::AsAdded) {
        beginInsertRows(QModelIndex(), int(m_published), int(count - 1));
        m_published = count;
        endInsertRows();
        return;
    }
    beginResetModel();
    sortEntries();
    m_published = count;
    endResetModel();
}

// The order of two entries' whole keys, read piece by piece: the primary keys first, and
// only where those are equal (texts that differ in accents alone) the accent weights.
int ListBox::compare(const Entry& a, const Entry& b) const
{
    const Piece restA = Piece::of(a.record);
    const Piece restB = Piece::of(b.record);
    // Two ASCII names in one folder, the usual case: nothing but their texts can differ.
    if (a.head == b.head && restA.key.isAsciiText && restB.key.isAsciiText)
        return compareKeys(restA.key, restB.key);
    const Head& headA = m_heads[a.head];
    const Head& headB = m_heads[b.head];
    const Piece pieceA = Piece::of(headA.record);
    const Piece pieceB = a.head == b.head ? pieceA : Piece::of(headB.record);
    const int primary = a.head == b.head ? compareKeys(restA.key, restB.key)
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

bool ListBox::entryLess(quint32 a, quint32 b) const
{
    const int order = compare(entry(a), entry(b));
    return order != 0 ? order < 0 : a < b;
}

// A head's key is always stored: heads are few, and the sort reads them most.
QByteArrayView ListBox::headKey(quint32 head) const
{
    const Key key = Piece::of(m_heads[head].record).key;
    Q_ASSERT(!key.isAsciiText);
    return key.bytes;
}

// Comparing whole texts would read the long shared heads over and over. Instead the heads
// are put in key order once; heads with equal keys form one node, and a node's key begins
// the keys of the nodes below it (its subfolders). The sorted list is a walk down that
// tree: at each node its own entries, sorted among themselves, are merged with the nodes
// right below it, each of which comes out whole where its key falls. An entry's rest holds
// no '\\', so it never falls inside a subfolder's run, and only primary keys decide there.
void ListBox::sortEntries()
{
    Q_ASSERT(m_order == Order::Sorted);
    const HeadTree tree = headTree();
    const Buckets byNode = entriesByNode(tree);
    writeInTreeOrder(tree, byNode);
}

// Step one: the nodes in key order, and each node's parent: the nearest node before it
// whose key begins its own. The tree's top is one node more, above all, with an empty key
// and no entries of its own.
ListBox::HeadTree ListBox::headTree() const
{
    const quint32 headCount = quint32(m_heads.size());
    // Read out of their records once: the sort looks at each key many times.
    std::vector<QByteArrayView> keys(headCount);
    for (quint32 head = 0; head < headCount; ++head)
        keys[head] = headKey(head);
    std::vector<quint32> byKey(headCount);
    std::iota(byKey.begin(), byKey.end(), quint32(0));
    std::sort(byKey.begin(), byKey.end(), [&keys](quint32 a, quint32 b) {
        const int order = compareBytes(keys[a], keys[b]);
        return order != 0 ? order < 0 : a < b;
    });

    HeadTree tree;
    tree.nodeOfHead.resize(headCount);
    for (const quint32 head : byKey) {
        const QByteArrayView key = keys[head];
        if (tree.nodeKey.empty() || key != tree.nodeKey.back())
            tree.nodeKey.push_back(key);
        tree.nodeOfHead[head] = quint32(tree.nodeKey.size() - 1);
    }
    tree.top = quint32(tree.nodeKey.size());
    tree.nodeKey.push_back(QByteArrayView());

    // The nodes whose keys begin the current one's form a chain from the top down; a node
    // hangs below the last of them.
    std::vector<quint32> parent(tree.top, tree.top);
    std::vector<quint32> open;
    for (quint32 node = 0; node < tree.top; ++node) {
        while (!open.empty() && !tree.nodeKey[node].startsWith(tree.nodeKey[open.back()]))
            open.pop_back();
        if (!open.empty())
            parent[node] = open.back();
        open.push_back(node);
    }
    tree.children = Buckets::of(tree.top, tree.top + 1, [&](quint32 node) { return parent[node]; });
    return tree;
}

// Step two: each node's entries together, sorted among themselves. The nodes' sorts touch
// nothing in common: on two processors a helper thread sorts the nodes that hold the first
// half of the entries while this one sorts the rest.
Buckets ListBox::entriesByNode(const HeadTree& tree) const
{
    Buckets byNode = Buckets::of(quint32(m_records.size()), tree.top + 1,
                                 [&](quint32 entry) { return tree.nodeOfHead[m_recordHeads[entry]]; });
    const auto halfway = std::lower_bound(byNode.start.begin(), byNode.start.begin() + tree.top,
                                          byNode.start[tree.top] / 2);
    const quint32 secondHalf = quint32(halfway - byNode.start.begin());
    HelperThread firstHalf;
    if (m_records.size() >= kEntriesWorthASecondSorter && Processors::usable() > 1)
        firstHalf.start("korvale-sort", [&] { sortNodes(byNode, 0, secondHalf); });
    sortNodes(byNode, firstHalf.joinable() ? secondHalf : 0, tree.top);
    firstHalf.join();
    return byNode;
}

void ListBox::sortNodes(Buckets& byNode, quint32 firstNode, quint32 endNode) const
{
    // Within a node the heads' keys are equal, so the first weights of the rests' keys
    // decide wherever they differ: taken once per entry as one number, they spare most
    // comparisons of whole keys. Numbers that agree say nothing, and the keys decide.
    struct Numbered {
        quint64 firstWeights;
        quint32 entry;
    };
    auto less = [this](const Numbered& a, const Numbered& b) {
        if (a.firstWeights != b.firstWeights)
            return a.firstWeights < b.firstWeights;
        return entryLess(a.entry, b.entry);
    };
    std::vector<Numbered> numbered;
    for (quint32 node = firstNode; node < endNode; ++node) {
        quint32* const first = byNode.items.get() + byNode.start[node];
        quint32* const last = byNode.items.get() + byNode.start[node + 1];
        if (last - first < 2)
            continue;
        numbered.clear();
        for (const quint32* entry = first; entry != last; ++entry)
            numbered.push_back({firstWeightsOf(Piece::of(m_records[*entry]).key), *entry});
        // A folder's files mostly arrive in order already.
        if (std::is_sorted(numbered.begin(), numbered.end(), less))
            continue;
        std::sort(numbered.begin(), numbered.end(), less);
        for (size_t i = 0; i < numbered.size(); ++i)
            first[i] = numbered[i].entry;
    }
}

// Step three: the walk down the tree from its top, writing the entries' numbers in their
// final order. At each node the next own entry and the next child node are
// compared by what follows the node's key; the smaller comes first.
void ListBox::writeInTreeOrder(const HeadTree& tree, const Buckets& byNode)
{
    // Emptied first: were its old room copied into a larger one, both would be held at once.
    m_rows.clear();
    m_rows.resize(m_records.size());
    struct Visit {
        quint32 node;
        quint32 nextEntry;
        quint32 nextChild;
    };
    const std::vector<quint32>& entryStart = byNode.start;
    const std::vector<quint32>& childStart = tree.children.start;
    std::vector<Visit> path{{tree.top, entryStart[tree.top], childStart[tree.top]}};
    size_t written = 0;
    while (!path.empty()) {
        Visit& visit = path.back();
        const bool entriesLeft = visit.nextEntry < entryStart[visit.node + 1];
        const bool childrenLeft = visit.nextChild < childStart[visit.node + 1];
        if (!entriesLeft && !childrenLeft) {
            path.pop_back();
            continue;
        }
        if (entriesLeft && childrenLeft) {
            const Key rest = Piece::of(m_records[byNode.items[visit.nextEntry]]).key;
            const quint32 child = tree.children.items[visit.nextChild];
            const Key childRest{tree.nodeKey[child].sliced(tree.nodeKey[visit.node].size())};
            if (compareKeys(rest, childRest) < 0) {
                m_rows[written++] = byNode.items[visit.nextEntry++];
                continue;
            }
        } else if (entriesLeft) {
            m_rows[written++] = byNode.items[visit.nextEntry++];
            continue;
        }
        const quint32 child = tree.children.items[visit.nextChild++];
        path.push_back({child, entryStart[child], childStart[child]});
    }
    Q_ASSERT(written == m_rows.size());
}

QString ListBox::textOf(const Entry& entry) const
{
    thread_local QByteArray joined;
    joinText(entry, joined);
    return NameCodec::decode(joined);
}

int ListBox::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_published);
}

QVariant ListBox::data(const QModelIndex& index, int role) const
{
    if ((role != Qt::DisplayRole && role != Qt::ToolTipRole)
        || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    return Windows1252::displayText(textOf(entryAtRow(index.row())));
}
