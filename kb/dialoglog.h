#pragma once
// The block that the exit appends to Base\Log.Tovrin.
#include <string>

namespace tovrin {

class LineList;

// Loads Base\Words.Dat (N = Count - 1) and Base\Log.Tovrin into work, appends the block
// (empty line, rules, date and time, the learnt count, the dialogue log, the "=" rule) and
// saves the log file under the Base lock. The log file must exist: it is never created.
// date and time are already formatted by the caller's regional settings.
void AppendDialogueLog(LineList& work, const LineList& dialogueLog,
                       const std::string& date, const std::string& time);

} // namespace tovrin
