#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Which entries a run left out of the list or had to change in it, each by its host path:
// the status line says how many, this says which. The first kKept are kept, the rest only
// counted, so that a tree of a million bad names cannot fill the memory.
class LeftOutEntries {
public:
    enum class Kind { Unreadable, NameLeftOut, CharactersReplaced, LinkNotFollowed };
    struct Entry {
        Kind kind;
        QByteArray hostPath;
    };

    static constexpr qsizetype kKept = 10000;

    void add(Kind kind, QByteArray hostPath);
    const QList<Entry>& kept() const { return m_kept; }
    // Entries beyond the first kKept.
    qsizetype notKept() const { return m_notKept; }
    bool isEmpty() const { return m_kept.isEmpty(); }
    // Counts entries that are not even looked at, beyond those kept.
    void countNotKept(qsizetype count) { m_notKept += count; }

    // "nicht lesbar", as a line names the kind.
    static QString label(Kind kind);
    // A host path on one line: '\' doubled, a line break and any other control character
    // written as an escape ("\n", "\x1b"), every other byte as it is.
    static QByteArray oneLine(QByteArrayView hostPath);
    // "nicht lesbar: /home/anna/privat", as the command line and the window show an entry.
    static QByteArray lineOf(const Entry& entry);
    // What a list that ends early says of the rest.
    static QString notKeptText(qsizetype count);

private:
    QList<Entry> m_kept;
    qsizetype m_notKept = 0;
};
