#include "support/kbsupport.h"

#include "kb/cp1251.h"
#include "kb/fileerror.h"
#include "kb/linelist.h"

#include <atomic>
#include <fstream>
#include <random>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tovrin::test {

namespace {
fs::path hostPath(const fs::path& root, const std::string& programPath)
{
    std::string p = programPath;
    for (char& c : p)
        if (c == '\\')
            c = '/';
    return root / p;
}
} // namespace

std::string bytesOf(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ScratchDir::ScratchDir(bool withData)
{
    static std::atomic<int> counter{0};
    std::random_device rd;
    path_ = fs::temp_directory_path() /
        ("tovrin-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
         std::to_string(rd()));
    fs::create_directories(path_ / "Base");
    if (withData)
        fs::copy(fs::path(TOVRIN_SOURCE_DIR) / "data", path_,
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    previous_ = fs::current_path();
    fs::current_path(path_);
}

ScratchDir::~ScratchDir()
{
    std::error_code ec;
    fs::current_path(previous_, ec);
    fs::remove_all(path_, ec);
}

void ScratchDir::write(const std::string& programPath, const std::string& bytes) const
{
    const fs::path p = hostPath(path_, programPath);
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}

void ScratchDir::writeLines(const std::string& programPath,
                            const std::vector<std::string>& utf8Lines) const
{
    std::string bytes;
    for (const auto& l : utf8Lines)
        bytes += cp1251::fromUtf8(l) + "\r\n";
    write(programPath, bytes);
}

std::vector<std::string> ScratchDir::readLines(const std::string& programPath) const
{
    LineList list;
    list.load(programPath);
    std::vector<std::string> out;
    for (const auto& l : list.lines())
        out.push_back(cp1251::toUtf8(l));
    return out;
}

bool ScratchDir::exists(const std::string& programPath) const
{
    return fs::exists(hostPath(path_, programPath));
}

void ScratchDir::remove(const std::string& programPath) const
{
    fs::remove(hostPath(path_, programPath));
}

std::string errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const FileError& e) {
        return e.what();
    }
    return "";
}

std::string cp(const std::string& utf8) { return cp1251::fromUtf8(utf8); }
std::string utf(const std::string& cp1251) { return cp1251::toUtf8(cp1251); }

LineList utf8List(const std::vector<std::string>& utf8Lines)
{
    LineList list;
    for (const auto& l : utf8Lines)
        list.add(cp(l));
    return list;
}

} // namespace tovrin::test
