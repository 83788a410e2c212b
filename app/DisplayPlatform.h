#pragma once
// Which of Qt's display platforms the program asks for. On a Wayland session
// a program can neither place its own windows nor keep them on top, and the
// strip would lose its place; through XWayland (the X server most Wayland
// desktops run beside) it keeps both.
//
// Rules kept here:
//  - QT_QPA_PLATFORM set by the user (or -platform on the command line,
//    which Qt reads itself) always wins: nothing is chosen.
//  - On a Wayland session (WAYLAND_DISPLAY set, or XDG_SESSION_TYPE
//    "wayland") with an X server reachable at DISPLAY, "xcb" is chosen.
//  - Otherwise Qt chooses; running on Wayland says so once in the trace.
#include <QString>

struct TSessionDisplay {
    QString qpaPlatform;    // QT_QPA_PLATFORM
    QString waylandDisplay; // WAYLAND_DISPLAY
    QString sessionType;    // XDG_SESSION_TYPE
    QString display;        // DISPLAY
    bool xReachable = false; // an X server answers at DISPLAY
};

// "xcb" when the program should ask for the X platform; empty to leave
// Qt's own choice.
QString PreferredPlatform(const TSessionDisplay& session);

// Whether an X server listens at display (":0", ":1.0", "unix:2", or a
// host form, which is taken as reachable).
bool XServerReachable(const QString& display);

// Before the application object: sets QT_QPA_PLATFORM=xcb when
// PreferredPlatform asks for it; true when it did.
bool ApplyPreferredPlatform(const QStringList& arguments);

// After the application object: the trace line of a Wayland platform.
void TraceDisplayPlatform();
