// Opening the about window.
#include "app/mainwindow.h"
#include "ui/aboutwindow.h"

#include <QTimer>

namespace tovrin {

void TForm1::N12Click()
{
    timer(Timer::T1)->stop();
    // It always opens folded, whatever it was when it was closed.
    Form3->setOuterHeight(TForm3::FoldedHeight);
    setEnabled(false);
    Form3->show();
    Form3->setEnabled(true);
    Form3->raise();
    Form3->activateWindow();
}

} // namespace tovrin
