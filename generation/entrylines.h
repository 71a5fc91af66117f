#pragma once

#include "listing/listbox.h"
#include "text/namecodec.h"

#include <QByteArray>

// Makes the list file's lines from the result list's entries, in Windows-1252 with CR LF.
// The entries of one folder mostly follow one another and share the head of their text, up
// to its last '\': it is written into the code page once for each such run. (No character
// composes across a '\', so converting head and rest apart gives the bytes of the whole
// text.)
class EntryLines {
public:
    static constexpr char kLineEnd[] = "\r\n";
    static constexpr qsizetype kLineEndLength = sizeof kLineEnd - 1;

    // Appends the entry's line to out, which takes append(data, size): the chunk being
    // made, or a count of its bytes. True when a character had to be replaced.
    template <typename Out>
    bool append(const ListBox::EncodedItem& entry, Out& out)
    {
        if (!m_headKnown || entry.head != m_head) {
            m_headKnown = true;
            m_head = entry.head;
            m_headLine.truncate(0); // keeps its room, unlike clear()
            m_headReplaced = appendInCodePage(entry.headText, m_headLine);
        }
        out.append(m_headLine.constData(), size_t(m_headLine.size()));
        bool restReplaced = false;
        if (entry.restIsAscii || NameCodec::isAscii(entry.rest)) {
            out.append(entry.rest.data(), size_t(entry.rest.size()));
        } else {
            m_restLine.truncate(0);
            restReplaced = appendInCodePage(entry.rest, m_restLine);
            out.append(m_restLine.constData(), size_t(m_restLine.size()));
        }
        out.append(kLineEnd, size_t(kLineEndLength));
        return m_headReplaced || restReplaced;
    }

private:
    // Stored text in the list file's code page: ASCII as it is, anything else decoded and
    // written character by character. True when a character had to be replaced.
    static bool appendInCodePage(QByteArrayView stored, QByteArray& out);

    bool m_headKnown = false;
    quint32 m_head = 0;
    QByteArray m_headLine;
    bool m_headReplaced = false;
    QByteArray m_restLine;
};
