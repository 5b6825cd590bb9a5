// kestrel-db copy SRC DST: every record file of one database directory into another, whichever
// store keeps each (the folder's own database, or a server schema).
#include "command.h"

#include "btrieve/btrcall.h"
#include "btrieve/files.h"
#include "btrieve/pg_store.h"
#include "btrieve/store.h"
#include "escaped.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

int16_t Tx(uint16_t op) {
    uint8_t pb[128] = {};
    return BTRCALL(op, pb, nullptr, nullptr, nullptr, 0, 0);
}

int Copy(const std::vector<std::string>& args) {
    auto pos = kdb::Positional(args, {});
    if (pos.size() != 2) {
        std::fprintf(stderr, "kestrel-db copy: give the directory to copy from and the one to copy to\n");
        return 2;
    }
    std::error_code ec;
    for (const std::string& dir : pos)
        if (!std::filesystem::is_directory(dir, ec)) {
            std::fprintf(stderr, "kestrel-db copy: %s is not a directory\n", kdb::Escaped(dir).c_str());
            return 2;
        }
    if (std::filesystem::equivalent(pos[0], pos[1], ec)) {
        std::fprintf(stderr, "kestrel-db copy: the two directories are one\n");
        return 2;
    }
    std::vector<std::string> names;
    if (int16_t s = btr::ListStores(pos[0], names)) {
        std::string problem = btr::ServerBacked(pos[0]) ? ": " + btr::LastServerProblem() : "";
        std::fprintf(stderr, "kestrel-db copy: cannot list the record files of %s (status %d%s)\n",
                     kdb::Escaped(pos[0]).c_str(), s, kdb::Escaped(problem).c_str());
        return 1;
    }
    // All or nothing: the copy is one transaction on the receiving side.
    if (int16_t s = Tx(btr::B_BEGIN_TRAN)) {
        std::fprintf(stderr, "kestrel-db copy: cannot begin (status %d)\n", s);
        return 1;
    }
    for (const std::string& name : names) {
        uint32_t copied = 0;
        int16_t s = btr::CopyRecords(pos[0] + "/" + name, pos[1] + "/" + name, copied);
        if (s != 0) {
            Tx(btr::B_ABORT_TRAN);
            std::string problem = btr::LastServerProblem();
            std::fprintf(stderr, "kestrel-db copy: %s: status %d%s; nothing copied\n",
                         kdb::Escaped(name).c_str(), s,
                         problem.empty() ? "" : (" (" + kdb::Escaped(problem) + ")").c_str());
            return 1;
        }
        std::printf("%-14s %u records\n", kdb::Escaped(name).c_str(), copied);
    }
    if (int16_t s = Tx(btr::B_END_TRAN)) {
        std::fprintf(stderr, "kestrel-db copy: the copy could not be committed (status %d); nothing copied\n",
                     s);
        return 1;
    }
    std::printf("%zu record file%s copied\n", names.size(), names.size() == 1 ? "" : "s");
    return 0;
}

kdb::CommandRegistration
    reg({"copy", "copy SRC DST",
         "Copies every record file of the database directory SRC into DST, record by\n"
         "record in the order they were stored, replacing files of the same name there.\n"
         "Owners and the order of records with duplicate keys come along unchanged.\n"
         "Either directory may keep its files on a database server (a kestrel-server.conf\n"
         "in it names the server). The copy is one transaction: all or nothing.",
         Copy});

} // namespace
