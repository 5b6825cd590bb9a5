// kestrel-db export FILE.DB OUT.txt: writes a record file as interchange lines.
#include "command.h"

#include "btrieve/btrcall.h"
#include "btrieve/status_text.h"
#include "dbtool.h"
#include "escaped.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

int Export(const std::vector<std::string>& args) {
    auto pos = kdb::Positional(args, {});
    if (pos.size() != 2) {
        std::fprintf(stderr, "kestrel-db export: give the record file and the output file (see --help)\n");
        return 2;
    }
    const kdb::FileKind* kind = kdb::FindFileKind(pos[0]);
    if (!kind) {
        std::fprintf(stderr, "kestrel-db export: %s is not a record file of the system\n",
                     kdb::Escaped(pos[0]).c_str());
        return 2;
    }
    if (!kind->exportable) {
        std::string names;
        for (const kdb::FileKind& k : kdb::FileKinds())
            if (k.exportable) names += (names.empty() ? "" : ", ") + k.fileName;
        std::fprintf(stderr, "kestrel-db export: %s cannot be exported; exportable files: %s\n",
                     kind->fileName.c_str(), names.c_str());
        return 2;
    }
    auto file = kind->make();
    int status = file->OpenFile(pos[0].c_str());
    if (status != 0) {
        std::fprintf(stderr, "kestrel-db export: cannot open %s (status %s)\n", kdb::Escaped(pos[0]).c_str(),
                     btr::StatusText(status).c_str());
        return 1;
    }
    std::FILE* out = std::fopen(pos[1].c_str(), "wb");
    if (!out) {
        std::fprintf(stderr, "kestrel-db export: cannot write %s\n", kdb::Escaped(pos[1]).c_str());
        return 1;
    }
    std::string line;
    long lines = 0;
    for (status = file->ExportFirst(line); status == 0; status = file->ExportNext(line)) {
        std::fwrite(line.data(), 1, line.size(), out);
        ++lines;
    }
    // A write that failed on the way (a full disk) counts even when the last flush succeeds.
    bool written = !std::ferror(out);
    written = std::fclose(out) == 0 && written;
    int writeError = errno;
    file->Close();
    if (!written) {
        std::fprintf(stderr, "kestrel-db export: writing %s failed after %ld lines (%s); it is incomplete\n",
                     kdb::Escaped(pos[1]).c_str(), lines, std::strerror(writeError));
        return 1;
    }
    if (status != btr::B_END_OF_FILE) {
        std::fprintf(stderr, "kestrel-db export: stopped after %ld lines with status %s\n", lines,
                     btr::StatusText(status).c_str());
        return 1;
    }
    std::printf("%s: %ld lines written to %s\n", kind->fileName.c_str(), lines, kdb::Escaped(pos[1]).c_str());
    return 0;
}

kdb::CommandRegistration
    reg({"export", "export FILE.DB OUT.txt",
         "Writes every record of an exportable record file (CUST.DB, VELOCITY.DB and the\n"
         "recipe files) as interchange lines, in physical order. Customer and item\n"
         "history lines can be imported again with 'kestrel-db import'.",
         Export});

} // namespace
