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
    // An entry's text in NameCodec's encoding, as stored: lets a writer that needs bytes
    // skip building a QString per entry.
    QByteArrayView encodedItem(qsizetype index);
    bool isSorted() const { return m_order == Order::Sorted; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    struct Entry {
        const char* bytes;    // the sort key, then the text (NameCodec's encoding)
        quint32 keyLength;
        quint32 textLength;
    };

    void publish();
    void sortNewEntries();
    QString textOf(const Entry& entry) const;

    Order m_order;
    TextArena m_arena;
    std::vector<Entry> m_entries;
    qsizetype m_published = 0;
};
