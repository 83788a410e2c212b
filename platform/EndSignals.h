#pragma once
// SIGTERM and SIGINT as ordinary events: the handler only writes a byte to a
// pipe, and onEnd runs on the window thread from the event loop, so it may do
// anything the program does. Each signal is caught once; a second one ends
// the program at once (the default action), so a stuck end can be forced.
#include <QObject>

#include <functional>

// Installs the handlers; onEnd is called in context's thread. Returns false
// when the pipe or the handlers could not be set up (the defaults stay).
bool InstallEndSignalHandlers(QObject* context, std::function<void()> onEnd);
