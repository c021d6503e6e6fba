// The window program: creates the main window (and with it the hidden secondary windows),
// shows it and runs until it is closed.
#include "app/mainwindow.h"
#include "app/messagebox.h"
#include "ui/look.h"
#include "ui/window.h"

#include <QApplication>
#include <QFont>
#include <exception>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tovrin"));
    // The windows are drawn in "MS Sans Serif"; where it is missing, the nearest faces of
    // similar width keep the status texts and captions within their fields.
    QFont::insertSubstitutions(tovrin::look::FontFace,
                               {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                                QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                                QStringLiteral("DejaVu Sans Condensed")});

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
