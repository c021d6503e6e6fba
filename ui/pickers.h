#pragma once
// The real colour and font dialogs behind the pickers.
#include "app/services.h"

#include <memory>

namespace tovrin {

std::unique_ptr<Pickers> makeDialogPickers();

} // namespace tovrin
