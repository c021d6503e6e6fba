// Opening the about window.
#include "app/mainwindow.h"
#include "ui/aboutwindow.h"

namespace tovrin {

void TForm1::N12Click()
{
    // It always opens folded, whatever it was when it was closed.
    Form3->setOuterHeight(TForm3::FoldedHeight);
    openSecondary(Form3);
}

} // namespace tovrin
