#pragma once
// The working folder brought up to the installed delivered data: a folder made anew, one that
// lacks delivered files, and one made from older delivered knowledge.
//
// The folder keeps a copy of the delivered files it was made from in .delivered/ (the program
// itself never looks there). When the installed data differs from that copy, every file under
// Base\ is merged three ways (tools/merge.h), the sounds and the history text are replaced
// unless the user changed them, the user's records (the dialogue log, the profanity record)
// are left alone, and the old version of every file that changes is first kept in
// before-VERSION/. Files the folder lacks are copied in; nothing the folder holds is touched
// otherwise. Every file is replaced whole and the copy of the delivered files is switched last,
// so an upgrade cut short at any point is finished by the next one, and nothing is lost.
#include "kbtool/merge.h"

#include <filesystem>
#include <string>

namespace tovrin::kbtool {

struct UpgradeReport {
    std::string fromVersion; // the version the folder was made from ("" when it kept no copy)
    std::string toVersion;
    bool upToDate = false; // nothing to do
    bool made = false; // the folder held no delivered file at all: made from scratch
    MergeCounts entries; // Base\Words.Dat
    MergeCounts lines; // the phrase lists together
    int restored = 0; // delivered files the folder lacked, copied in
    int followed = 0; // sounds and the history text replaced by the new ones
    int keptOwn = 0; // sounds and texts the user changed, kept as they are
    std::string backup; // the folder that holds the old files ("" when none changed)
};

// Works on the current folder, under the Base lock. Throws FileError when a file cannot be read
// or saved; what was saved before stays, and the next call goes on from there.
UpgradeReport upgradeWorkingFolder(const std::filesystem::path& delivered,
                                   const std::string& version);

// The one line that tells the user what came in, in Russian (UTF-8); empty when nothing did.
std::string describeUpgrade(const UpgradeReport& report);

// The folder inside the working folder where the delivered files are kept.
inline constexpr const char* kDeliveredFolder = ".delivered";

} // namespace tovrin::kbtool
