// kestrel-db upgrade DIR: moves a database directory kept one database per record file into the
// folder's one database.
#include "command.h"

#include "btrieve/btrcall.h"
#include "btrieve/files.h"
#include "btrieve/status_text.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// File names come from the directory: control bytes are shown, never sent to the terminal.
std::string Shown(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int Upgrade(const std::vector<std::string>& args) {
    auto pos = kdb::Positional(args, {});
    if (pos.size() != 1) {
        std::fprintf(stderr, "kestrel-db upgrade: give one database directory\n");
        return 2;
    }
    std::vector<std::string> log;
    int16_t status = btr::UpgradeFolder(pos[0], log);
    for (const std::string& line : log)
        std::printf("%s\n", Shown(line).c_str());
    if (status == 0) return 0;
    if (status == btr::B_FILE_INUSE)
        std::fprintf(stderr,
                     "kestrel-db upgrade: a record file is in use; close the programs of the suite and try "
                     "again (nothing was moved)\n");
    else
        std::fprintf(stderr, "kestrel-db upgrade: stopped with status %s (nothing was moved)\n",
                     btr::StatusText(status).c_str());
    return 1;
}

kdb::CommandRegistration reg({
    "upgrade",
    "upgrade DIR",
    "Moves the record files of DIR, kept one database file each by earlier versions, into the\n"
    "folder's database (.kestrel-records.sqlite), where a transaction over several files commits\n"
    "as a whole. Every record and file specification is kept byte for byte; the old files are\n"
    "removed once the move has committed. Nothing is moved while a program has one of them open.\n"
    "Running it again is harmless.",
    Upgrade,
});

} // namespace
