// The two conversation modes, the exchange-file poll (T6) and the opening of the editor.
#include "app/mainwindow.h"

#include "app/editorwindow.h"
#include "app/mainwindowdesign.h"
#include "ui/transcript.h"
#include "ui/window.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace tovrin {

void TForm1::CpuUser1Click()
{
    Input->clear();
    timer(Timer::T1)->start();
    setStatusText(2, form1::CpuUserPanel);
    appendLine(form1::CpuUserNotice, LineStyle::Service);
    appendLine(QString(), LineStyle::Unchanged);
    CpuUser1->setChecked(true);
    Cpu31->setChecked(false);
    timer(Timer::T6)->stop();
}

void TForm1::Cpu31Click()
{
    timer(Timer::T1)->stop();
    setStatusText(2, form1::CpuCpuPanel);
    appendLine(form1::CpuCpuNotice, LineStyle::Service);
    CpuUser1->setChecked(false);
    Cpu31->setChecked(true);
    // Its interval is left as its own last tick set it. A failure of an earlier spell in
    // this mode is news again in this one.
    pollFailed_ = false;
    setTimerEnabled(Timer::T6, true);
}

void TForm1::N38Click()
{
    Form2->prepareToOpen();
    openSecondary(Form2);
}

// The poll. A failure is shown once; the poll goes on, and after a tick that succeeds the
// next failure is shown again. A turn that the tick takes is part of the tick, so a reply
// that cannot be written back is not shown anew at every tick either. While the editor is
// open its user is typing the path the poll reads, half-typed as it is: a message then would
// take the keyboard away from the editor in mid-word, so failures are held back until the
// editor has closed, and the first tick after that shows one if the path still fails.
void TForm1::T6Timer()
{
    const bool editing = Form2->isVisible();
    const Outcome outcome = attempt(
        [this] {
            engine().LoadExchange();
            if (Form2->readsByTimer()) {
                const int period = pacedInterval(Form2->periodValue());
                if (timer(Timer::T6)->interval() != period)
                    timer(Timer::T6)->setInterval(period);
                Talk->setEnabled(false);
                engine().SpeakClick();
            } else {
                // On ENTER, or with neither way chosen: ENTER takes the newest first line.
                Talk->setEnabled(true);
            }
        },
        !pollFailed_ && !editing);
    if (outcome == Outcome::Done)
        pollFailed_ = false;
    else if (outcome == Outcome::Reported)
        pollFailed_ = true;
}

} // namespace tovrin
