#include "drives/rememberedletters.h"

#include <algorithm>

bool RememberedLetters::isVolumeLetter(QChar letter) { return letter >= u'D' && letter <= u'Y'; }

bool RememberedLetters::remember(QChar letter, const Volume& volume)
{
    const std::optional<QChar> held = letterOf(volume.identity);
    if (!isVolumeLetter(letter) || volume.identity.isEmpty() || (held && *held != letter))
        return false;
    m_volumes.insert(letter, volume);
    return true;
}

void RememberedLetters::setLastMounted(QChar letter, QDate day)
{
    if (const auto found = m_volumes.find(letter); found != m_volumes.end())
        found->lastMounted = day;
}

const RememberedLetters::Volume* RememberedLetters::volumeOf(QChar letter) const
{
    const auto found = m_volumes.constFind(letter);
    return found == m_volumes.cend() ? nullptr : &*found;
}

std::optional<QChar> RememberedLetters::letterOf(QStringView identity) const
{
    for (auto it = m_volumes.cbegin(); it != m_volumes.cend(); ++it) {
        if (it->identity == identity)
            return it.key();
    }
    return std::nullopt;
}

RememberedLetters RememberedLetters::merged(const RememberedLetters& read, const RememberedLetters& now,
                                            const RememberedLetters& inFile)
{
    RememberedLetters result = inFile;
    for (auto it = now.m_volumes.cbegin(); it != now.m_volumes.cend(); ++it) {
        const QChar letter = it.key();
        const Volume* wasRead = read.volumeOf(letter);
        const Volume* there = inFile.volumeOf(letter);
        if (there && there->identity == it->identity) {
            result.setLastMounted(letter, std::max(there->lastMounted, it->lastMounted));
            continue;
        }
        // Read and not there now: a person deleted the line, and the volume is forgotten.
        if (wasRead && wasRead->identity == it->identity)
            continue;
        // Given this session, in place of nothing or of what the file still holds; where
        // someone else gave the letter, or the volume another letter, meanwhile, theirs stays.
        if ((there && !(wasRead && there->identity == wasRead->identity)) || inFile.letterOf(it->identity))
            continue;
        result.m_volumes.insert(letter, *it);
    }
    return result;
}
