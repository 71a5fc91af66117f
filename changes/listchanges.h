#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// What differs between a list and the files found now: entries new since the list was
// written, and entries of the list no longer found. As with what a run leaves out, the
// first kKept of each kind are kept and the rest only counted, so a tree changed whole
// cannot fill the memory.
class ListChanges {
public:
    enum class Kind { New, Missing };
    struct Entry {
        // As the result list shows a path.
        QString shown;
        QByteArray hostPath;
    };

    static constexpr qsizetype kKept = 10000;

    // Counts an entry of kind; make is called only for one that is kept.
    void add(Kind kind, const std::function<Entry()>& make);
    qsizetype count(Kind kind) const { return m_count[index(kind)]; }
    const QList<Entry>& kept(Kind kind) const { return m_kept[index(kind)]; }
    bool isEmpty() const { return count(Kind::New) == 0 && count(Kind::Missing) == 0; }

    // "12 neu, 3 fehlen", "1 neu", "1 fehlt": the status line's note; empty for no change.
    QString note() const;
    // "neu", "fehlt": how a line of the command line names an entry of kind.
    static QString label(Kind kind);

private:
    static int index(Kind kind) { return kind == Kind::New ? 0 : 1; }

    QList<Entry> m_kept[2];
    qsizetype m_count[2] = {0, 0};
};
