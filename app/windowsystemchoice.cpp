#include "app/windowsystemchoice.h"

namespace WindowSystemChoice {

Session Session::current(int argc, char** argv)
{
    Session session{qgetenv("QT_QPA_PLATFORM"), qgetenv("XDG_SESSION_TYPE"), qgetenv("WAYLAND_DISPLAY"),
                    qgetenv("DISPLAY"), {}};
    for (int i = 0; i < argc; ++i)
        session.arguments.append(QString::fromLocal8Bit(argv[i]));
    return session;
}

namespace {

// The value of one of Qt's options, given with one dash or two; empty where it is not.
QString optionValue(const QStringList& arguments, QLatin1StringView name)
{
    for (qsizetype i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == u'-' + name || arguments[i] == QStringLiteral("--") + name)
            return arguments[i + 1];
    }
    return QString();
}

// Qt's name for a window system's plugin is "platform": -platform, QT_QPA_PLATFORM.
QString chosenWindowSystems(const Session& session)
{
    const QString argument = optionValue(session.arguments, QLatin1StringView("platform"));
    return argument.isEmpty() ? QString::fromLocal8Bit(session.qpaPlatform) : argument;
}

} // namespace

bool findsNoDisplay(const Session& session)
{
    if (!session.x11Display.isEmpty() || !optionValue(session.arguments, QLatin1StringView("display")).isEmpty())
        return false;
    const QString chosen = chosenWindowSystems(session);
    if (chosen.isEmpty())
        return session.waylandDisplay.isEmpty();
    // "xcb", or a list of which each is tried in turn; a name may carry options after ':'.
    for (const QString& windowSystem : chosen.split(u';', Qt::SkipEmptyParts)) {
        if (windowSystem.section(u':', 0, 0) != QStringLiteral("xcb"))
            return false;
    }
    return true;
}

bool shouldPreferX11(const Session& session)
{
    const bool chosen = !session.qpaPlatform.isEmpty() || session.arguments.contains(QStringLiteral("-platform"))
        || session.arguments.contains(QStringLiteral("--platform"));
    const bool wayland = session.sessionType == "wayland" || !session.waylandDisplay.isEmpty();
    return !chosen && wayland && !session.x11Display.isEmpty();
}

void preferX11UnderWayland(int argc, char** argv)
{
    if (shouldPreferX11(Session::current(argc, argv)))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

} // namespace WindowSystemChoice
