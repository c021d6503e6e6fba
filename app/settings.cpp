// The commands whose work lives in the folders of their topics: colours and fonts
// (ui/appearance), full screen (ui/fullscreen), the about window (ui/aboutwindow), layout
// correction (input/correction) and the virtual keyboard (input/keyboardwindow).
#include "app/mainwindow.h"

#include "app/editorwindow.h"
#include "input/correction.h"
#include "input/keyboardwindow.h"
#include "ui/aboutwindow.h"
#include "ui/appearance.h"
#include "ui/fullscreen.h"

#include <QAction>

namespace tovrin {

void TForm1::N13Click()
{
    appearance_->restore();
    Form2->restoreInitialSettings();
    // The editor takes any change of its two fields for a change of the settings; this one is
    // the restore itself.
    N13->setChecked(true);
    Form3->setOuterHeight(TForm3::FoldedHeight);
}

void TForm1::N40Click() { fullScreen_->toggle(); }

void TForm1::N12Click()
{
    // It always opens folded, whatever it was when it was closed.
    Form3->setOuterHeight(TForm3::FoldedHeight);
    openSecondary(Form3);
}

void TForm1::EnRusClick()
{
    services_.cues->play(Cue::MP3);
    correctLayout(Input);
}

// Ctrl+S works whether or not "E/R" is enabled, so the handler is called directly.
void TForm1::N36Click() { EnRusClick(); }

void TForm1::N22Click()
{
    openSecondary(Form4);
    Form4->opened();
}

} // namespace tovrin
