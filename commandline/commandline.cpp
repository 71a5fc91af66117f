#include "commandline/commandline.h"

#include "commandline/generatecommand.h"
#include "generation/productinfo.h"
#include "text/namecodec.h"

#include <cstring>

namespace {

const QString kSource = QStringLiteral("--source");
const QString kPattern = QStringLiteral("--pattern");
const QString kTarget = QStringLiteral("--target");
const QString kName = QStringLiteral("--name");
const QString kCheck = QStringLiteral("--check");
const QString kListRoot = QStringLiteral("--list-root");
const QString kTable = QStringLiteral("--table");

// One line, whatever the argument holds.
QString quoted(const QString& text) { return u'\u201E' + GenerateCommand::printable(text) + u'\u201C'; }

CommandLine usageError(const QString& error)
{
    CommandLine line;
    line.mode = CommandLine::Mode::UsageError;
    line.error = error;
    return line;
}

std::optional<QString>* valueSlot(CommandLine& line, const QString& name)
{
    if (name == kSource)
        return &line.generate.source;
    if (name == kPattern)
        return &line.generate.pattern;
    if (name == kTarget)
        return &line.generate.target;
    if (name == kName)
        return &line.generate.name;
    if (name == kCheck)
        return &line.check.listFile;
    if (name == kListRoot)
        return &line.check.listRoot;
    if (name == kTable)
        return &line.generate.table;
    return nullptr;
}

// The mode the options name, or the usage error of a combination that makes no sense:
// a check writes nothing, so it takes no list file to write; a folder for the window
// means nothing without one.
CommandLine modeOf(CommandLine line, bool help, bool version, bool generate, const QStringList& given)
{
    const bool check = line.check.listFile.has_value();
    if (line.folder && (generate || check)) {
        return usageError(QStringLiteral("Unerwartetes Argument %1 (ohne Fenster: --source ORDNER).")
                              .arg(quoted(*line.folder)));
    }
    const auto onlyWith = [](const QString& option, const QString& mode) {
        return usageError(QStringLiteral("%1 gilt nur zusammen mit %2.").arg(option, mode));
    };
    if (help) {
        line.mode = CommandLine::Mode::Help;
    } else if (version) {
        line.mode = CommandLine::Mode::Version;
    } else if (generate && check) {
        return usageError(QStringLiteral("--generate und --check schließen einander aus."));
    } else if (check) {
        for (const QString& option : {kTarget, kName, kTable}) {
            if (given.contains(option))
                return usageError(QStringLiteral("%1 gilt nicht zusammen mit --check: ein Vergleich schreibt nichts.")
                                      .arg(option));
        }
        line.mode = CommandLine::Mode::Check;
    } else if (given.contains(kListRoot)) {
        return onlyWith(kListRoot, kCheck);
    } else if (generate) {
        line.mode = CommandLine::Mode::Generate;
    } else if (!given.isEmpty()) {
        return onlyWith(given.first(), QStringLiteral("--generate"));
    }
    return line;
}

// Qt's own options, which QApplication reads from the same arguments: they are let through,
// so `korvale -platform offscreen` or `korvale -style fusion` work as with any Qt program.
// Qt takes them with one dash or two.
struct QtOption {
    QLatin1StringView name;
    bool takesValue;
    bool takesEqualsValue;
};
constexpr QtOption kQtOptions[] = {
    {QLatin1StringView("platform"), true, false},      {QLatin1StringView("platformpluginpath"), true, false},
    {QLatin1StringView("platformtheme"), true, false}, {QLatin1StringView("plugin"), true, false},
    {QLatin1StringView("qwindowgeometry"), true, false}, {QLatin1StringView("qwindowicon"), true, false},
    {QLatin1StringView("qwindowtitle"), true, false},  {QLatin1StringView("session"), true, false},
    {QLatin1StringView("display"), true, false},       {QLatin1StringView("geometry"), true, false},
    {QLatin1StringView("style"), true, true},          {QLatin1StringView("stylesheet"), true, true},
    {QLatin1StringView("qmljsdebugger"), false, true}, {QLatin1StringView("reverse"), false, false},
    {QLatin1StringView("widgetcount"), false, false},
};

// How many arguments from arguments[i] on belong to one of Qt's options (0 for none),
// or -1 when its value is missing.
qsizetype qtOptionLength(const QStringList& arguments, qsizetype i)
{
    const QString& argument = arguments[i];
    if (!argument.startsWith(u'-'))
        return 0;
    const QStringView name = QStringView(argument).mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1);
    for (const QtOption& option : kQtOptions) {
        if (name == option.name)
            return !option.takesValue ? 1 : i + 1 < arguments.size() ? 2 : -1;
        if (option.takesEqualsValue && name.startsWith(option.name + u'='))
            return 1;
    }
    return 0;
}

// An empty value is almost always an unset shell variable; the window would take an
// empty pattern for "everything" and an empty name for the folder itself.
QString checkValue(const QString& name, const QString& value)
{
    if (value.isEmpty())
        return QStringLiteral("%1 braucht einen Wert, der nicht leer ist.").arg(name);
    if (name == kName && (value.contains(u'\\') || value.contains(u'/')))
        return QStringLiteral("%1 nimmt nur einen Dateinamen, keinen Ordner: %2").arg(name, quoted(value));
    return QString();
}

} // namespace

CommandLine CommandLine::parse(const QStringList& arguments)
{
    CommandLine line;
    bool help = false;
    bool version = false;
    bool generate = false;
    // Options that only a generate or a check takes.
    QStringList generateOnly;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!optionsEnded && argument == QStringLiteral("--")) {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !argument.startsWith(u'-')) {
            // One folder, for the window: a second is a mistake, not a choice.
            if (line.folder)
                return usageError(QStringLiteral("Unerwartetes Argument %1.").arg(quoted(argument)));
            line.folder = argument;
            continue;
        }
        if (const qsizetype qtLength = qtOptionLength(arguments, i); qtLength != 0) {
            if (qtLength < 0)
                return usageError(QStringLiteral("%1 braucht einen Wert.").arg(argument));
            i += qtLength - 1;
            continue;
        }
        const qsizetype equals = argument.startsWith(QStringLiteral("--")) ? argument.indexOf(u'=') : -1;
        const QString name = equals < 0 ? argument : argument.left(equals);
        if (name == QStringLiteral("--help") || name == QStringLiteral("-h")) {
            help = true;
        } else if (name == QStringLiteral("--version")) {
            version = true;
        } else if (name == QStringLiteral("--generate")) {
            generate = true;
        } else if (name == QStringLiteral("--no-subfolders")) {
            line.generate.includeSubfolders = false;
            generateOnly << name;
        } else if (name == QStringLiteral("--verbose")) {
            line.generate.verbose = true;
            generateOnly << name;
        } else if (std::optional<QString>* slot = valueSlot(line, name)) {
            if (equals < 0 && i + 1 >= arguments.size())
                return usageError(QStringLiteral("%1 braucht einen Wert.").arg(name));
            const QString value = equals < 0 ? arguments[++i] : argument.mid(equals + 1);
            if (const QString problem = checkValue(name, value); !problem.isEmpty())
                return usageError(problem);
            *slot = value;
            if (name != kCheck)
                generateOnly << name;
        } else {
            return usageError(QStringLiteral("Unbekannte Option %1.").arg(quoted(argument)));
        }
        if (equals >= 0 && !valueSlot(line, name))
            return usageError(QStringLiteral("%1 nimmt keinen Wert.").arg(name));
    }
    return modeOf(std::move(line), help, version, generate, generateOnly);
}

QStringList CommandLine::argumentsOf(int argc, const char* const* argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(NameCodec::decode(argv[i], qsizetype(std::strlen(argv[i]))));
    return arguments;
}

QString CommandLine::versionText()
{
    return QStringLiteral("Korvale %1\n").arg(QString::fromUtf16(ProductInfo::kVersion));
}

QString CommandLine::usageText()
{
    return QStringLiteral("Aufruf: korvale [ORDNER]\n"
                          "       korvale --generate [--source ORDNER] [--pattern MUSTER] [--no-subfolders]\n"
                          "                          [--target ORDNER] [--name DATEINAME] [--table DATEI]\n"
                          "                          [--verbose]\n"
                          "       korvale --check LISTE [--source ORDNER] [--list-root ORDNER] [--pattern MUSTER]\n"
                          "                             [--no-subfolders]\n"
                          "Mehr dazu: korvale --help\n");
}

QString CommandLine::helpText()
{
    return QStringLiteral(
        "Aufruf: korvale [OPTION …] [ORDNER]\n"
        "Erzeugt eine Textliste der Dateien eines Ordners. Ohne Optionen öffnet sich das Fenster,\n"
        "mit einem ORDNER als Quellverzeichnis.\n"
        "\n"
        "  --generate            eine Liste ohne Fenster erzeugen, dann beenden\n"
        "  --source ORDNER       Quellverzeichnis (sonst das zuletzt im Fenster gewählte)\n"
        "  --pattern MUSTER      Dateimuster, etwa \"*.txt;*.doc\" (sonst \"*.*\")\n"
        "  --no-subfolders       Unterverzeichnisse nicht berücksichtigen\n"
        "  --verbose             jeden ausgelassenen Eintrag auf der Standardfehlerausgabe nennen\n"
        "  --target ORDNER       Ordner der Ergebnisdatei (sonst der zuletzt im Fenster gewählte)\n"
        "  --name DATEINAME      Name der Ergebnisdatei (sonst der zuletzt gewählte, anfangs Liste.txt)\n"
        "  --table DATEI         zusätzlich eine Tabelle für Tabellenkalkulationen schreiben (CSV:\n"
        "                        Pfad, Ordner, Name, Größe, Änderungsdatum); DATEI gilt vom aktuellen\n"
        "                        Ordner aus und ist nie die Ergebnisdatei selbst\n"
        "  --check LISTE         einen Ordner mit einer Liste vergleichen, nichts schreiben; Quelle\n"
        "                        ist sonst der Ordner, in dem die Liste liegt\n"
        "  --list-root ORDNER    der Ordner, aus dem die Liste erzeugt wurde, wie sie ihn schreibt\n"
        "                        (etwa C:\\Projekte\\X; sonst der Pfad der Quelle)\n"
        "  -h, --help            diese Hilfe zeigen\n"
        "      --version         die Version zeigen\n"
        "\n"
        "Ein ORDNER steht mit Laufwerksbuchstaben (C:\\Daten) oder als Pfad dieses Rechners\n"
        "(/home/anna/Daten, auch relativ zum aktuellen Ordner). C: ist der persönliche Ordner,\n"
        "D: bis Y: sind eingehängte Datenträger, Z: ist das Wurzelverzeichnis /.\n"
        "--generate ändert die gespeicherten Optionen nicht. Auf einem Terminal zeigt es den\n"
        "Fortschritt auf der Standardfehlerausgabe.\n"
        "Das Fenster braucht eine grafische Oberfläche; es nimmt auch die Optionen von Qt an\n"
        "(etwa -platform offscreen, -display :0, -style fusion).\n"
        "\n"
        "Rückgabewert: 0, wenn die Ergebnisdatei erzeugt wurde (die Statuszeile steht auf der\n"
        "Standardausgabe); 1, wenn nicht (die Statuszeile steht auf der Standardfehlerausgabe),\n"
        "eine Ausgabe sich nicht schreiben ließ oder das Fenster keine Anzeige findet;\n"
        "2 bei einem falschen Aufruf.\n"
        "--check nennt jede Abweichung als \"neu: PFAD\" oder \"fehlt: PFAD\" und endet mit 0, wenn\n"
        "Ordner und Liste übereinstimmen, 1, wenn nicht, und 2 bei einem Problem (keine Liste,\n"
        "Quelle nicht lesbar, Ausgabe nicht schreibbar).\n");
}
