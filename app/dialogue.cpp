// Undo of the last line, a new dialogue and the exit that writes the dialogue log.
#include "app/mainwindow.h"

#include "ui/transcript.h"
#include "kb/dialoglog.h"

#include <QLineEdit>

#include <ctime>

namespace tovrin {

void TForm1::CancelClick()
{
    // The two removals are independent: service lines live only in the transcript.
    RE1->removeLast();
    engine().DropLastLogLine();
    setTimerEnabled(Timer::T7, true);
}

void TForm1::N15Click() { CancelClick(); }

void TForm1::N2Click()
{
    RE1->clearLines();
    engine().ClearLog();
    Input->clear();
    setTimerEnabled(Timer::T7, true);
    setTimerEnabled(Timer::T10, true);
}

void TForm1::N4Click()
{
    guarded([this] { writeLogAndClose(); });
}

void TForm1::writeLogAndClose()
{
    const LogStamp stamp = MakeLogStamp(std::time(nullptr));
    engine().WriteDialogueLog(stamp.date, stamp.time);
    close();
}

} // namespace tovrin
