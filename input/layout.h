#pragma once
// Layout correction: text typed with the Latin (US) layout to what the Russian layout gives
// on the same keys. Windows-1251 in and out; the length never changes.
#include <string>
#include <string_view>

namespace tovrin {

std::string CorrectLayout(std::string_view text);

} // namespace tovrin
