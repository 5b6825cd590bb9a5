// kestrel-db stat FILE.DB: the file specification and record count.
#include "command.h"

#include "BtrieveDB.h"
#include "btrieve/btrcall.h"
#include "btrieve/status_text.h"
#include "escaped.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Any record file, opened for its specification only.
class CAnyFile : public CBtrieveDB {
public:
    int Create(const char*) override { return btr::B_INVALID_FUNCTION; }
    void ImportLine(int) override {}
};

uint16_t U16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

int Stat(const std::vector<std::string>& args) {
    auto pos = kdb::Positional(args, {});
    if (pos.size() != 1) {
        std::fprintf(stderr, "kestrel-db stat: give one record file\n");
        return 2;
    }
    CAnyFile file;
    int status = file.OpenFile(pos[0].c_str());
    if (status != 0) {
        std::fprintf(stderr, "kestrel-db stat: cannot open %s (status %s)\n", kdb::Escaped(pos[0]).c_str(),
                     btr::StatusText(status).c_str());
        return 1;
    }
    std::vector<uint8_t> spec;
    status = file.StatBytes(spec);
    if (status != 0) {
        std::fprintf(stderr, "kestrel-db stat: status %s reading %s\n", btr::StatusText(status).c_str(),
                     kdb::Escaped(pos[0]).c_str());
        return 1;
    }
    uint32_t records;
    std::memcpy(&records, spec.data() + 6, 4);
    std::printf("file           %s\n", kdb::Escaped(pos[0]).c_str());
    std::printf("record length  %u%s\n", U16(spec.data()), (U16(spec.data() + 10) & 1) ? " (variable)" : "");
    std::printf("page size      %u\n", U16(spec.data() + 2));
    std::printf("keys           %u\n", spec[4]);
    std::printf("records        %u\n", records);
    int key = 0;
    bool startKey = true;
    for (size_t at = 16; at + 16 <= spec.size(); at += 16) {
        const uint8_t* s = spec.data() + at;
        uint16_t flags = U16(s + 4);
        const char* type = "string";
        if (flags & btr::KF_EXTENDED_TYPE) {
            switch (s[10]) {
            case btr::KT_INTEGER:
                type = "integer";
                break;
            case btr::KT_DATE:
                type = "date";
                break;
            case btr::KT_ZSTRING:
                type = "zstring";
                break;
            case btr::KT_LSTRING:
                type = "lstring";
                break;
            case btr::KT_UNSIGNED_BINARY:
                type = "unsigned binary";
                break;
            default:
                type = "other";
                break;
            }
        }
        std::printf("%s position %3u length %3u %-8s%s%s\n",
                    startKey ? ("key " + std::to_string(key) + "  ").c_str() : "       ", U16(s), U16(s + 2),
                    type, (flags & btr::KF_DUPLICATES) ? " duplicates" : "",
                    (flags & btr::KF_MODIFIABLE) ? " modifiable" : "");
        startKey = !(flags & btr::KF_SEGMENTED);
        if (startKey) ++key;
    }
    return 0;
}

kdb::CommandRegistration reg({"stat", "stat FILE.DB",
                              "Prints the file specification of a record file (record length, page size,\n"
                              "keys with their segments) and its record count.",
                              Stat});

} // namespace
