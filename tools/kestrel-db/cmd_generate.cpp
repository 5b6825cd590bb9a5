// kestrel-db generate DIR: synthetic (or the demo) interchange downloads.
#include "command.h"

#include "catalog.h"
#include "dbtool.h"
#include "escaped.h"

#include <cstdio>
#include <cstdlib>

namespace {

bool ParseWhole(const std::string& text, long& value, long most) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::strtol(text.c_str(), nullptr, 10);
    return value <= most;
}

int Generate(const std::vector<std::string>& args) {
    auto pos = kdb::Positional(args, {"--items", "--customers", "--seed"});
    if (pos.size() != 1) {
        std::fprintf(stderr, "kestrel-db generate: give the output directory (see --help)\n");
        return 2;
    }
    std::vector<kdb::Download> written;
    if (kdb::HasFlag(args, "--demo")) {
        written = kdb::WriteDownloads(pos[0], kdb::DemoCatalog());
    } else {
        long items = 0, customers = 0, seed = 1;
        std::string text;
        if (!kdb::FlagValue(args, "--items", text) || !ParseWhole(text, items, 5000000)) {
            std::fprintf(stderr, "kestrel-db generate: --items needs a whole number up to 5000000\n");
            return 2;
        }
        if (!kdb::FlagValue(args, "--customers", text) || !ParseWhole(text, customers, 99999)) {
            std::fprintf(stderr, "kestrel-db generate: --customers needs a whole number up to 99999\n");
            return 2;
        }
        if (kdb::FlagValue(args, "--seed", text) && !ParseWhole(text, seed, 999999999)) {
            std::fprintf(stderr, "kestrel-db generate: --seed needs a whole number\n");
            return 2;
        }
        written = kdb::GenerateDownloads(pos[0], static_cast<int>(items), static_cast<int>(customers),
                                         static_cast<uint32_t>(seed));
    }
    for (const kdb::Download& d : written)
        std::printf("%-12s %s (version %d)\n", d.fileName.c_str(), kdb::Escaped(d.path).c_str(), d.version);
    std::printf("MANIFEST lists them in reload order; 'kestrel-db demo NEWDIR --data %s' loads them all.\n",
                kdb::Escaped(pos[0]).c_str());
    return 0;
}

kdb::CommandRegistration
    reg({"generate", "generate DIR --items N --customers N [--seed S] | generate DIR --demo",
         "Writes interchange downloads into DIR with a MANIFEST: items with one to three units each,\n"
         "the item dictionary (inline lists, lookup lines and replacement words), customers with\n"
         "twenty items of history each, and the control settings. The same seed gives the same\n"
         "files. With --demo it writes the demo catalogue that data/demo/ ships.",
         Generate});

} // namespace
