// kestrel-db run as a separate program (KR_TOOL names it): its exit status and what it printed.
#pragma once

#include <array>
#include <csignal>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kt {

struct ToolRun {
    int status = -1;
    std::string output; // standard output and error together
};

// The tool with these arguments, its files allowed to grow to limit bytes (a disk that fills up).
inline ToolRun Tool(const std::vector<std::string>& args, rlim_t limit = RLIM_INFINITY) {
    ToolRun r;
    int out[2];
    if (::pipe(out) != 0) return r;
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::dup2(out[1], 2);
        ::close(out[0]);
        ::close(out[1]);
        if (limit != RLIM_INFINITY) {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit size{limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &size);
        }
        std::vector<char*> argv{const_cast<char*>(KR_TOOL)};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(KR_TOOL, argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    std::array<char, 4096> buffer;
    ssize_t n;
    while ((n = ::read(out[0], buffer.data(), buffer.size())) > 0)
        r.output.append(buffer.data(), static_cast<size_t>(n));
    ::close(out[0]);
    int s = 0;
    ::waitpid(pid, &s, 0);
    r.status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    return r;
}

// The arguments as one line, split at blanks (the tests' paths have none).
inline ToolRun Tool(const std::string& arguments) {
    std::istringstream in(arguments);
    std::vector<std::string> args;
    for (std::string a; in >> a;)
        args.push_back(a);
    return Tool(args);
}

} // namespace kt
