#include "kb/textformat.h"

namespace tovrin {

std::string writeRtf(const std::vector<std::string>&) { return {}; }
bool looksLikeRtf(std::string_view) { return false; }
std::optional<std::vector<std::string>> readRtf(std::string_view) { return std::nullopt; }
std::vector<std::string> readPlain(std::string_view) { return {}; }

} // namespace tovrin
