#pragma once

#include "listing/textarena.h"

#include <QAbstractListModel>

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
    qsizetype ListCount();
    QString List(qsizetype index);
    // An entry's text in NameCodec's encoding: lets a writer that needs bytes skip
    // building a QString per entry. The view holds until the next call.
    QByteArrayView encodedItem(qsizetype index);
    bool isSorted() const { return m_order == Order::Sorted; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    // Entries that share their text up to its last '\' (the files of one folder) share
    // that head, stored once with its sort key; an entry stores only the rest. Each piece
    // is one record in the arena: its lengths, primary key, accent weights and text.
    struct Head {
        const char* record;
        quint32 weights; // primary weights in its key: where the rest's accent weights go on
    };
    struct Entry {
        const char* record;
        quint32 head;
        quint32 sequence; // the order of adding, which decides between equal entries
    };

    const char* storePiece(QStringView text, quint32* weights);
    QByteArrayView headKey(quint32 head) const;
    int compare(const Entry& a, const Entry& b) const;
    bool entryLess(const Entry& a, const Entry& b) const;
    void joinText(const Entry& entry, QByteArray& out) const;
    void publish();
    void sortEntries();
    QString textOf(const Entry& entry) const;

    Order m_order;
    TextArena m_arena;
    std::vector<Head> m_heads;
    QString m_lastHead; // the text of m_heads.back()
    std::vector<Entry> m_entries;
    QByteArray m_encodedItem;
    qsizetype m_published = 0;
};
