#include "kb/startup.h"

#include "kb/files.h"
#include "kb/knowledge.h"
#include "tovrin/version.h"

#include <cstdio>
#include <string>

namespace tovrin {

namespace {

void put(std::FILE* to, std::string_view text) { std::fwrite(text.data(), 1, text.size(), to); }

} // namespace

bool answerStandardOption(std::string_view arg, std::string_view program, std::string_view usage)
{
    if (arg == "--help" || arg == "-h") {
        put(stdout, usage);
    } else if (arg == "--version") {
        put(stdout, std::string(program) + " " + kVersion + "\n");
    } else {
        return false;
    }
    std::fflush(stdout);
    return true;
}

std::string lockWaitNotice(std::string_view program)
{
    return std::string(program) +
        ": другая копия программы сейчас сохраняет файлы в Base, жду, пока она закончит.\n";
}

void announceLockWaits(std::string_view program)
{
    setLockWaitNotice([line = lockWaitNotice(program)] {
        put(stderr, line);
        std::fflush(stderr);
    });
}

void prepareBase(std::string_view program)
{
    announceLockWaits(program);
    // What saves killed on the way left goes before the first turn needs the room.
    removeAbandonedSaves(files::Words);
}

} // namespace tovrin
