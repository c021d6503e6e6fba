// The window program: creates the main window (and with it the hidden secondary windows),
// shows it and runs until it is closed.
#include "app/mainwindow.h"
#include "app/messagebox.h"
#include "app/platform.h"
#include "kb/files.h"
#include "kb/knowledge.h"
#include "tovrin/version.h"
#include "ui/look.h"
#include "ui/window.h"

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <exception>

namespace {

const char* const kUsage =
    "Usage: tovrin [--help] [--version] [Qt options]\n"
    "\n"
    "Opens the conversation window. The knowledge is read from and learnt into Base/ of the\n"
    "current folder; tovrin-launch (the menu entry) starts it in the working folder\n"
    "~/.local/share/tovrin, made from the installed data the first time.\n"
    "\n"
    "  --help     show this help and end\n"
    "  --version  show the version and end\n";

} // namespace

int main(int argc, char** argv)
{
    // Answered before the application starts, so that they need no display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("tovrin %s\n", tovrin::kVersion);
            return 0;
        }
    }
    tovrin::choosePlatform();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tovrin"));
    // Only the main window ends the program (its closing ends the event loop): a secondary
    // window that the window manager closes never does.
    QApplication::setQuitOnLastWindowClosed(false);
    tovrin::installQtTranslations(app);
    tovrin::substituteWindowFont();

    // What saves killed on the way left under Base\ goes before the first turn needs the room.
    tovrin::removeAbandonedSaves(tovrin::files::Words);

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
    return app.exec();
}
