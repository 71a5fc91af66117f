#pragma once

#include <QByteArray>
#include <QStringList>

// Under Wayland a program cannot place its own windows, and Korvale places both of its
// windows. Where the session is Wayland, XWayland is there and nobody chose a window system,
// the program asks Qt for X11 instead; an explicit choice always stands.
namespace WindowSystemChoice {

struct Session {
    QByteArray qpaPlatform;    // QT_QPA_PLATFORM
    QByteArray sessionType;    // XDG_SESSION_TYPE
    QByteArray waylandDisplay; // WAYLAND_DISPLAY
    QByteArray x11Display;     // DISPLAY
    QStringList arguments;

    static Session current(int argc, char** argv);
};

bool shouldPreferX11(const Session& session);

// True where Qt would find no display for sure: no window system chosen (or X11 chosen) and
// neither DISPLAY, -display nor (without a choice) WAYLAND_DISPLAY to connect to. Other
// failures to connect are only known once Qt tries; DisplayGuard catches those.
bool findsNoDisplay(const Session& session);

// Call before the application object exists.
void preferX11UnderWayland(int argc, char** argv);

} // namespace WindowSystemChoice
