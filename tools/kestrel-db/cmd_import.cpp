// kestrel-db import FILE.DB DOWNLOAD.txt: reloads a shared file from an interchange download.
#include "command.h"

#include "dbtool.h"
#include "escaped.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

// A whole number of at most digits digits (a header length may pass 4 GiB).
bool ParseWhole(const std::string& text, long long& value, size_t digits = 9) {
    if (text.empty() || text.size() > digits || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::strtoll(text.c_str(), nullptr, 10);
    return true;
}

std::string Shown(const std::string& text) {
    return kdb::Escaped(text);
}

std::string KnownFiles(bool reloadableOnly) {
    std::string names;
    for (const kdb::FileKind& k : kdb::FileKinds())
        if (!reloadableOnly || k.reloadable) names += (names.empty() ? "" : ", ") + k.fileName;
    return names;
}

struct ImportOptions {
    std::string recordPath, download;
    const kdb::FileKind* kind = nullptr;
    long long version = 0, header = 0;
    bool purge = false;
};

// The command line read into options; the exit status of a usage error, or 0.
int ReadOptions(const std::vector<std::string>& args, ImportOptions& o) {
    auto pos = kdb::Positional(args, {"--version", "--header-length"});
    if (pos.size() != 2) {
        std::fprintf(stderr, "kestrel-db import: give the record file and the download (see --help)\n");
        return 2;
    }
    o.recordPath = pos[0];
    o.download = pos[1];
    o.kind = kdb::FindFileKind(o.recordPath);
    if (!o.kind) {
        std::fprintf(stderr,
                     "kestrel-db import: %s is not a record file of the system; reloadable files: %s\n",
                     Shown(o.recordPath).c_str(), KnownFiles(true).c_str());
        return 2;
    }
    if (!o.kind->reloadable) {
        std::fprintf(stderr,
                     "kestrel-db import: %s cannot be reloaded from a download; reloadable files: %s\n",
                     o.kind->fileName.c_str(), KnownFiles(true).c_str());
        return 2;
    }
    o.version = o.kind->defaultVersion;
    std::string text;
    if (kdb::FlagValue(args, "--version", text) && !ParseWhole(text, o.version)) {
        std::fprintf(stderr,
                     "kestrel-db import: bad version '%s': give the interchange version as a whole number\n",
                     Shown(text).c_str());
        return 2;
    }
    if (kdb::HasFlag(args, "--version") && !kdb::FlagValue(args, "--version", text)) {
        std::fprintf(stderr, "kestrel-db import: --version needs a number\n");
        return 2;
    }
    if (kdb::FlagValue(args, "--header-length", text) && !ParseWhole(text, o.header, 18)) {
        std::fprintf(stderr, "kestrel-db import: bad header length '%s': give a number of bytes\n",
                     Shown(text).c_str());
        return 2;
    }
    o.purge = kdb::HasFlag(args, "--purge");
    return 0;
}

// The download must be there and the record file's folder too; the record file itself may not.
int CheckPlaces(const ImportOptions& o) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(o.download, ec)) {
        std::fprintf(stderr, "kestrel-db import: download not found: %s\n", Shown(o.download).c_str());
        return 1;
    }
    std::filesystem::path parent = std::filesystem::path(o.recordPath).parent_path();
    if (!parent.empty() && !std::filesystem::is_directory(parent, ec)) {
        std::fprintf(stderr, "kestrel-db import: no such database directory: %s\n",
                     Shown(parent.string()).c_str());
        return 1;
    }
    if (!std::filesystem::exists(o.recordPath, ec))
        std::fprintf(stderr, "kestrel-db import: %s does not exist yet; it is created\n",
                     Shown(o.recordPath).c_str());
    return 0;
}

// A progress bar on a terminal, drawn at most ten times a second.
kdb::ProgressCallback ProgressBar(bool terminal) {
    auto start = std::chrono::steady_clock::now();
    auto lastDraw = start - std::chrono::seconds(1);
    return [terminal, start, lastDraw](uint64_t position, uint64_t total, uint64_t lines) mutable {
        auto now = std::chrono::steady_clock::now();
        if (!terminal || (now - lastDraw < std::chrono::milliseconds(100) && position < total)) return;
        lastDraw = now;
        double seconds = std::chrono::duration<double>(now - start).count();
        int percent = total ? static_cast<int>(position * 100 / total) : 100;
        int filled = percent * 30 / 100;
        std::fprintf(stderr, "\r[%-30s] %3d%%  %llu lines  %.0f lines/s ", std::string(filled, '#').c_str(),
                     percent, static_cast<unsigned long long>(lines), seconds > 0 ? lines / seconds : 0.0);
        std::fflush(stderr);
    };
}

// The outcome and the import messages; the exit status.
int Report(const ImportOptions& o, const kdb::ImportResult& r) {
    if (r.failed())
        std::fprintf(stderr, "kestrel-db import: %s: stopped after %llu lines: %s\n",
                     o.kind->fileName.c_str(), static_cast<unsigned long long>(r.lines),
                     Shown(r.failureText).c_str());
    else
        std::printf("%s: %llu lines in %.2f s (%.0f lines/s), version %lld%s\n", o.kind->fileName.c_str(),
                    static_cast<unsigned long long>(r.lines), r.seconds,
                    r.seconds > 0 ? r.lines / r.seconds : 0.0, o.version, o.purge ? ", purged first" : "");
    if (!r.errors.empty()) {
        std::printf("%zu message%s:\n", r.errors.size(), r.errors.size() == 1 ? "" : "s");
        for (const std::string& e : r.errors)
            std::printf("  %s\n", Shown(e).c_str());
    }
    if (r.failed()) return 3;
    return r.errors.empty() ? 0 : 1;
}

int Import(const std::vector<std::string>& args) {
    ImportOptions o;
    if (int code = ReadOptions(args, o)) return code;
    if (int code = CheckPlaces(o)) return code;
    bool terminal = isatty(fileno(stderr));
    kdb::ImportResult r = kdb::ImportDownload(o.recordPath, o.download, static_cast<int>(o.version), o.header,
                                              o.purge, ProgressBar(terminal));
    if (terminal) std::fprintf(stderr, "\n");
    if (!r.started) {
        std::fprintf(stderr, "kestrel-db import: %s\n", Shown(r.problem).c_str());
        return 1;
    }
    return Report(o, r);
}

kdb::CommandRegistration
    reg({"import", "import FILE.DB DOWNLOAD.txt [--version N] [--header-length N] [--purge]",
         "Reloads a shared record file from an interchange download, line by line: a line of a key\n"
         "alone deletes (or, in the item history, withdraws) that record; any other line updates the\n"
         "record or inserts it. The kind of file is taken from its name (ITEM.DB, ITEMUNIT.DB,\n"
         "CUST.DB, VELOCITY.DB, CONTROL.DB, ITEMDICT.DB, ITEMLKUP.DB, MNPRICE.DB); a record file that\n"
         "does not exist yet is created.\n\n"
         "  --version N         interchange version of the download (decides the line layout;\n"
         "                      default: the newest layout of the file, see docs/interchange.md)\n"
         "  --header-length N   bytes to skip at the start of the download (default 0)\n"
         "  --purge             replace the records of the file by the download's (customers marked\n"
         "                      \"keep on reload\" stay); all or nothing: on any failure the file keeps\n"
         "                      the records it had\n\n"
         "Lines may end in LF or CR LF. Shows a progress bar on a terminal. Prints the import messages\n"
         "at the end, control characters shown as \\xNN. The exit status is 1 when there was any\n"
         "message, 2 for a usage error, and 3 when the record file could not be written (a full disk,\n"
         "a failed commit): the message tells which lines are on file; a purge then changes nothing.",
         Import});

} // namespace
