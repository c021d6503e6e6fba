#pragma once
// A file that cannot be read or written stops the handler that needed it. The message is
// shown to the user exactly as it stands, built from what the error knows: its kind, the path
// it names (as the program names it, in Windows-1251) and, where the system told one, the
// cause (an errno value). what() holds the message in Windows-1251, as the paths it names
// are; utf8() is the same message for a screen or a terminal.
#include "kb/cp1251.h"

#include <stdexcept>
#include <string>

namespace tovrin {

class FileError : public std::runtime_error {
public:
    enum class Kind {
        CannotOpen, // "Cannot open file %s": the file cannot be read
        CannotCreate, // "Cannot create file %s": the file cannot be made or written
        FailedToLoad, // "Failed to Load Stream": its content cannot be read as a line list
        FailedToSave, // "Failed to Save Stream": writing it stopped part of the way
        Other, // a message of its own
    };

    // A failure with a message of its own (a sound file that is not one, say).
    explicit FileError(const std::string& message) : FileError(Kind::Other, {}, 0, message) {}

    static FileError cannotOpen(const std::string& path, int cause = 0)
    {
        return FileError(Kind::CannotOpen, path, cause, "Cannot open file " + path);
    }
    static FileError cannotCreate(const std::string& path, int cause = 0)
    {
        return FileError(Kind::CannotCreate, path, cause, "Cannot create file " + path);
    }
    static FileError failedToLoad(int cause = 0)
    {
        return FileError(Kind::FailedToLoad, {}, cause, "Failed to Load Stream");
    }
    static FileError failedToSave(int cause = 0)
    {
        return FileError(Kind::FailedToSave, {}, cause, "Failed to Save Stream");
    }

    Kind kind() const { return kind_; }
    // The path the message names; empty for the stream failures, whose message names none.
    const std::string& path() const { return path_; }
    // The errno value behind the failure, 0 when none was told.
    int cause() const { return cause_; }

    std::string utf8() const { return cp1251::toUtf8(what()); }

private:
    FileError(Kind kind, std::string path, int cause, const std::string& message) :
        std::runtime_error(message),
        kind_(kind),
        path_(std::move(path)),
        cause_(cause)
    {
    }

    Kind kind_;
    std::string path_;
    int cause_;
};

} // namespace tovrin
