#include "kb/files.h"

namespace tovrin {

std::string resolvePath(const std::string& programPath) { return programPath; }
std::string readWholeFile(const std::string&) { return {}; }
void saveWholeFile(const std::string&, std::string_view) {}
void setSaveFaults(SaveFaults*) {}
FileLock::FileLock(const std::string&) {}
FileLock::~FileLock() = default;

} // namespace tovrin
