#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// What differs between a list and the files found now: entries new since the list was
// written, and entries of the list no longer found. As with what a run leaves out, the
// first kKept of each kind are kept and the rest only counted, so a tree changed whole
// cannot fill the memory.
//
// A run that compares its list is to take no more memory than one that does not. So a new
// entry is kept by its row in the result list, which holds its path already, and named
// only when asked; and the texts of those kept named stand end to end in one block per
// kind, where a QString and a QByteArray of their own took twice the room.
class ListChanges {
public:
    enum class Kind { New, Missing };
    struct Entry {
        // As the result list shows a path.
        QString shown;
        QByteArray hostPath;
    };
    // A new entry's name by its row; nothing where its list is gone.
    using RowNamer = std::function<std::optional<Entry>(qsizetype row)>;

    static constexpr qsizetype kKept = 10000;

    // Counts an entry of kind; make is called only for one that is kept.
    void add(Kind kind, const std::function<Entry()>& make);
    // Counts a new entry, kept by its row where it is one to keep.
    void addRow(qsizetype row);
    void nameRowsBy(RowNamer namer) { m_nameRow = std::move(namer); }
    // Names the rows kept now: their list goes before anyone asks.
    void nameRows();

    qsizetype count(Kind kind) const { return m_count[index(kind)]; }
    qsizetype keptCount(Kind kind) const;
    // Those kept, in the order they were kept: named ones first, then rows.
    QList<Entry> kept(Kind kind) const;
    bool isEmpty() const { return count(Kind::New) == 0 && count(Kind::Missing) == 0; }

    // "12 neu, 3 fehlen", "1 neu", "1 fehlt": the status line's note; empty for no change.
    QString note() const;
    // "neu", "fehlt": how a line of the command line names an entry of kind.
    static QString label(Kind kind);

private:
    static int index(Kind kind) { return kind == Kind::New ? 0 : 1; }
    bool tally(Kind kind) { return m_count[index(kind)]++ < kKept; }
    void keep(Kind kind, const Entry& entry);
    void forEachNamedRow(const std::function<void(const Entry&)>& each) const;

    // Each entry's shown text as NameCodec encodes it (a path read from a name that does not
    // decode keeps its bytes), then its host path; ends tells where each ends.
    struct Texts {
        QByteArray bytes;
        std::vector<qsizetype> ends;
    };
    Texts m_kept[2];
    std::vector<qsizetype> m_newRows;
    RowNamer m_nameRow;
    qsizetype m_count[2] = {0, 0};
};
