#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <functional>

// Names as the host gives them (bytes, mostly UTF-8), each a piece of one shared block of
// bytes: a folder of a thousand files costs a few allocations instead of a thousand,
// copies and selections share the block, and a name reaches the list file without being
// decoded and encoded again.
class HostNames {
public:
    struct Piece {
        quint32 start;
        quint32 length : 31;
        // Known to be ASCII throughout, as the folder's read found while it looked at each
        // name anyway: such a name is its own text, and nothing need look at it again.
        quint32 ascii : 1;
    };
    // A name's length fits beside that mark; the kernel hands out none longer than 255.
    static constexpr quint32 kLongestName = (quint32(1) << 31) - 1;

    HostNames() = default;
    // The names are these pieces of block, in this order.
    HostNames(QByteArray block, QList<Piece> pieces)
        : m_block(std::move(block))
        , m_pieces(std::move(pieces))
    {
    }

    qsizetype size() const { return m_pieces.size(); }
    bool isEmpty() const { return m_pieces.isEmpty(); }
    QByteArrayView at(qsizetype index) const;
    bool isAscii(qsizetype index) const { return m_pieces[index].ascii; }
    // The name as text, each byte that is not UTF-8 kept as NameCodec keeps it.
    QString decoded(qsizetype index) const;

    // The names that keep takes (by position), in their order.
    HostNames selected(const std::function<bool(qsizetype)>& keep) const;

private:
    QByteArray m_block;
    QList<Piece> m_pieces;
};
