// kestrel-db: the admin tool for the people who run a database directory.
#include "command.h"
#include "escaped.h"

#include <algorithm>
#include <cstdio>

namespace kdb {

std::vector<Command>& Commands() {
    static std::vector<Command> commands;
    return commands;
}

bool HasFlag(const std::vector<std::string>& args, const std::string& flag) {
    return std::find(args.begin(), args.end(), flag) != args.end();
}

bool FlagValue(const std::vector<std::string>& args, const std::string& flag, std::string& value) {
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == flag) {
            value = args[i + 1];
            return true;
        }
    return false;
}

std::vector<std::string> Positional(const std::vector<std::string>& args,
                                    const std::vector<std::string>& valueFlags) {
    std::vector<std::string> out;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i].rfind("--", 0) == 0) {
            if (std::find(valueFlags.begin(), valueFlags.end(), args[i]) != valueFlags.end()) ++i;
            continue;
        }
        out.push_back(args[i]);
    }
    return out;
}

} // namespace kdb

namespace {
void Usage(std::FILE* to) {
    std::fprintf(to, "usage: kestrel-db COMMAND [ARGS...]\n\ncommands:\n");
    auto commands = kdb::Commands();
    std::sort(commands.begin(), commands.end(), [](auto& a, auto& b) { return a.name < b.name; });
    for (auto& c : commands)
        std::fprintf(to, "  %s\n", c.synopsis.c_str());
    std::fprintf(to, "\n'kestrel-db COMMAND --help' tells more about one command.\n");
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
        Usage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    std::string name = argv[1];
    std::vector<std::string> args(argv + 2, argv + argc);
    for (auto& c : kdb::Commands()) {
        if (c.name != name) continue;
        if (kdb::HasFlag(args, "--help") || kdb::HasFlag(args, "-h")) {
            std::printf("usage: kestrel-db %s\n\n%s\n", c.synopsis.c_str(), c.help.c_str());
            return 0;
        }
        return c.run(args);
    }
    std::fprintf(stderr, "kestrel-db: unknown command '%s'\n\n", kdb::Escaped(name).c_str());
    Usage(stderr);
    return 2;
}
