#pragma once

#include <QChar>
#include <QDate>
#include <QMap>
#include <QString>

#include <optional>

// The letters volumes had before, so that a volume gets its letter again whenever it is
// mounted: by letter (D: to Y:), the volume's identity (see VolumeIdentity) and the last day
// it was seen mounted. One letter per volume and one volume per letter. Where they are kept
// between runs is for the caller to say: nothing here reads or writes a file.
class RememberedLetters {
public:
    struct Volume {
        QString identity;
        QDate lastMounted; // null where it is not known: as long ago as can be
        friend bool operator==(const Volume&, const Volume&) = default;
    };

    // D: to Y:, the letters a volume can have; C: and Z: never change hands.
    static bool isVolumeLetter(QChar letter);

    // Gives the letter to the volume, in place of any it held before. False, and nothing
    // changed, for a letter outside D: to Y:, an empty identity, or a volume another letter
    // holds.
    bool remember(QChar letter, const Volume& volume);
    void setLastMounted(QChar letter, QDate day);

    const Volume* volumeOf(QChar letter) const;
    std::optional<QChar> letterOf(QStringView identity) const;
    const QMap<QChar, Volume>& volumes() const { return m_volumes; }

    // What a session that read `read` and holds `now` leaves in a file that holds `inFile`
    // now: what others wrote since stays (another window's letters, a line a person
    // deleted), and what this session learnt is added where it takes nothing from them.
    static RememberedLetters merged(const RememberedLetters& read, const RememberedLetters& now,
                                    const RememberedLetters& inFile);

    friend bool operator==(const RememberedLetters&, const RememberedLetters&) = default;

private:
    QMap<QChar, Volume> m_volumes;
};
