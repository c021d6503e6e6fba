#pragma once
// tovrin-kb merge: the working folder brought up to the installed delivered data.
#include <functional>
#include <string>
#include <vector>

namespace tovrin::kbtool {

extern const char* const MergeHelp;

// fromStart turns a path given on the command line into one from the current folder.
int runMerge(const std::vector<std::string>& args, const std::function<std::string(const std::string&)>& fromStart);

} // namespace tovrin::kbtool
