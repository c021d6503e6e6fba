// Full screen and back.
#include "app/mainwindow.h"

namespace tovrin {

void TForm1::N40Click() {}

} // namespace tovrin
