// The window's two animations: the shake (T7) and the shrink-and-close (T4).
#include "app/mainwindow.h"

namespace tovrin {

void TForm1::T7Timer() {}
void TForm1::T4Timer() {}

} // namespace tovrin
