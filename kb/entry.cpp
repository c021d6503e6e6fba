#include "kb/entry.h"

namespace tovrin {

int EntryDepth(std::string_view) { return 0; }
std::string EntryHead(std::string_view) { return {}; }
std::string EntryKey(std::string_view) { return {}; }
bool EntryHasReplies(std::string_view) { return false; }
int EntryReplyCount(std::string_view) { return 0; }
std::string EntryReply(std::string_view, int) { return {}; }
bool EntryHasFarewell(std::string_view) { return false; }
EntryFault CheckEntry(std::string_view) { return EntryFault::Ok; }
const char* EntryFaultText(EntryFault) { return ""; }

} // namespace tovrin
