#pragma once
// A file that cannot be read or written stops the handler that needed it. The message is
// shown to the user exactly as it stands. what() holds it in Windows-1251, as the paths it
// names are; utf8() is the same message for a screen or a terminal.
#include "kb/cp1251.h"

#include <stdexcept>
#include <string>

namespace tovrin {

class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;

    static FileError cannotOpen(const std::string& path) { return FileError("Cannot open file " + path); }
    static FileError cannotCreate(const std::string& path) { return FileError("Cannot create file " + path); }
    static FileError failedToLoad() { return FileError("Failed to Load Stream"); }
    static FileError failedToSave() { return FileError("Failed to Save Stream"); }

    std::string utf8() const { return cp1251::toUtf8(what()); }
};

} // namespace tovrin
