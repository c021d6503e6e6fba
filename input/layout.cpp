#include "input/layout.h"

namespace tovrin {

std::string CorrectLayout(std::string_view text) { return std::string(text); }

} // namespace tovrin
