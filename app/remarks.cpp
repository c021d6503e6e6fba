// The remarks the program makes by itself: idle remark (T2), delayed remark (T9), greeting (T10).
#include "app/mainwindow.h"

namespace tovrin {

void TForm1::guardedOnce(bool& reported, const std::function<bool()>& tick)
{
    // The timer goes on trying (every second, or every millisecond for the greeting); one
    // message for a whole run of failures is enough. A failure that was not shown because
    // another message was open is still news.
    bool succeeded = false;
    const Outcome outcome = attempt([&] { succeeded = tick(); }, !reported);
    if (outcome == Outcome::Reported)
        reported = true;
    else if (outcome == Outcome::Done && succeeded)
        reported = false;
}

void TForm1::T2Timer()
{
    // Only a remark that was made counts as success; the seconds that merely count do not,
    // or a missing list would be reported again after every quiet second.
    guardedOnce(idleRemarkReported_, [this] {
        engine().IdleTick();
        return engine().state().IdleTicks == 0;
    });
}

void TForm1::T9Timer()
{
    guarded([this] { engine().DelayTick(); });
}

void TForm1::T10Timer()
{
    guardedOnce(greetingReported_, [this] {
        engine().GreetingTick();
        return true;
    });
}

} // namespace tovrin
