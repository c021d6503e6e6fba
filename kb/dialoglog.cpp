#include "kb/dialoglog.h"

#include "kb/linelist.h"

namespace tovrin {

void AppendDialogueLog(LineList&, const LineList&, const std::string&, const std::string&) {}

} // namespace tovrin
