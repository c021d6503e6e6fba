// The window's two animations: the shake (T7) and the shrink-and-close (T4).
#include "app/mainwindow.h"

#include "app/shrinkpath.h"
#include "input/keyboardwindow.h"

#include <QAction>
#include <QGuiApplication>
#include <QWindow>
#include <QLineEdit>
#include <QMenu>

namespace tovrin {

namespace {

namespace design {

// The shake: 125 to 250 jumps, each to a place in the square 95..105 from the screen's corner.
constexpr int JumpsLeast = 125;
constexpr int JumpsValues = 126;
constexpr int JumpCorner = 95;
constexpr int JumpValues = 11;
// How long the start-up shake waits at most for the window manager's frame.
constexpr int FrameWaitMs = 1000;
constexpr int FrameSettleTicks = 4;

// The shrink-and-close: per step, 3 pixels left, 2 up, 10 narrower, 8 lower; the close cue
// from the 10th step, the exit at the 80th.
constexpr int DriftLeft = 3;
constexpr int DriftUp = 2;
constexpr int ShrinkWidth = 10;
constexpr int ShrinkHeight = 8;
constexpr int CloseCueStep = 10;
constexpr int ExitStep = 80;

} // namespace design

// The main window is fixed-size for the user; the shrink takes that fixed size down with it,
// below what the menu bar and the status bar would ask for (their contents are cut off), down
// to a client area of one pixel inside the window system's own frame. The size is taken from
// the fixed size last set (full screen has none) and the place from the path, not from what
// the window system has reported so far, which lags behind.
void shrinkOneStep(QWidget& window, ShrinkPath& path)
{
    window.move(path.next(window.pos(), QPoint(design::DriftLeft, design::DriftUp)));
    const QSize last =
        window.minimumSize() == window.maximumSize() ? window.minimumSize() : window.size();
    window.setFixedSize(
        (last - QSize(design::ShrinkWidth, design::ShrinkHeight)).expandedTo(QSize(1, 1)));
}

} // namespace

// Whether a move of the window places its frame, as every jump of the shake must. An X11
// window manager frames a window a moment after it first shows; until then Qt has no frame
// to place, and a move would put the client area where the frame should go.
bool TForm1::managedFrame() const
{
    return isVisible() && windowHandle() && QGuiApplication::platformName() == QLatin1String("xcb");
}

bool TForm1::frameKnown() const { return windowHandle()->frameMargins().top() > 0; }

void TForm1::T7Timer()
{
    // The start-up shake waits for the frame, a second at most (a window manager that draws
    // none never tells one); a frame just told may still be on its way into place, so it is
    // trusted once it has stayed known for a few ticks.
    if (managedFrame()) {
        if (!frameWait_.isValid())
            frameWait_.start();
        frameKnownTicks_ = frameKnown() ? frameKnownTicks_ + 1 : 0;
        if (frameKnownTicks_ < design::FrameSettleTicks &&
            frameWait_.elapsed() < design::FrameWaitMs)
            return;
    }
    // The whole shake happens inside this tick: no other handler runs between the jumps.
    setBusy(true);
    Dice& dice = *services().dice;
    dice.reseed();
    services().cues->play(Cue::MP4);
    Input->setReadOnly(true);
    for (QMenu* menu : {N1, N5, N11})
        menu->menuAction()->setEnabled(false);

    const int jumps = design::JumpsLeast + dice.random(design::JumpsValues);
    for (int i = 0; i < jumps; ++i) {
        const int x = design::JumpCorner + dice.random(design::JumpValues);
        const int y = design::JumpCorner + dice.random(design::JumpValues);
        move(pos().x(), y);
        move(x, y);
        if (onShakeJump)
            onShakeJump(pos());
    }

    centreAtFirstShowing();
    Input->setReadOnly(false);
    for (QMenu* menu : {N1, N5, N11})
        menu->menuAction()->setEnabled(true);
    setTimerEnabled(Timer::T7, false);
    setTimerEnabled(Timer::T10, true);
    setBusy(false);
}

void TForm1::T4Timer()
{
    guarded([this] {
        // The keyboard is put away through its own menu entry, which also gives the main
        // window its input back: the window must stay usable should the shrink be stopped or
        // the exit fail.
        if (Form4 && Form4->isVisible())
            Form4->close(); // as its own N2 hides it

        ++Tag;
        if (Tag >= design::ExitStep) {
            // Stopped before the exit is tried: a failing exit would fail again on every tick,
            // and the timer keeps firing under the message box. The window then stays where
            // the shrink left it, and the next farewell tries the exit again.
            setTimerEnabled(Timer::T4, false);
            writeLogAndClose();
        }

        shrinkOneStep(*this, shrinkPath_);
        if (Tag >= design::CloseCueStep)
            services().cues->play(Cue::MP6);
    });
}

} // namespace tovrin
