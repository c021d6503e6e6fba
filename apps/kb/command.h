#pragma once
// The commands of tovrin-kb: each is one file of this folder, with its own entry in the table
// (commands.cpp). The general help is made from the table, so it names every command there is,
// and each command's --help is its synopsis followed by its own text.
#include <span>
#include <string>
#include <vector>

namespace tovrin::kb {

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

using Args = std::vector<std::string>;

struct Command {
    const char* name;
    // The arguments after the name, as the usage line shows them; a second form on a line of
    // its own ("--batch ФАЙЛ").
    std::vector<const char*> synopsis;
    const char* summary; // one line for the general help
    const char* help; // the rest of the command's own help: what it does, every option
    int (*run)(const Args& args);
};

// Every command, in the order the general help lists them.
std::span<const Command> commands();
const Command* findCommand(const std::string& name);

// The general help and a command's own.
std::string generalHelp();
std::string commandHelp(const Command& command);

// ---- what the commands share

// A file's text (Windows-1251) for the terminal, which speaks UTF-8 and is given no control
// character of a file to act on.
std::string shown(const std::string& text);

// A file named on the command line is found from the folder tovrin-kb was started in, whatever
// folder -C names.
void setStartFolder(const std::string& folder);
std::string fromStart(const std::string& path);

// At most one FILE operand (Base\Words.Dat when none); anything that looks like an option is a
// mistake. Says so on standard error and returns false.
bool fileOperand(const std::string& command, const Args& args, std::string& file);

// A whole file named on the command line; false, said on standard error, when it cannot be read.
bool readFile(const std::string& command, const std::string& path, std::string& text);

// "12.5%".
std::string percent(double value);

// Why a file cannot be opened, in the user's terms.
std::string whyCannotOpen(const std::string& file);

} // namespace tovrin::kb
