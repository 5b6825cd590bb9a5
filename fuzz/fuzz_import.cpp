// libFuzzer target over the interchange line readers of every reloadable file. KR_FUZZ_FILE
// names the file (ITEM.DB, ...); the first input byte picks the interchange version, the rest is
// the download. A download of one line that the reader rejects must leave the file unchanged.
#include "BtrieveDB.h"
#include "ControlDB.h"
#include "CustomerDB.h"
#include "ItemDB.h"
#include "ItemDictDB.h"
#include "ItemLookupDB.h"
#include "ItemUnitDB.h"
#include "ManualPriceDB.h"
#include "VelocityDB.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

std::unique_ptr<CBtrieveDB> Make(const std::string& name) {
    if (name == "ITEMUNIT.DB") return std::make_unique<CItemUnitDB>();
    if (name == "CUST.DB") return std::make_unique<CCustomerDB>();
    if (name == "VELOCITY.DB") return std::make_unique<CVelocityDB>();
    if (name == "CONTROL.DB") return std::make_unique<CControlDB>();
    if (name == "ITEMDICT.DB") return std::make_unique<CItemDictDB>();
    if (name == "ITEMLKUP.DB") return std::make_unique<CItemLookupDB>();
    if (name == "MNPRICE.DB") return std::make_unique<CManualPriceDB>();
    return std::make_unique<CItemDB>();
}

const int kVersions[] = {500, 515, 516, 520, 521,  700,  769,  770, 771,
                         772, 773, 776, 777, 1023, 1024, 1025, 1026};

struct Setup {
    std::string name, download;
    std::unique_ptr<CBtrieveDB> file;
    Setup() {
        const char* env = std::getenv("KR_FUZZ_FILE");
        name = env ? env : "ITEM.DB";
        auto dir = std::filesystem::temp_directory_path() / ("kr-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir / "TEMP");
        download = (dir / "download.txt").string();
        // The neighbours the readers open: history for units, prices and settings for history.
        CVelocityDB history;
        history.Create((dir / "VELOCITY.DB").c_str());
        CManualPriceDB prices;
        prices.Create((dir / "MNPRICE.DB").c_str());
        file = Make(name);
        std::string path = (dir / name).string();
        if (file->OpenFile(path.c_str()) != 0) file->Create(path.c_str());
    }
};

bool Rejected(const std::string& message) {
    for (const char* start : {"Invalid Record Format", "Invalid Date", "Invalid Number", "Invalid Amount",
                              "Error Reading item history"})
        if (message.rfind(start, 0) == 0) return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Setup setup;
    if (size < 2) return 0;
    int version = kVersions[data[0] % (sizeof kVersions / sizeof kVersions[0])];
    std::FILE* f = std::fopen(setup.download.c_str(), "wb");
    std::fwrite(data + 1, 1, size - 1, f);
    std::fclose(f);
    CBtrieveDB& db = *setup.file;
    uint32_t before = db.GetRecordCount();
    if (!db.BeginReload(setup.download.c_str(), 0, version, 0)) return 0;
    int lines = 0;
    while (db.GetProgressPosition() <= db.GetProgressTotal()) {
        int c = db.ReadReloadChar();
        if (c == EOF) break;
        db.ImportLine(c);
        ++lines;
    }
    bool rejected = false;
    for (const std::string& m : db.GetErrors())
        rejected = rejected || Rejected(m);
    if (lines == 1 && rejected && db.GetRecordCount() > before) {
        std::fprintf(stderr, "a rejected line wrote a record\n");
        std::abort();
    }
    return 0;
}
