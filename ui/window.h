#pragma once
// What the windows of the program do alike: the frame of a secondary window, the place of a
// window shown for the first time, and the passage of Windows-1251 text to and from Qt.
#include <QString>
#include <Qt>

#include <exception>
#include <string>

class QScreen;
class QSize;
class QWidget;

namespace tovrin {

// A secondary window has no buttons in its title bar, so no close box: it is left only through
// its own closing button.
constexpr Qt::WindowFlags NoCloseBox = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

// The pace of the window's quickest timers: the classic desktop's clock tick. The design's
// timers of 1 ms were made for a desktop whose timers tick about every 16 ms, and what they do
// is timed by that tick (the shrink-and-close's 80 steps last over a second); a timer asked
// for less than one tick ticks once a tick.
constexpr int kClockTickMs = 16;
constexpr int pacedInterval(int ms) { return ms < kClockTickMs ? kClockTickMs : ms; }

// Moves the window so that a frame of outer size stands in the middle of the free desktop of
// the given screen, by default the window's own (the primary screen when it has none yet).
void centreOnDesktop(QWidget* window, const QSize& outer, const QScreen* screen = nullptr);

// The face every window of the program shows: the silver of the window design, filled in.
void paintWindowFace(QWidget* window);

QString fromCp1251(const std::string& text);
std::string toCp1251(const QString& text);
// What the user typed, as a turn takes it in (cp1251::fromTyped): smiles as ")", sad faces as
// "(", other emoji dropped.
std::string typedToCp1251(const QString& text);

// The message a failed handler shows: a file error's own words, or whatever another failure
// says.
QString errorMessage(const std::exception& error);

} // namespace tovrin
