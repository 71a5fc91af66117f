#include "mainwindow/platformchoice.h"

namespace PlatformChoice {

Session Session::current(int argc, char** argv)
{
    Session session{qgetenv("QT_QPA_PLATFORM"), qgetenv("XDG_SESSION_TYPE"), qgetenv("WAYLAND_DISPLAY"),
                    qgetenv("DISPLAY"), {}};
    for (int i = 0; i < argc; ++i)
        session.arguments.append(QString::fromLocal8Bit(argv[i]));
    return session;
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

} // namespace PlatformChoice
