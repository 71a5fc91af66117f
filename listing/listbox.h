#pragma once

#include "listing/buckets.h"
#include "listing/growingarray.h"
#include "listing/textarena.h"
#include "walk/hostnames.h"

#include <QAbstractListModel>

#include <string>
#include <vector>

// A list box: entries added at the end or, in a sorted list box, kept in German
// alphabetical order (see GermanCollation), equal entries in the order of adding.
//
// Adding is cheap: entries are stored compactly with their sort key, and a sorted list
// box sorts once, when it is next read. Views learn of new entries at that read too
// (ListCount or List), so a run that adds a million entries tells them once.
class ListBox : public QAbstractListModel {
    Q_OBJECT

public:
    enum class Order { AsAdded, Sorted };

    explicit ListBox(Order order, QObject* parent = nullptr);

    void Clear();
    void AddItem(QStringView text);
    // Adds head followed by each name, as AddItem would one by one: the files of one
    // folder. head ends in '\' and no name holds one.
    void addItems(QStringView head, const HostNames& names);
    // Both read the list, so a sorted list box sorts what was added since, and views learn
    // of it: not const, and the first read after many additions is no cheap one.
    qsizetype ListCount();
    QString List(qsizetype index);

    // An entry's text in NameCodec's encoding, in two pieces: the part up to its last '\',
    // which the entries of one folder share (they have the same head number), and the
    // rest. Lets a writer that needs bytes skip building a QString per entry and look at
    // a shared part once. The views hold until the list changes.
    struct EncodedItem {
        quint32 head = 0;
        QByteArrayView headText;
        QByteArrayView rest;
        bool restIsAscii = false; // as known without looking at it
    };
    EncodedItem encodedItem(qsizetype index);
    // The bytes of all entries' texts in that encoding: no fewer than a list file of them
    // takes without its line ends, as no character is written in more bytes than stored.
    qint64 storedTextBytes() const { return m_storedTextBytes; }
    // Every entry as a view shows it, one per line: what a person copies of the whole list.
    // Built piece by piece into one text, so a million entries take a moment, not minutes.
    QString shownLines();
    // The rows of the longest entries (see LongestRows), by the length of their text.
    QList<int> longestRows();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // From this many entries a sort takes a second processor where there is one: below,
    // starting a thread costs more than it saves.
    static constexpr size_t kEntriesWorthASecondSorter = 20000;

private:
    // Entries that share their text up to its last '\' (the files of one folder) share
    // that head, stored once with its sort key; an entry stores only the rest. Each piece
    // is one record in the arena: its lengths, primary key, accent weights and text; a
    // name of ASCII characters alone (most of them) is its own key and stores no other.
    struct Head {
        const char* record;
        quint32 weights; // primary weights in its key: where the rest's accent weights go on
    };
    // An entry as read back: its rest's record and its head. Entries are kept in the order
    // of adding and known by their number in it, which decides between equal entries.
    struct Entry {
        const char* record;
        quint32 head;
    };

    void useHead(QStringView head);
    void appendEntry(const char* record);
    const char* storePiece(QStringView text);
    const char* storeHostPiece(QByteArrayView name, bool isAscii);
    const char* storeRecord(TextArena& arena, QByteArrayView text);
    const char* storeOwnKeyRecord(QByteArrayView text);
    QByteArrayView headKey(quint32 head) const;
    int compare(const Entry& a, const Entry& b) const;
    bool entryLess(quint32 a, quint32 b) const;
    Entry entry(quint32 number) const { return {m_records[number], m_recordHeads[number]}; }
    Entry entryAtRow(qsizetype row) const;
    void joinText(const Entry& entry, QByteArray& out) const;
    void publish();

    // The folders of the list as a tree, for sorting: nodes are the heads' keys in key
    // order, each key once, and a node's parent the nearest node whose key begins its own.
    struct HeadTree {
        std::vector<QByteArrayView> nodeKey; // the last node is the top: empty key, no entries
        std::vector<quint32> nodeOfHead;
        Buckets children; // of each node, in key order; bucket top holds the top's
        quint32 top = 0;
    };
    void sortEntries();
    HeadTree headTree() const;
    Buckets entriesByNode(const HeadTree& tree) const;
    void sortNodes(Buckets& byNode, quint32 firstNode, quint32 endNode) const;
    void writeInTreeOrder(const HeadTree& tree, const Buckets& byNode);
    QString textOf(const Entry& entry) const;

    Order m_order;
    TextArena m_arena;
    // The heads' records apart from the entries': the sort reads the heads' keys over and
    // over, and finds them side by side there instead of one in every few pages.
    TextArena m_headArena;
    std::vector<Head> m_heads;
    QString m_lastHead; // the text of m_heads.back()
    // An entry's two parts in arrays of their own: together they would take a third more
    // room, their padding included.
    GrowingArray<const char*> m_records;
    GrowingArray<quint32> m_recordHeads;
    // A sorted list box's entries in their order, by number; empty for the other kind.
    std::vector<quint32> m_rows;
    qint64 m_storedTextBytes = 0;
    qsizetype m_published = 0;
    // Reused from piece to piece, so adding allocates nothing of its own.
    std::string m_key;
    std::string m_accents;
    QByteArray m_encoded;
};
