#include "listing/listbox.h"

#include "listing/germancollation.h"
#include "platform/namecodec.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

bool keyLess(const char* a, quint32 aLength, const char* b, quint32 bLength)
{
    const int common = std::memcmp(a, b, std::min(aLength, bLength));
    return common != 0 ? common < 0 : aLength < bLength;
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
    m_arena.clear();
    m_published = 0;
    endResetModel();
}

void ListBox::AddItem(QStringView text)
{
    // One buffer, reused, so adding allocates nothing of its own.
    thread_local std::string record;
    record.clear();
    if (m_order == Order::Sorted)
        GermanCollation::appendSortKey(text, record);
    const size_t keyLength = record.size();
    thread_local QByteArray encoded;
    encoded.truncate(0); // keeps its room, unlike clear()
    NameCodec::appendEncoded(text, encoded);
    record.append(encoded.constData(), size_t(encoded.size()));
    const char* stored = m_arena.store(record.data(), qsizetype(record.size()));
    m_entries.push_back({stored, quint32(keyLength), quint32(record.size() - keyLength)});
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
    const Entry& entry = m_entries[size_t(index)];
    return QByteArrayView(entry.bytes + entry.keyLength, qsizetype(entry.textLength));
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

// The entries up to m_published are in order; sort the rest and merge them in. Both
// steps are stable, so equal entries keep the order of adding.
void ListBox::sortNewEntries()
{
    auto less = [](const Entry& a, const Entry& b) {
        return keyLess(a.bytes, a.keyLength, b.bytes, b.keyLength);
    };
    const auto firstNew = m_entries.begin() + m_published;
    std::stable_sort(firstNew, m_entries.end(), less);
    std::inplace_merge(m_entries.begin(), firstNew, m_entries.end(), less);
}

QString ListBox::textOf(const Entry& entry) const
{
    return NameCodec::decode(entry.bytes + entry.keyLength, qsizetype(entry.textLength));
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
