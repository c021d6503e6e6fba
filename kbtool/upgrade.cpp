#include "kbtool/upgrade.h"

#include "kb/cp1251.h"
#include "kb/fileerror.h"
#include "kb/files.h"
#include "kb/knowledge.h"
#include "kb/textformat.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace tovrin::kbtool {

namespace {

constexpr const char* kCurrentName = "current"; // names the slot that holds the copy
constexpr const char* kVersionName = "VERSION"; // in a slot: the version it is
constexpr const char* kSlots[] = {"a", "b"};

// A path under the current folder as the program names it ("Base\Words.Dat").
std::string programPath(const fs::path& relative)
{
    std::string path;
    for (const auto& part : relative) {
        if (!path.empty())
            path += '\\';
        path += cp1251::fromUtf8(part.string());
    }
    return path;
}

std::optional<std::string> readBytes(const fs::path& path)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw FileError::cannotOpen(programPath(path));
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw FileError::failedToLoad();
    return bytes;
}

std::vector<std::string> linesOf(const std::string& bytes)
{
    if (looksLikeRtf(bytes)) {
        auto lines = readRtf(bytes);
        if (!lines)
            throw FileError::failedToLoad();
        return std::move(*lines);
    }
    return readPlain(bytes);
}

// Every regular file under a folder, as paths relative to it, in byte order.
std::vector<fs::path> filesUnder(const fs::path& folder)
{
    std::vector<fs::path> found;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        if (it->is_regular_file(ec))
            found.push_back(fs::relative(it->path(), folder));
    std::sort(found.begin(), found.end());
    return found;
}

// The user's file for a delivered one: found as the program finds its files, case ignored.
fs::path userFile(const fs::path& relative) { return fs::path(resolvePath(programPath(relative))); }

void saveBytes(const fs::path& relative, const std::string& bytes)
{
    std::error_code ec;
    fs::create_directories(relative.parent_path().empty() ? fs::path(".") : relative.parent_path(),
                           ec);
    saveWholeFile(programPath(relative), bytes);
}

bool isRecord(const fs::path& relative)
{
    const std::string name = cp1251::upper(relative.filename().string());
    return name == "LOG.TOVRIN" || name == "COLLECTION.DAT";
}

bool isKnowledge(const fs::path& relative)
{
    return cp1251::upper(relative.filename().string()) == "WORDS.DAT";
}

bool isLineList(const fs::path& relative)
{
    return !relative.empty() && cp1251::upper(relative.begin()->string()) == "BASE" &&
        !isRecord(relative);
}

struct Recorded {
    fs::path slot; // relative to the working folder
    std::string version;
};

std::optional<Recorded> recorded()
{
    const fs::path folder = kDeliveredFolder;
    const auto current = readBytes(folder / kCurrentName);
    if (!current)
        return std::nullopt;
    std::string slot = *current;
    while (!slot.empty() && (slot.back() == '\n' || slot.back() == '\r'))
        slot.pop_back();
    if (std::find(std::begin(kSlots), std::end(kSlots), slot) == std::end(kSlots))
        return std::nullopt;
    std::error_code ec;
    if (!fs::is_directory(folder / slot, ec))
        return std::nullopt;
    std::string version = readBytes(folder / slot / kVersionName).value_or("");
    while (!version.empty() && (version.back() == '\n' || version.back() == '\r'))
        version.pop_back();
    return Recorded{folder / slot, version};
}

// The new copy goes into the slot not in use, complete before current names it.
void record(const fs::path& delivered, const std::vector<fs::path>& names,
            const std::string& version, const std::optional<Recorded>& old)
{
    const fs::path folder = kDeliveredFolder;
    const std::string slot = old && old->slot.filename() == kSlots[0] ? kSlots[1] : kSlots[0];
    std::error_code ec;
    fs::remove_all(folder / slot, ec);
    for (const auto& name : names)
        saveBytes(folder / slot / name, readBytes(delivered / name).value_or(""));
    saveBytes(folder / slot / kVersionName, version + "\n");
    saveBytes(folder / kCurrentName, slot + "\n");
    if (old)
        fs::remove_all(old->slot, ec);
}

struct Change {
    fs::path name; // relative to the working folder
    std::string bytes; // the new content
    bool backup = false; // the user's file exists and is kept in the backup first
};

} // namespace

UpgradeReport upgradeWorkingFolder(const fs::path& delivered, const std::string& version)
{
    UpgradeReport report;
    report.toVersion = version;
    std::error_code ec;
    if (!fs::is_directory(delivered / "Base", ec))
        throw FileError::cannotOpen(programPath(delivered / "Base"));

    FileLock lock(files::Words);
    const std::optional<Recorded> base = recorded();
    if (base)
        report.fromVersion = base->version;
    const std::vector<fs::path> names = filesUnder(delivered);

    std::vector<Change> changes;
    bool baseDiffers = !base;
    int present = 0;
    for (const auto& name : names) {
        const std::string theirs = readBytes(delivered / name).value_or("");
        const std::optional<std::string> was = base ? readBytes(base->slot / name) : std::nullopt;
        if (!was || *was != theirs)
            baseDiffers = true;
        const fs::path mine = userFile(name);
        const std::optional<std::string> ours = readBytes(mine);
        if (!ours) {
            if (fs::exists(fs::symlink_status(mine, ec)))
                throw FileError::cannotOpen(programPath(name)); // a folder or a link in its place
            changes.push_back({name, theirs, false});
            ++report.restored;
            continue;
        }
        ++present;
        if (was && *was == theirs)
            continue; // the delivery did not change it
        if (isRecord(name))
            continue;
        if (isLineList(name)) {
            const std::vector<std::string> oursLines = linesOf(*ours);
            std::optional<std::vector<std::string>> baseLines;
            if (was)
                baseLines = linesOf(*was);
            MergeResult merged = mergeLines(baseLines ? &*baseLines : nullptr, oursLines,
                                            linesOf(theirs), isKnowledge(name));
            MergeCounts& counts = isKnowledge(name) ? report.entries : report.lines;
            counts.added += merged.counts.added;
            counts.changed += merged.counts.changed;
            counts.removed += merged.counts.removed;
            counts.learnt += merged.counts.learnt;
            counts.conflicts += merged.counts.conflicts;
            if (merged.lines != oursLines)
                changes.push_back({name, writeRtf(merged.lines), true});
            continue;
        }
        // Sounds and the history text follow the package unless the user changed them.
        if (*ours == theirs)
            continue;
        if (was && *ours == *was) {
            changes.push_back({name, theirs, true});
            ++report.followed;
        } else {
            ++report.keptOwn;
        }
    }
    report.made = present == 0;
    if (changes.empty() && !baseDiffers) {
        report.upToDate = true;
        return report;
    }

    // The old files first, once: a second run after an interrupted one finds them kept.
    const bool anyBackup =
        std::any_of(changes.begin(), changes.end(), [](const Change& c) { return c.backup; });
    if (anyBackup) {
        const fs::path backup = "before-" + version;
        report.backup = backup.string();
        if (!fs::exists(backup, ec)) {
            const fs::path partial = "." + backup.string() + ".partial";
            fs::remove_all(partial, ec);
            for (const Change& c : changes)
                if (c.backup)
                    saveBytes(partial / c.name, readBytes(userFile(c.name)).value_or(""));
            fs::rename(partial, backup, ec);
            if (ec)
                throw FileError::cannotCreate(programPath(backup));
        }
    }
    for (const Change& c : changes)
        saveBytes(userFile(c.name), c.bytes);
    record(delivered, names, version, base);
    return report;
}

std::string describeUpgrade(const UpgradeReport& r)
{
    if (r.upToDate || r.made)
        return {};
    std::ostringstream line;
    if (r.fromVersion == r.toVersion && r.entries == MergeCounts{} && r.lines == MergeCounts{} &&
        r.followed == 0) {
        if (r.restored == 0)
            return {};
        line << "Возвращены недостающие файлы рабочей папки: " << r.restored << ".";
        return line.str();
    }
    line << "Знания обновлены до версии " << r.toVersion << ": новых записей " << r.entries.added
         << ", изменённых " << r.entries.changed << ", новых строк в списках фраз "
         << r.lines.added;
    if (r.followed > 0)
        line << ", новых звуков и текстов " << r.followed;
    if (r.restored > 0)
        line << ", возвращённых файлов " << r.restored;
    line << "; всё выученное сохранено";
    if (r.entries.conflicts > 0)
        line << " (в " << r.entries.conflicts
             << " записях, изменённых с обеих сторон, оставлен ваш текст и добавлены новые ответы)";
    line << ".";
    if (!r.backup.empty())
        line << " Прежние файлы: " << r.backup << ".";
    return line.str();
}

} // namespace tovrin::kbtool
