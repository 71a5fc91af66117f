#include "options/driveletterstore.h"

#include "options/optionstore.h"
#include "options/settingsreport.h"

#include <QStringList>

#include <algorithm>

namespace {

using Entry = SettingsStore::Entry;
using Volume = RememberedLetters::Volume;

const QString kDayFormat = QStringLiteral("yyyy-MM-dd");

// What a section held, and what of it could not be used.
struct Reading {
    RememberedLetters letters;
    int unsound = 0;     // no identity to make out
    int notALetter = 0;  // a key other than D to Y
    int twice = 0;       // a letter, or a volume, that stands more than once
    int skipped() const { return unsound + notALetter + twice; }
};

// "E", or "E:" as a person may write it, in either case.
std::optional<QChar> letterOfKey(const QString& key)
{
    const QString letter = key.endsWith(u':') ? key.chopped(1) : key;
    if (letter.size() != 1)
        return std::nullopt;
    const QChar upper = letter[0].toUpper();
    return RememberedLetters::isVolumeLetter(upper) ? std::optional(upper) : std::nullopt;
}

// Where a letter stands twice the last line counts, as for any key of the file; where a
// volume stands under two letters, the first letter keeps it.
Reading readSection(const QList<Entry>& entries)
{
    Reading reading;
    QMap<QChar, QString> lastValue;
    for (const auto& [key, value] : entries) {
        const std::optional<QChar> letter = letterOfKey(key);
        if (!letter)
            ++reading.notALetter;
        else if (lastValue.contains(*letter))
            ++reading.twice;
        if (letter)
            lastValue.insert(*letter, value);
    }
    for (auto it = lastValue.cbegin(); it != lastValue.cend(); ++it) {
        const std::optional<Volume> volume = DriveLetterStore::volumeOf(it.value());
        if (!volume)
            ++reading.unsound;
        else if (!reading.letters.remember(it.key(), *volume))
            ++reading.twice;
    }
    return reading;
}

QList<Entry> entriesOf(const RememberedLetters& letters)
{
    QList<Entry> entries;
    for (auto it = letters.volumes().cbegin(); it != letters.volumes().cend(); ++it)
        entries.append({QString(it.key()), DriveLetterStore::valueOf(*it)});
    return entries;
}

QString countsOf(const Reading& reading)
{
    QStringList parts;
    if (reading.unsound > 0)
        parts << QStringLiteral("%1 ohne erkennbaren Datenträger").arg(reading.unsound);
    if (reading.notALetter > 0)
        parts << QStringLiteral("%1 mit einem anderen Schlüssel als D bis Y").arg(reading.notALetter);
    if (reading.twice > 0)
        parts << QStringLiteral("%1 doppelt").arg(reading.twice);
    return parts.join(QStringLiteral(", "));
}

// A volume this session met for the first time: the command line keeps nothing else.
bool learntAVolume(const RememberedLetters& read, const RememberedLetters& now)
{
    const QList<Volume> volumes = now.volumes().values();
    return std::any_of(volumes.cbegin(), volumes.cend(),
                       [&](const Volume& volume) { return !read.letterOf(volume.identity); });
}

} // namespace

const QString DriveLetterStore::kSection = QStringLiteral("Laufwerke");

DriveLetterStore::DriveLetterStore(SettingsStore& store)
    : m_store(store)
{
}

RememberedLetters DriveLetterStore::restore()
{
    const Reading reading = readSection(m_store.sectionEntries(OptionStore::kApplication, kSection));
    const qsizetype headers = m_store.sectionHeaderCount(OptionStore::kApplication, kSection);
    const QString fileName = m_store.fileName(OptionStore::kApplication);
    if (reading.skipped() > 0) {
        qCWarning(optionsLog).nospace() << "Im Abschnitt [Laufwerke] von " << fileName << " wurden "
                                        << reading.skipped() << " Zeilen übergangen ("
                                        << qUtf8Printable(countsOf(reading)) << "); es gelten die übrigen.";
    }
    if (headers > 1) {
        qCWarning(optionsLog).nospace() << "Der Abschnitt [Laufwerke] steht " << headers << "-mal in " << fileName
                                        << "; seine Zeilen gelten zusammen.";
    }
    return reading.letters;
}

SettingsStore::SectionChange DriveLetterStore::change(const RememberedLetters& read, const RememberedLetters& now)
{
    SettingsStore::SectionChange change{kSection, {}, {}};
    if (now == read)
        return change;
    change.rewrite = [read, now](const QList<Entry>& inFile) {
        return entriesOf(RememberedLetters::merged(read, now, readSection(inFile).letters));
    };
    return change;
}

bool DriveLetterStore::saveNewVolumes(const RememberedLetters& read, const RememberedLetters& now)
{
    if (!learntAVolume(read, now))
        return true;
    const SettingsStore::SaveResult result = m_store.SaveSettings(OptionStore::kApplication, {change(read, now)});
    return SettingsReport::said("Die Laufwerksbuchstaben", m_store.fileName(OptionStore::kApplication), result);
}

QString DriveLetterStore::valueOf(const Volume& volume)
{
    return volume.lastMounted.isValid() ? volume.identity + u';' + volume.lastMounted.toString(kDayFormat)
                                        : volume.identity;
}

// The day is what follows the last ';' where that is a day; a line without one is a
// volume seen no one knows when.
std::optional<Volume> DriveLetterStore::volumeOf(const QString& value)
{
    static const QStringList kinds = {QStringLiteral("uuid"), QStringLiteral("label"), QStringLiteral("source"),
                                      QStringLiteral("share"), QStringLiteral("path")};
    Volume volume{value, {}};
    if (const qsizetype semicolon = value.lastIndexOf(u';'); semicolon >= 0) {
        const QDate day = QDate::fromString(value.sliced(semicolon + 1), kDayFormat);
        if (day.isValid())
            volume = {value.first(semicolon), day};
    }
    const qsizetype colon = volume.identity.indexOf(u':');
    if (colon <= 0 || colon + 1 == volume.identity.size() || !kinds.contains(volume.identity.first(colon)))
        return std::nullopt;
    return volume;
}
