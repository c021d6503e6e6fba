// The window program: creates the main window (and with it the hidden secondary windows),
// shows it and runs until it is closed.
#include "app/mainwindow.h"
#include "app/messagebox.h"
#include "kb/cp1251.h"
#include "kb/fileerror.h"
#include "kb/files.h"
#include "kb/knowledge.h"

#include <QApplication>
#include <QFont>
#include <exception>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tovrin"));
    // The windows are drawn in "MS Sans Serif"; where it is missing, the nearest faces of
    // similar width keep the status texts and captions within their fields.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                                QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                                QStringLiteral("DejaVu Sans Condensed")});

    // What saves killed on the way left under Base\ goes before the first turn needs the room.
    tovrin::removeAbandonedSaves(tovrin::files::Words);

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
