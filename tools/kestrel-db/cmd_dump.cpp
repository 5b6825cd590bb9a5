// kestrel-db dump FILE.DB: records decoded field by field.
#include "command.h"

#include "btrieve/btrcall.h"
#include "btrieve/status_text.h"
#include "dbtool.h"
#include "escaped.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

// A text shown with its exact extent, so blank padding stays visible.
std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

// Every value shown comes from the file: its control bytes are shown escaped.
void Field(const std::string& name, const std::string& value) {
    std::printf("  %-34s %s\n", name.c_str(), kdb::Escaped(value).c_str());
}

std::string Printable(const uint8_t* data, uint16_t length) {
    std::string out;
    for (uint16_t i = 0; i < length; ++i)
        out += (data[i] >= 32 && data[i] < 127) ? static_cast<char>(data[i]) : '.';
    return out;
}

bool ParseWhole(const std::string& text, long& value) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::strtol(text.c_str(), nullptr, 10);
    return true;
}

int Dump(const std::vector<std::string>& args) {
    auto pos = kdb::Positional(args, {"--key", "--limit"});
    if (pos.size() != 1) {
        std::fprintf(stderr, "kestrel-db dump: give one record file (see --help)\n");
        return 2;
    }
    const kdb::FileKind* kind = kdb::FindFileKind(pos[0]);
    if (!kind) {
        std::fprintf(stderr, "kestrel-db dump: %s is not a record file of the system\n",
                     kdb::Escaped(pos[0]).c_str());
        return 2;
    }
    long key = 0, limit = -1;
    std::string text;
    if (kdb::FlagValue(args, "--key", text) && (!ParseWhole(text, key) || key > 127)) {
        std::fprintf(stderr, "kestrel-db dump: bad key number '%s'\n", kdb::Escaped(text).c_str());
        return 2;
    }
    if (kdb::FlagValue(args, "--limit", text) && !ParseWhole(text, limit)) {
        std::fprintf(stderr, "kestrel-db dump: bad limit '%s'\n", kdb::Escaped(text).c_str());
        return 2;
    }
    auto file = kind->make();
    int status = file->OpenFile(pos[0].c_str());
    if (status != 0) {
        std::fprintf(stderr, "kestrel-db dump: cannot open %s (status %s)\n", kdb::Escaped(pos[0]).c_str(),
                     btr::StatusText(status).c_str());
        return 1;
    }
    std::vector<uint8_t> data;
    long shown = 0;
    status = file->ReadBytes(btr::B_GET_FIRST, data, static_cast<int>(key));
    while (status == 0 && (limit < 0 || shown < limit)) {
        auto length = static_cast<uint16_t>(data.size());
        std::printf("%s record %ld (%u bytes)\n", kind->fileName.c_str(), shown + 1, length);
        std::vector<CBtrieveDB::ShownField> fields = file->ShowRecord(data);
        if (fields.empty()) Field("bytes", Printable(data.data(), length));
        for (const CBtrieveDB::ShownField& f : fields)
            Field(f.name, f.text ? Quoted(f.value) : f.value);
        ++shown;
        status = file->ReadBytes(btr::B_GET_NEXT, data, static_cast<int>(key));
    }
    file->Close();
    if (status != 0 && status != btr::B_END_OF_FILE) {
        std::fprintf(stderr, "kestrel-db dump: status %s reading %s by key %ld\n",
                     btr::StatusText(status).c_str(), kdb::Escaped(pos[0]).c_str(), key);
        return 1;
    }
    std::printf("%ld record%s shown\n", shown, shown == 1 ? "" : "s");
    return 0;
}

kdb::CommandRegistration reg({"dump", "dump FILE.DB [--key N] [--limit N]",
                              "Prints the records of a record file in the order of key N (default 0),\n"
                              "decoded field by field through the file's record class. Texts are shown in\n"
                              "quotes so that blank padding stays visible. --limit stops after N records.",
                              Dump});

} // namespace
