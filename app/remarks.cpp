// The remarks the program makes by itself: idle remark (T2), delayed remark (T9), greeting (T10).
#include "app/mainwindow.h"

#include "kb/fileerror.h"

namespace tovrin {

void TForm1::guardedOnce(bool& reported, const std::function<bool()>& tick)
{
    guarded([&] {
        try {
            if (tick())
                reported = false;
        } catch (const FileError&) {
            // The timer goes on trying (every second, or every millisecond for the greeting);
            // one message box for the whole run of failures is enough. The flag is set before
            // the box opens, since the timers keep firing under it.
            if (reported)
                return;
            reported = true;
            throw;
        }
    });
}

void TForm1::T2Timer()
{
    // Only a remark that was made counts as success; the seconds that merely count do not,
    // or a missing list would be reported again after every quiet second.
    guardedOnce(idleRemarkReported_, [this] {
        engine().IdleTick();
        return engine().IdleTicks == 0;
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
