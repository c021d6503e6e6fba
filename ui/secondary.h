#pragma once
// What a secondary window (the editor, the about window, the virtual keyboard) needs of the
// main window that opened it, and nothing more.
#include <functional>

class QString;
class QWidget;

namespace tovrin {

class SecondaryHost {
public:
    // The rule of the secondary windows: while one is open the main window takes no input;
    // closing it by its own buttons gives the input back.
    virtual void closeSecondary(QWidget* window) = 0;
    // Runs a handler with the main window's file-error guard: an error is shown once and the
    // program goes on.
    virtual void guarded(const std::function<void()>& handler) = 0;
    // Shows a message in the program's plain message box, over the given window.
    virtual void showMessage(const QString& message, QWidget* over) = 0;
    // The main window itself: its screen, and the window a secondary one stands over.
    virtual QWidget* mainWindow() = 0;

protected:
    ~SecondaryHost() = default;
};

} // namespace tovrin
