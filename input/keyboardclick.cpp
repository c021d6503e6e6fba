// Layout correction and opening the virtual keyboard.
#include "app/mainwindow.h"

namespace tovrin {

void TForm1::EnRusClick() {}
void TForm1::N36Click() {}
void TForm1::N22Click() {}

} // namespace tovrin
