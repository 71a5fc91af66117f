#include "generation/entrylines.h"

#include "text/namecodec.h"
#include "text/windows1252.h"

bool EntryLines::appendInCodePage(QByteArrayView stored, QByteArray& out)
{
    if (NameCodec::isAscii(stored)) {
        out.append(stored);
        return false;
    }
    return Windows1252::append(NameCodec::decode(stored.data(), stored.size()), out) > 0;
}
