#pragma once
// Full screen and back (N40). Lives as a child of the main window and keeps what full screen
// needs between the two presses: the size limits of the normal window, which a fixed-size
// window must drop to be maximised. The state itself is the check mark of N40.
#include <QObject>
#include <QSize>
#include <QTimer>

class QAction;
class QEventLoop;
class QWidget;

namespace tovrin {

class FullScreen : public QObject {
public:
    // The window and the controls placed by hand, which full screen stretches.
    struct Controls {
        QWidget* window = nullptr;
        QWidget* panel = nullptr; // TabControl1
        QWidget* transcript = nullptr; // RE1
        QWidget* bar = nullptr; // TabControl2
        QWidget* input = nullptr;
        QWidget* cancel = nullptr;
        QWidget* enRus = nullptr;
        QWidget* speak = nullptr;
        QAction* mark = nullptr; // N40
    };

    explicit FullScreen(const Controls& controls);

    // Into full screen when the mark is clear, back to normal when it is set.
    void toggle();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void enter();
    void leave();
    bool fullScreen() const;
    QSize outerSize() const;
    void waitForResize();
    void stretch();

    Controls c_;
    QSize minimum_;
    QSize maximum_;
    QEventLoop* waiting_ = nullptr;
    QTimer settle_;
};

} // namespace tovrin
