#include "kb/cp1251.h"

namespace tovrin::cp1251 {

std::string toUtf8(std::string_view text) { return std::string(text); }
std::string fromUtf8(std::string_view utf8) { return std::string(utf8); }
char upper(char c) { return c; }
std::string upper(std::string_view text) { return std::string(text); }

} // namespace tovrin::cp1251
