// Opening the about window.
#include "app/mainwindow.h"

namespace tovrin {

void TForm1::N12Click() {}

} // namespace tovrin
