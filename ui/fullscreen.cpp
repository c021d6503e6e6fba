// Full screen and back.
//
// The panels of the main window are placed by hand, so full screen stretches them to the
// maximised window and the return puts them back. The window system tells the maximised size
// only after it has really maximised the window (on X11 after the call that asks for it has
// returned), so the stretching waits for that resize and follows any later one (another screen
// resolution, say) for as long as the window stays maximised.
#include "app/mainwindow.h"
#include "app/transcript.h"

#include <QAction>
#include <QEvent>
#include <QEventLoop>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

namespace tovrin {

namespace {

namespace design {
const QString FullScreenCaption = QStringLiteral("Normal");
// The return drops the access key of the initial "&Full Screen".
const QString NormalCaption = QStringLiteral("Full Screen");

// Full screen: each control's measure is the maximised window's outer width W or height H less
// a margin.
constexpr int PanelWidthMargin = 4;        // TabControl1 width  = W - 4
constexpr int PanelHeightMargin = 98;      // TabControl1 height = H - 98
constexpr int TranscriptWidthMargin = 11;  // RE1 width          = W - 11
constexpr int TranscriptHeightMargin = 108; // RE1 height        = H - 108
constexpr int BarWidthMargin = 5;          // TabControl2 width  = W - 5
constexpr int BarTopMargin = 99;           // TabControl2 top    = H - 99
constexpr int SpeakLeftMargin = 93;        // Speak left         = W - 93
constexpr int EnRusLeftMargin = 136;       // EnRus left         = W - 136
constexpr int CancelLeftMargin = 163;      // Cancel left        = W - 163
constexpr int InputWidthMargin = 167;      // Input width        = W - 167

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

// Lives as a child of the main window and keeps what full screen needs between the two
// presses: the size limits of the normal window, which a fixed-size window must drop to be
// maximised. The state itself is the check mark of N40.
class FullScreen : public QObject {
public:
    explicit FullScreen(TForm1* form) : QObject(form), form_(form)
    {
        setObjectName(QStringLiteral("fullScreen"));
        settle_.setSingleShot(true);
        settle_.setInterval(design::FrameSettleMs);
        connect(&settle_, &QTimer::timeout, this, [this] {
            if (fullScreen())
                stretch();
        });
        form_->installEventFilter(this);
    }

    static FullScreen* of(TForm1* form)
    {
        auto* found = form->findChild<FullScreen*>(QStringLiteral("fullScreen"), Qt::FindDirectChildrenOnly);
        return found ? found : new FullScreen(form);
    }

    void enter()
    {
        minimum_ = form_->minimumSize();
        maximum_ = form_->maximumSize();
        form_->setMinimumSize(0, 0);
        form_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);

        const QSize before = outerSize();
        form_->showMaximized();
        if (outerSize() == before)
            waitForResize();
        stretch();
        settle_.start();
    }

    void leave()
    {
        // The limits come back once the window system has given the window its normal size,
        // so that a quick return to full screen finds the window free to grow again.
        settle_.stop();
        const QSize before = outerSize();
        form_->showNormal();
        if (outerSize() == before)
            waitForResize();
        form_->setMinimumSize(minimum_);
        form_->setMaximumSize(maximum_);

        form_->TabControl1->resize(design::Panel);
        form_->RE1->resize(design::Transcript);
        setWidth(form_->TabControl2, design::BarWidth);
        setTop(form_->TabControl2, design::BarTop);
        setLeft(form_->Speak, design::SpeakLeft);
        setLeft(form_->EnRus, design::EnRusLeft);
        setLeft(form_->Cancel, design::CancelLeft);
        setWidth(form_->Input, design::InputWidth);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != form_ || event->type() != QEvent::Resize)
            return QObject::eventFilter(watched, event);
        if (waiting_) {
            waiting_->quit();
        } else if (fullScreen()) {
            stretch();
            settle_.start();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool fullScreen() const { return form_->N40->isChecked() && form_->isMaximized(); }

    // The outer size as the window system has it now. The widget keeps a copy of the frame
    // that is brought up to date only when the window moves or resizes; the window asks afresh.
    QSize outerSize() const
    {
        if (const QWindow* window = form_->windowHandle())
            return window->frameGeometry().size();
        return form_->frameGeometry().size();
    }

    void waitForResize()
    {
        QEventLoop loop;
        QTimer::singleShot(design::MaximiseWaitMs, &loop, &QEventLoop::quit);
        waiting_ = &loop;
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        waiting_ = nullptr;
    }

    void stretch()
    {
        const QSize outer = outerSize();
        const int w = outer.width();
        const int h = outer.height();
        form_->TabControl1->resize(w - design::PanelWidthMargin, h - design::PanelHeightMargin);
        form_->RE1->resize(w - design::TranscriptWidthMargin, h - design::TranscriptHeightMargin);
        setWidth(form_->TabControl2, w - design::BarWidthMargin);
        setTop(form_->TabControl2, h - design::BarTopMargin);
        setLeft(form_->Speak, w - design::SpeakLeftMargin);
        setLeft(form_->EnRus, w - design::EnRusLeftMargin);
        setLeft(form_->Cancel, w - design::CancelLeftMargin);
        setWidth(form_->Input, w - design::InputWidthMargin);
    }

    TForm1* form_;
    QSize minimum_;
    QSize maximum_;
    QEventLoop* waiting_ = nullptr;
    QTimer settle_;
};

} // namespace

void TForm1::N40Click()
{
    FullScreen* fullScreen = FullScreen::of(this);
    if (!N40->isChecked()) {
        N40->setChecked(true);
        N40->setText(design::FullScreenCaption);
        fullScreen->enter();
    } else {
        N40->setChecked(false);
        N40->setText(design::NormalCaption);
        fullScreen->leave();
    }
}

} // namespace tovrin
