#include "mainwindow/middleelision.h"

#include <QList>

namespace {

// One shortenable piece: where it stands in the text and how far it has been shortened.
struct Piece {
    qsizetype start;
    QString original;
    QString shown;
    QStringList folders;  // its path pieces, split at '\'
    qsizetype keptFolders; // how many of them are still shown
    bool exhausted = false;
};

QList<Piece> locate(const QString& text, const QStringList& shortenable)
{
    QList<Piece> pieces;
    qsizetype from = 0;
    for (const QString& wanted : shortenable) {
        if (wanted.isEmpty())
            continue;
        const qsizetype at = text.indexOf(wanted, from);
        if (at < 0)
            continue;
        pieces.append({at, wanted, wanted, wanted.split(u'\\'), 0});
        pieces.back().keptFolders = pieces.back().folders.size();
        from = at + wanted.size();
    }
    if (pieces.isEmpty()) {
        pieces.append({0, text, text, text.split(u'\\'), 0});
        pieces.back().keptFolders = pieces.back().folders.size();
    }
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
    const qsizetype head = kept - tail;
    return folders.first(head).join(u'\\') + u'\\' + MiddleElision::kEllipsis + u'\\'
        + folders.last(tail).join(u'\\');
}

// The most of text's letters, half from each end around "...", that fit in width.
QString withoutMiddleLetters(const QString& text, qreal width, const MiddleElision::Measure& measure)
{
    auto shortened = [&text](qsizetype kept) {
        const qsizetype tail = kept / 2;
        return text.first(kept - tail) + MiddleElision::kEllipsis + text.last(tail);
    };
    qsizetype low = 0;
    qsizetype high = text.size() - 1;
    while (low < high) {
        const qsizetype middle = (low + high + 1) / 2;
        if (measure(shortened(middle)) <= width)
            low = middle;
        else
            high = middle - 1;
    }
    return shortened(low);
}

void shortenOnce(Piece& piece, qreal excess, const MiddleElision::Measure& measure)
{
    // Whole folders go first, while at least the first and the last are left.
    if (piece.keptFolders > 2) {
        --piece.keptFolders;
        piece.shown = withoutMiddleFolders(piece.folders, piece.keptFolders);
        return;
    }
    const QString shorter = withoutMiddleLetters(piece.shown, measure(piece.shown) - excess, measure);
    if (shorter.size() >= piece.shown.size()) {
        piece.exhausted = true;
        return;
    }
    piece.shown = shorter;
    piece.exhausted = piece.shown.size() <= MiddleElision::kEllipsis.size();
}

} // namespace

namespace MiddleElision {

QString fit(const QString& text, const QStringList& shortenable, qreal width, const Measure& measure)
{
    if (measure(text) <= width)
        return text;
    QList<Piece> pieces = locate(text, shortenable);
    QString shown = text;
    for (;;) {
        Piece* widest = nullptr;
        qreal widestWidth = -1;
        for (Piece& piece : pieces) {
            const qreal pieceWidth = measure(piece.shown);
            if (!piece.exhausted && pieceWidth > widestWidth) {
                widest = &piece;
                widestWidth = pieceWidth;
            }
        }
        if (!widest)
            return shown;
        shortenOnce(*widest, measure(shown) - width, measure);
        shown = assemble(text, pieces);
        if (measure(shown) <= width)
            return shown;
    }
}

} // namespace MiddleElision
