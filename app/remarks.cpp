// The remarks the program makes by itself: idle remark (T2), delayed remark (T9), greeting (T10).
#include "app/mainwindow.h"

namespace tovrin {

void TForm1::T2Timer() {}
void TForm1::T9Timer() {}
void TForm1::T10Timer() {}

} // namespace tovrin
