#include "walk/hostnames.h"

#include "text/namecodec.h"

QByteArrayView HostNames::at(qsizetype index) const
{
    const Piece& piece = m_pieces[index];
    return QByteArrayView(m_block.constData() + piece.start, piece.length);
}

QString HostNames::decoded(qsizetype index) const
{
    const QByteArrayView name = at(index);
    return NameCodec::decode(name.data(), name.size());
}

HostNames HostNames::selected(const std::function<bool(qsizetype)>& keep) const
{
    QList<Piece> kept;
    for (qsizetype i = 0; i < size(); ++i) {
        if (keep(i))
            kept.append(m_pieces[i]);
    }
    return HostNames(m_block, std::move(kept));
}
