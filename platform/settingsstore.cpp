#include "platform/settingsstore.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>

#include <algorithm>

namespace {

// The name as the file spells it: the same spelling if present, else one differing only in
// letter case.
std::optional<QString> spellingIn(const QStringList& names, const QString& name)
{
    if (names.contains(name))
        return name;
    for (const QString& candidate : names) {
        if (candidate.compare(name, Qt::CaseInsensitive) == 0)
            return candidate;
    }
    return std::nullopt;
}

bool isBlank(QChar ch) { return ch == u' ' || ch == u'\t'; }

int digitValue(char ch, int base)
{
    int value = base;
    if (ch >= '0' && ch <= '9')
        value = ch - '0';
    else if (ch >= 'a' && ch <= 'f')
        value = ch - 'a' + 10;
    else if (ch >= 'A' && ch <= 'F')
        value = ch - 'A' + 10;
    return value < base ? value : -1;
}

// One backslash escape of an INI value, read the way QSettings reads it; i is just past the
// backslash. Returns the position after the escape.
qsizetype appendEscape(QByteArrayView data, qsizetype i, QString& text)
{
    static constexpr std::pair<char, char> simpleEscapes[] = {
        {'a', '\a'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'}, {'r', '\r'}, {'t', '\t'},
        {'v', '\v'}, {'"', '"'}, {'?', '?'}, {'\'', '\''}, {'\\', '\\'},
    };
    if (i >= data.size())
        return i;
    const char ch = data[i++];
    for (const auto& [code, value] : simpleEscapes) {
        if (ch == code) {
            text += QLatin1Char(value);
            return i;
        }
    }
    if (ch == 'x' || digitValue(ch, 8) >= 0) {
        const int base = ch == 'x' ? 16 : 8;
        if (base == 8)
            --i;
        quint32 value = 0;
        const qsizetype first = i;
        for (; i < data.size() && digitValue(data[i], base) >= 0; ++i)
            value = value * base + quint32(digitValue(data[i], base));
        if (i > first)
            text += QChar(char16_t(value));
        return i;
    }
    // A backslash at the end of a line continues the value on the next; any other escaped
    // character is dropped.
    if ((ch == '\n' || ch == '\r') && i < data.size() && (data[i] == '\n' || data[i] == '\r') && data[i] != ch)
        ++i;
    return i;
}

struct ValueText {
    QString text;
    qsizetype end; // where the value stopped: its line break, its ';' or the end of the data
};

// An INI value from position i on, with quotes and escapes resolved as QSettings resolves
// them, except that a comma is an ordinary character: QSettings would split an unquoted
// "Liste, neu.txt" into a list, but a person who writes it means that one text. The value
// ends at an unquoted line break or ';'. Blanks around it count only when quoted or escaped.
ValueText unescapedValue(QByteArrayView data, qsizetype i)
{
    QString text;
    QByteArray pending;
    qsizetype kept = 0;
    bool quoted = false;
    const auto flush = [&] {
        text += QString::fromUtf8(pending);
        pending.clear();
    };
    while (i < data.size() && isBlank(QLatin1Char(data[i])))
        ++i;
    for (; i < data.size(); ++i) {
        const char ch = data[i];
        if (ch == '"') {
            flush();
            if (quoted)
                kept = text.size();
            quoted = !quoted;
        } else if (ch == '\\') {
            flush();
            i = appendEscape(data, i + 1, text) - 1;
            kept = text.size();
        } else if (!quoted && (ch == ';' || ch == '\n' || ch == '\r')) {
            break;
        } else {
            pending += ch;
        }
    }
    flush();
    while (text.size() > kept && isBlank(text.back()))
        text.chop(1);
    // QSettings doubles a leading '@' so that no text passes for one of its typed values.
    if (text.startsWith(QStringLiteral("@@")))
        text.remove(0, 1);
    return {text, i};
}

// A section or key name; QSettings writes a character outside letters, digits and a few
// marks as %XX or %UXXXX.
QString iniName(QByteArrayView raw)
{
    const QString escaped = QString::fromUtf8(raw.trimmed());
    QString name;
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        const bool wide = escaped.mid(i + 1, 1) == u"U";
        const QString digits = escaped.mid(i + (wide ? 2 : 1), wide ? 4 : 2);
        const bool isEscape = escaped[i] == u'%' && digits.size() == (wide ? 4 : 2)
            && std::all_of(digits.cbegin(), digits.cend(), [](QChar d) { return digitValue(d.toLatin1(), 16) >= 0; });
        if (!isEscape) {
            name += escaped[i];
            continue;
        }
        name += QChar(char16_t(digits.toUInt(nullptr, 16)));
        i += (wide ? 1 : 0) + digits.size();
    }
    return name;
}

struct IniEntry {
    QString section;
    QString key;
    QString value;
};

qsizetype endOfLine(QByteArrayView data, qsizetype from)
{
    const qsizetype end = data.indexOf('\n', from);
    return end < 0 ? data.size() : end;
}

// Every entry of an INI file in file order. Nothing when the file is garbled: not UTF-8 text,
// a section header without its ']', or a line that is neither blank, comment, header nor
// "key=value". Reading the file ourselves also sidesteps QSettings' per-process cache, which
// reports a garbled file only to the first reader.
std::optional<QList<IniEntry>> iniEntries(QByteArrayView data)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    [[maybe_unused]] const QString decoded = utf8(data);
    if (utf8.hasError() || data.contains('\0'))
        return std::nullopt;
    QList<IniEntry> entries;
    QString section;
    for (qsizetype pos = 0; pos < data.size();) {
        qsizetype lineEnd = endOfLine(data, pos);
        const QByteArrayView line = data.sliced(pos, lineEnd - pos);
        const QByteArrayView trimmed = line.trimmed();
        const qsizetype equals = line.indexOf('=');
        if (trimmed.isEmpty() || trimmed.startsWith(';')) {
            // a blank line or a comment
        } else if (trimmed.startsWith('[')) {
            const qsizetype close = trimmed.lastIndexOf(']');
            if (close < 0)
                return std::nullopt;
            section = iniName(trimmed.sliced(1, close - 1));
        } else if (equals >= 0) {
            const ValueText value = unescapedValue(data, pos + equals + 1);
            entries.append({section, iniName(line.first(equals)), value.text});
            lineEnd = endOfLine(data, value.end);
        } else {
            return std::nullopt;
        }
        pos = lineEnd + 1;
    }
    return entries;
}

// The sorted names as QSettings lists them, so that reading and writing choose the same
// spelling where several differ only in letter case.
QStringList distinctNames(QStringList names)
{
    names.sort();
    names.removeDuplicates();
    return names;
}

// The last of equal entries wins, as in QSettings.
std::optional<QString> valueIn(const QList<IniEntry>& entries, const QString& section, const QString& key)
{
    QStringList sections;
    for (const IniEntry& entry : entries)
        sections << entry.section;
    const std::optional<QString> sectionName = spellingIn(distinctNames(sections), section);
    if (!sectionName)
        return std::nullopt;
    QStringList keys;
    for (const IniEntry& entry : entries) {
        if (entry.section == *sectionName)
            keys << entry.key;
    }
    const std::optional<QString> keyName = spellingIn(distinctNames(keys), key);
    if (!keyName)
        return std::nullopt;
    for (auto entry = entries.crbegin(); entry != entries.crend(); ++entry) {
        if (entry->section == *sectionName && entry->key == *keyName)
            return entry->value;
    }
    return std::nullopt;
}

} // namespace

SettingsStore::SettingsStore(QString filePath)
    : m_filePath(std::move(filePath))
{
}

QString SettingsStore::fileName(const QString& application) const
{
    if (!m_filePath.isEmpty())
        return m_filePath;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' + application + u'/'
        + application + QStringLiteral(".ini");
}

QString SettingsStore::GetSetting(const QString& application, const QString& section, const QString& key,
                                  const QString& defaultValue) const
{
    return storedSetting(application, section, key).value_or(defaultValue);
}

std::optional<QString> SettingsStore::storedSetting(const QString& application, const QString& section,
                                                    const QString& key) const
{
    QFile file(fileName(application));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const std::optional<QList<IniEntry>> entries = iniEntries(file.readAll());
    return entries ? valueIn(*entries, section, key) : std::nullopt;
}

bool SettingsStore::SaveSetting(const QString& application, const QString& section, const QString& key,
                                const QString& value)
{
    return SaveSettings(application, section, {{key, value}});
}

bool SettingsStore::SaveSettings(const QString& application, const QString& section, const QList<Entry>& entries)
{
    {
        QSettings settings(fileName(application), QSettings::IniFormat);
        settings.setAtomicSyncRequired(true);
        settings.beginGroup(spellingIn(settings.childGroups(), section).value_or(section));
        const QStringList keys = settings.childKeys();
        for (const auto& [key, value] : entries)
            settings.setValue(spellingIn(keys, key).value_or(key), value);
        settings.endGroup();
        settings.sync();
        if (settings.status() == QSettings::NoError)
            return true;
    }
    // QSettings keeps reporting the format error of a garbled file it has just replaced
    // with a good one, so the file itself tells whether the values reached it.
    for (const auto& [key, value] : entries) {
        if (storedSetting(application, section, key) != value)
            return false;
    }
    return true;
}
