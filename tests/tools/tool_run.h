// kestrel-db run as a separate program (KR_TOOL names it): its exit status and what it printed.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace kt {

struct ToolRun {
    int status = -1;
    std::string output; // standard output and error together
};

inline ToolRun Tool(const std::string& arguments) {
    ToolRun r;
    std::string command = std::string(KR_TOOL) + " " + arguments + " 2>&1";
    std::FILE* p = popen(command.c_str(), "r");
    if (!p) return r;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), p)) > 0)
        r.output.append(buffer.data(), n);
    int s = pclose(p);
    r.status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    return r;
}

} // namespace kt
