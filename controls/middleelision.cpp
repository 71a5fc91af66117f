#include "controls/middleelision.h"

#include <QList>

namespace {

// One shortenable piece: where it stands in the text and how far it has been shortened.
struct Piece {
    qsizetype start;
    QString original;
    QStringList folders;   // its path pieces, split at '\'
    qsizetype keptFolders; // how many of them are still shown
    QString shown;
    bool exhausted = false;
};

Piece pieceAt(qsizetype start, const QString& original)
{
    const QStringList folders = original.split(u'\\');
    return {start, original, folders, folders.size(), original};
}

QList<Piece> locate(const QString& text, const QStringList& shortenable)
{
    QList<Piece> pieces;
    qsizetype from = 0;
    for (const QString& wanted : shortenable) {
        const qsizetype at = wanted.isEmpty() ? -1 : text.indexOf(wanted, from);
        if (at < 0)
            continue;
        pieces.append(pieceAt(at, wanted));
        from = at + wanted.size();
    }
    if (pieces.isEmpty())
        pieces.append(pieceAt(0, text));
    return pieces;
}

QString assemble(const QString& text, const QList<Piece>& pieces)
{
    QString out;
    qsizetype from = 0;
    for (const Piece& piece : pieces) {
        out += QStringView(text).sliced(from, piece.start - from);
        out += piece.shown;
        from = piece.start + piece.original.size();
    }
    out += QStringView(text).sliced(from);
    return out;
}

// The path with `kept` of its pieces: the first half (rounded up) from its start, the rest
// from its end, "..." for those between.
QString withoutMiddleFolders(const QStringList& folders, qsizetype kept)
{
    const qsizetype tail = kept / 2;
    return folders.first(kept - tail).join(u'\\') + u'\\' + MiddleElision::kEllipsis + u'\\'
        + folders.last(tail).join(u'\\');
}

QString withoutMiddleLetters(const QString& text, qsizetype kept)
{
    const qsizetype tail = kept / 2;
    return text.first(kept - tail) + MiddleElision::kEllipsis + text.last(tail);
}

// The most letters of `part` (the end of piece.shown from `from` on) that, taken out of
// its middle, let the text fit; false when not even "..." does.
bool shortenLetters(const QString& text, QList<Piece>& pieces, Piece& piece, qsizetype from,
                    const MiddleElision::Fits& fits)
{
    const QString before = piece.shown;
    const QString part = before.sliced(from);
    auto fitsKeeping = [&](qsizetype kept) {
        piece.shown = before.first(from) + withoutMiddleLetters(part, kept);
        return fits(assemble(text, pieces));
    };
    qsizetype low = -1; // the most letters known to fit; -1: none known
    qsizetype high = part.size() - qsizetype(MiddleElision::kEllipsis.size()) - 1;
    while (low < high) {
        const qsizetype middle = (low + high + 1) / 2;
        if (fitsKeeping(middle))
            low = middle;
        else
            high = middle - 1;
    }
    piece.shown = low >= 0 ? before.first(from) + withoutMiddleLetters(part, low) : before;
    return low >= 0;
}

// Shortens piece by its next whole folder, or else by as few letters as make the text fit:
// from its last folder while the folders before it are left out, then from all of it.
// True when the text fits now.
bool shortenOnce(const QString& text, QList<Piece>& pieces, Piece& piece, const MiddleElision::Fits& fits)
{
    // Whole folders go first, while at least the first and the last are left.
    if (piece.keptFolders > 2) {
        --piece.keptFolders;
        piece.shown = withoutMiddleFolders(piece.folders, piece.keptFolders);
        return fits(assemble(text, pieces));
    }
    piece.exhausted = true;
    if (piece.keptFolders < piece.folders.size()
        && shortenLetters(text, pieces, piece, piece.shown.size() - piece.folders.last().size(), fits))
        return true;
    if (shortenLetters(text, pieces, piece, 0, fits))
        return true;
    if (piece.shown.size() > qsizetype(MiddleElision::kEllipsis.size()))
        piece.shown = MiddleElision::kEllipsis;
    return fits(assemble(text, pieces));
}

} // namespace

namespace MiddleElision {

QString fit(const QString& text, const QStringList& shortenable, const Fits& fits)
{
    if (fits(text))
        return text;
    QList<Piece> pieces = locate(text, shortenable);
    for (;;) {
        Piece* longest = nullptr;
        for (Piece& piece : pieces) {
            if (!piece.exhausted && (!longest || piece.shown.size() > longest->shown.size()))
                longest = &piece;
        }
        if (!longest || shortenOnce(text, pieces, *longest, fits))
            return assemble(text, pieces);
    }
}

} // namespace MiddleElision
