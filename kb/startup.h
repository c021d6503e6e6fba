#pragma once
// What the three programs (the window, tovrin-console and tovrin-kb) do alike as they start:
// they answer --help and --version before anything else, say so when they wait for another
// copy's save, and clear away what saves killed on the way left under Base\.
#include <string>
#include <string_view>

namespace tovrin {

// When arg is --help (or -h) or --version, prints the usage text or "PROGRAM VERSION" on
// standard output and returns true: the program then ends with status 0.
bool answerStandardOption(std::string_view arg, std::string_view program, std::string_view usage);

// The one line on standard error, in the program's name, once a save has waited a second for
// another copy of the program that is saving in the same Base folder.
std::string lockWaitNotice(std::string_view program);
void announceLockWaits(std::string_view program);

// Before the first turn of a conversation: the notice above, and the temporary files of saves
// killed on the way removed from Base\ (none that a running save holds).
void prepareBase(std::string_view program);

} // namespace tovrin
