#pragma once
// What the program asks of the desktop it runs on: which window system to speak to, Qt's own
// texts in Russian, and windows that the window manager must not offer to close.
#include <functional>
#include <string>

class QCoreApplication;
class QWidget;

namespace tovrin {

// The platform to ask Qt for before the application is made, or "" to leave Qt's own choice.
// Under Wayland a program cannot place its windows, and the window's animations and centring
// depend on that: where an X server (XWayland) is there as well, X11 is taken. A platform the
// user named in QT_QPA_PLATFORM is always left alone. env reads one environment variable
// (nullptr when it is not set).
std::string preferredPlatform(const std::function<const char*(const char*)>& env);

// True when the window has somewhere to open: a display of X or Wayland, or a platform named
// in QT_QPA_PLATFORM (the offscreen one of the tests, say).
bool displayAvailable(const std::function<const char*(const char*)>& env);

// Sets QT_QPA_PLATFORM from preferredPlatform on the real environment.
void choosePlatform();

// Loads Qt's Russian translations, so that Qt's own dialogs and buttons (the colour picker,
// a message box's "OK") speak Russian like the rest of the program. Returns whether they
// were found.
bool installQtTranslations(QCoreApplication& app);

// The windows are drawn in "MS Sans Serif"; where it is missing, the nearest faces of similar
// width stand in for it.
void substituteWindowFont();

// Asks the window manager for a title bar without a close box or a system menu. The window's
// native handle is made here if it does not exist yet. Does nothing outside X11.
void withoutCloseBox(QWidget* window);

} // namespace tovrin
