// Commands of the admin tool. Each command file registers one Command with a static
// CommandRegistration; main dispatches on the first argument.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kdb {

struct Command {
    std::string name;
    std::string synopsis; // one line: "import FILE.DB DOWNLOAD.txt [--version N] ..."
    std::string help;     // the full text of "kestrel-db NAME --help"
    // Runs with the arguments after the command name; returns the process exit status.
    std::function<int(const std::vector<std::string>& args)> run;
};

std::vector<Command>& Commands();

struct CommandRegistration {
    explicit CommandRegistration(Command c) { Commands().push_back(std::move(c)); }
};

// Shared argument helpers: the value after a flag, and whether a flag is present.
bool HasFlag(const std::vector<std::string>& args, const std::string& flag);
bool FlagValue(const std::vector<std::string>& args, const std::string& flag, std::string& value);
// The arguments that are neither flags nor flag values (flags listed in valueFlags take a value).
std::vector<std::string> Positional(const std::vector<std::string>& args,
                                    const std::vector<std::string>& valueFlags);

} // namespace kdb
