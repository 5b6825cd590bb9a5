// kestrel-db demo DIR: a complete demo database directory.
#include "command.h"

#include "dbtool.h"
#include "escaped.h"

#include <cstdio>
#include <filesystem>

#ifndef KR_DEMO_DATA_DIR
#define KR_DEMO_DATA_DIR "data/demo"
#endif

namespace {

int Demo(const std::vector<std::string>& args) {
    auto pos = kdb::Positional(args, {"--data"});
    if (pos.size() != 1) {
        std::fprintf(stderr, "kestrel-db demo: give the directory to fill (see --help)\n");
        return 2;
    }
    std::string data = KR_DEMO_DATA_DIR;
    kdb::FlagValue(args, "--data", data);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(std::filesystem::path(data) / "MANIFEST", ec)) {
        std::fprintf(stderr,
                     "kestrel-db demo: no downloads in %s (its MANIFEST is missing); give --data DIR\n",
                     kdb::Escaped(data).c_str());
        return 1;
    }
    std::vector<std::string> report;
    bool clean = kdb::BuildDemo(pos[0], data, &report);
    for (const std::string& line : report)
        std::printf("%s\n", kdb::Escaped(line).c_str());
    std::printf("\nRecords in %s:\n", kdb::Escaped(pos[0]).c_str());
    for (const kdb::FileKind& k : kdb::FileKinds()) {
        long n = kdb::CountRecords((std::filesystem::path(pos[0]) / k.fileName).string());
        std::printf("  %-16s %-24s %8ld\n", k.fileName.c_str(), k.description.c_str(), n);
    }
    if (!clean) {
        std::fprintf(stderr, "kestrel-db demo: the database is incomplete (see the messages above)\n");
        return 1;
    }
    return 0;
}

kdb::CommandRegistration
    reg({"demo", "demo DIR [--data DOWNLOADS]",
         "Creates a complete demo database in DIR: the folders DBTEXT, TEMP and CONFS,\n"
         "every recipe-side file as start-up creates it, and every shared file loaded\n"
         "through the reload from the demo downloads (data/demo/ of the source tree, or\n"
         "DOWNLOADS with its MANIFEST). Prints the record count of every file.",
         Demo});

} // namespace
