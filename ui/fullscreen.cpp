// Full screen and back.
//
// The panels of the main window are placed by hand, so full screen stretches them to the
// maximised window and the return puts them back. The window system tells the maximised size
// only after it has really maximised the window (on X11 after the call that asks for it has
// returned), so the stretching waits for that resize and follows any later one (another screen
// resolution, say) for as long as the window stays maximised.
#include "ui/fullscreen.h"

#include <QAction>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace tovrin {

namespace {

namespace design {
const QString FullScreenCaption = QStringLiteral("Normal");
// The return drops the access key of the initial "&Full Screen".
const QString NormalCaption = QStringLiteral("Full Screen");

// Full screen: each control's measure is the maximised window's outer width W or height H less
// a margin.
constexpr int PanelWidthMargin = 4; // TabControl1 width  = W - 4
constexpr int PanelHeightMargin = 98; // TabControl1 height = H - 98
constexpr int TranscriptWidthMargin = 11; // RE1 width          = W - 11
constexpr int TranscriptHeightMargin = 108; // RE1 height        = H - 108
constexpr int BarWidthMargin = 5; // TabControl2 width  = W - 5
constexpr int BarTopMargin = 99; // TabControl2 top    = H - 99
constexpr int SpeakLeftMargin = 93; // Speak left         = W - 93
constexpr int EnRusLeftMargin = 136; // EnRus left         = W - 136
constexpr int CancelLeftMargin = 163; // Cancel left        = W - 163
constexpr int InputWidthMargin = 167; // Input width        = W - 167

// Back to normal: fixed values. The transcript comes back one pixel taller than at start.
const QSize Panel(588, 313);
const QSize Transcript(581, 305);
constexpr int BarWidth = 585;
constexpr int BarTop = 312;
constexpr int SpeakLeft = 496;
constexpr int EnRusLeft = 453;
constexpr int CancelLeft = 426;
constexpr int InputWidth = 422;

// How long to wait for the window system to maximise or restore the window before going on
// with the size the window has; later resizes while maximised are followed anyway.
constexpr int MaximiseWaitMs = 500;
// The window system may report the maximised window's frame a moment after its new size
// (X11 window managers do), so the panels are measured once more when things have settled.
constexpr int FrameSettleMs = 150;
} // namespace design

void setWidth(QWidget* w, int width) { w->resize(width, w->height()); }
void setTop(QWidget* w, int top) { w->move(w->x(), top); }
void setLeft(QWidget* w, int left) { w->move(left, w->y()); }

} // namespace

FullScreen::FullScreen(const Controls& controls) : QObject(controls.window), c_(controls)
{
    settle_.setSingleShot(true);
    settle_.setInterval(design::FrameSettleMs);
    connect(&settle_, &QTimer::timeout, this, [this] {
        if (fullScreen())
            stretch();
    });
    c_.window->installEventFilter(this);
}

void FullScreen::toggle()
{
    if (!c_.mark->isChecked()) {
        c_.mark->setChecked(true);
        c_.mark->setText(design::FullScreenCaption);
        enter();
    } else {
        c_.mark->setChecked(false);
        c_.mark->setText(design::NormalCaption);
        leave();
    }
}

void FullScreen::enter()
{
    minimum_ = c_.window->minimumSize();
    maximum_ = c_.window->maximumSize();
    c_.window->setMinimumSize(0, 0);
    c_.window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);

    const QSize before = outerSize();
    c_.window->showMaximized();
    if (outerSize() == before)
        waitForResize();
    stretch();
    settle_.start();
}

void FullScreen::leave()
{
    // The limits come back once the window system has given the window its normal size,
    // so that a quick return to full screen finds the window free to grow again.
    settle_.stop();
    const QSize before = outerSize();
    c_.window->showNormal();
    if (outerSize() == before)
        waitForResize();
    c_.window->setMinimumSize(minimum_);
    c_.window->setMaximumSize(maximum_);

    c_.panel->resize(design::Panel);
    c_.transcript->resize(design::Transcript);
    setWidth(c_.bar, design::BarWidth);
    setTop(c_.bar, design::BarTop);
    setLeft(c_.speak, design::SpeakLeft);
    setLeft(c_.enRus, design::EnRusLeft);
    setLeft(c_.cancel, design::CancelLeft);
    setWidth(c_.input, design::InputWidth);
}

bool FullScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != c_.window || event->type() != QEvent::Resize)
        return QObject::eventFilter(watched, event);
    if (waiting_) {
        waiting_->quit();
    } else if (fullScreen()) {
        stretch();
        settle_.start();
    }
    return QObject::eventFilter(watched, event);
}

bool FullScreen::fullScreen() const { return c_.mark->isChecked() && c_.window->isMaximized(); }

// The outer size as the window system has it now. The widget keeps a copy of the frame
// that is brought up to date only when the window moves or resizes; the window asks afresh.
QSize FullScreen::outerSize() const
{
    if (const QWindow* window = c_.window->windowHandle())
        return window->frameGeometry().size();
    return c_.window->frameGeometry().size();
}

void FullScreen::waitForResize()
{
    QEventLoop loop;
    QTimer::singleShot(design::MaximiseWaitMs, &loop, &QEventLoop::quit);
    waiting_ = &loop;
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    waiting_ = nullptr;
}

void FullScreen::stretch()
{
    const QSize outer = outerSize();
    const int w = outer.width();
    const int h = outer.height();
    c_.panel->resize(w - design::PanelWidthMargin, h - design::PanelHeightMargin);
    c_.transcript->resize(w - design::TranscriptWidthMargin, h - design::TranscriptHeightMargin);
    setWidth(c_.bar, w - design::BarWidthMargin);
    setTop(c_.bar, h - design::BarTopMargin);
    setLeft(c_.speak, w - design::SpeakLeftMargin);
    setLeft(c_.enRus, w - design::EnRusLeftMargin);
    setLeft(c_.cancel, w - design::CancelLeftMargin);
    setWidth(c_.input, w - design::InputWidthMargin);
}

} // namespace tovrin
