#pragma once
// The plain message box in which a failed handler's message is shown.
#include "app/services.h"

#include <memory>

namespace tovrin {

// The program's own name, the title of its message boxes.
QString programTitle();

std::unique_ptr<Reporter> makeMessageBoxReporter();

} // namespace tovrin
