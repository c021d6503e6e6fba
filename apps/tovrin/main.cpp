// The window program: creates the main window (and with it the hidden secondary windows),
// shows it and runs until it is closed.
#include "app/mainwindow.h"
#include "app/messagebox.h"
#include "app/platform.h"
#include "kb/files.h"
#include "kb/knowledge.h"
#include "kb/startup.h"
#include "ui/look.h"
#include "ui/window.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

const char* const kUsage =
    "Использование: tovrin [--help] [--version] [ключи Qt]\n"
    "\n"
    "Открывает окно беседы. Знания читаются из Base/ текущей папки и пополняются там же.\n"
    "Установленная программа запускается командой tovrin (или из меню): она сама переходит\n"
    "в рабочую папку ~/.local/share/tovrin, сделанную из поставленных данных.\n"
    "\n"
    "  --help     показать эту справку\n"
    "  --version  показать версию\n";

} // namespace

int main(int argc, char** argv)
{
    // Answered before the application starts, so that they need no display.
    for (int i = 1; i < argc; ++i) {
        if (tovrin::answerStandardOption(argv[i], "tovrin", kUsage))
            return 0;
    }
    // Without a display Qt would end the program with an abort of its own.
    if (!tovrin::displayAvailable([](const char* name) { return std::getenv(name); })) {
        std::fputs(
            "tovrin: нет дисплея (не заданы ни DISPLAY, ни WAYLAND_DISPLAY), окну негде открыться; "
            "в терминале беседует tovrin-console.\n",
            stderr);
        return 1;
    }
    tovrin::choosePlatform();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tovrin"));
    // Only the main window ends the program (its closing ends the event loop): a secondary
    // window that the window manager closes never does.
    QApplication::setQuitOnLastWindowClosed(false);
    // The icon the task bar and the window manager show: the installed theme's, else our own.
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("tovrin"), QIcon(QStringLiteral(":/ui/tovrin.png"))));
    tovrin::installQtTranslations(app);
    tovrin::substituteWindowFont();

    tovrin::prepareBase("tovrin");

    std::unique_ptr<tovrin::TForm1> form1;
    try {
        form1 = std::make_unique<tovrin::TForm1>();
    } catch (const std::exception& e) {
        // The window could not be made (a cue's sound file, most likely): say why and end
        // without showing it.
        tovrin::makeMessageBoxReporter()->showError(tovrin::errorMessage(e), nullptr);
        return 1;
    }
    form1->show();
    const int status = app.exec();
    // The close cue of the farewell, for one, is heard to its end.
    form1->services().cues->finish();
    return status;
}
