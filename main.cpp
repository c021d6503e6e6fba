// The window program: creates the main window (and with it the hidden secondary windows),
// shows it and runs until it is closed.
#include "app/mainwindow.h"
#include "app/messagebox.h"
#include "app/platform.h"
#include "kb/cp1251.h"
#include "kb/fileerror.h"

#include <QApplication>
#include <exception>

int main(int argc, char** argv)
{
    tovrin::choosePlatform();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tovrin"));
    // Only the main window ends the program (its closing ends the event loop): a secondary
    // window that the window manager closes never does.
    QApplication::setQuitOnLastWindowClosed(false);
    tovrin::installQtTranslations(app);
    tovrin::substituteWindowFont();

    std::unique_ptr<tovrin::TForm1> form1;
    try {
        form1 = std::make_unique<tovrin::TForm1>();
    } catch (const std::exception& e) {
        // The window could not be made (a cue's sound file, most likely): say why and end
        // without showing it.
        const QString message = dynamic_cast<const tovrin::FileError*>(&e)
            ? QString::fromStdString(tovrin::cp1251::toUtf8(e.what()))
            : QString::fromLocal8Bit(e.what());
        tovrin::makeMessageBoxReporter()->showError(message, nullptr);
        return 1;
    }
    form1->show();
    return app.exec();
}
