// Reloading a generated 100,000-item download (items, units, dictionary and lookup) through the
// reload protocol, beside inserting the same packed records directly through BTRCALL. Reports
// lines per second and the resident memory before and after each run.
#include "ItemDB.h"
#include "ItemDictDB.h"
#include "ItemLookupDB.h"
#include "ItemUnitDB.h"
#include "btrieve/btrcall.h"
#include "btrieve/pg_store.h"
#include "dbtool.h"
#include "pg_throwaway.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kItems = 100000;

struct Downloads {
    fs::path dir;
    std::vector<kdb::Download> files;
    Downloads() {
        dir = fs::temp_directory_path() / ("kr-bench-import-" + std::to_string(::getpid()));
        files = kdb::GenerateDownloads((dir / "downloads").string(), kItems, 50, 1);
    }
    ~Downloads() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    const kdb::Download& Of(const std::string& fileName) const {
        for (const kdb::Download& d : files)
            if (d.fileName == fileName) return d;
        return files.front();
    }
};

Downloads& Data() {
    static Downloads d;
    return d;
}

double ResidentMiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double PeakMiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_maxrss) / 1024.0;
}

std::string FreshPath(const std::string& name) {
    fs::path db = Data().dir / "db";
    fs::create_directories(db);
    fs::path path = db / name;
    std::error_code ec;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        fs::remove(path.string() + suffix, ec);
    return path.string();
}

// A directory whose record files live on a throw-away database server on a local socket.
std::string ServerPath(const std::string& name) {
    static std::unique_ptr<bt::ThrowawayCluster> cluster;
    fs::path db = Data().dir / "server";
    if (!cluster) {
        cluster = std::make_unique<bt::ThrowawayCluster>();
        if (!cluster->usable) {
            std::fprintf(stderr, "no server for the benchmarks: %s\n", cluster->why.c_str());
            std::exit(1);
        }
        fs::create_directories(db);
        std::ofstream((db / btr::kServerSettingsName).string())
            << "connection = " << cluster->conninfo << "\nschema = bench\n";
    }
    return (db / name).string();
}

template <class File> void Reload(benchmark::State& state, const std::string& fileName, bool server = false) {
    const kdb::Download& d = Data().Of(fileName);
    uint64_t lines = 0;
    double before = 0, after = 0;
    for (auto _ : state) {
        state.PauseTiming();
        File file;
        std::string path = server ? ServerPath(fileName) : FreshPath(fileName);
        file.Create(path.c_str());
        before = ResidentMiB();
        state.ResumeTiming();
        kdb::ImportResult r = kdb::ImportDownload(file, d.path, d.version, 0, false);
        state.PauseTiming();
        after = ResidentMiB();
        if (!r.errors.empty()) state.SkipWithError(r.errors.front().c_str());
        lines += r.lines;
        file.Close();
        state.ResumeTiming();
    }
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
    state.counters["rss_before_MiB"] = before;
    state.counters["rss_after_MiB"] = after;
    state.counters["peak_MiB"] = PeakMiB();
}

// The records the reload of the download writes, packed once, outside the measured time.
struct Packed {
    std::vector<std::vector<uint8_t>> records;
    std::vector<std::string> keys;
};

template <class Parse> Packed PackAll(const std::string& path, size_t keyLength, Parse&& parse) {
    Packed p;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<uint8_t> record;
        std::string key;
        parse(line, record, key);
        p.records.push_back(std::move(record));
        p.keys.push_back(key.substr(0, keyLength));
    }
    return p;
}

template <class File>
void Direct(benchmark::State& state, const std::string& fileName, const Packed& packed, int keyNumber) {
    uint64_t lines = 0;
    double before = 0, after = 0;
    for (auto _ : state) {
        state.PauseTiming();
        File file;
        std::string path = FreshPath(fileName);
        file.Create(path.c_str());
        file.Close();
        uint8_t pos[128] = {};
        uint32_t len = 0;
        char name[4096];
        std::snprintf(name, sizeof name, "%s", path.c_str());
        BTRCALL(btr::B_OPEN, pos, nullptr, &len, name, 255, 0);
        before = ResidentMiB();
        state.ResumeTiming();
        // The same batching as the reload: 2000 records a transaction.
        for (size_t i = 0; i < packed.records.size(); ++i) {
            if (i % 2000 == 0) {
                if (i) BTRCALL(btr::B_END_TRAN, pos, nullptr, &len, nullptr, 0, 0);
                BTRCALL(btr::B_BEGIN_TRAN, pos, nullptr, &len, nullptr, 0, 0);
            }
            std::vector<uint8_t> record = packed.records[i];
            char key[256] = {};
            std::memcpy(key, packed.keys[i].data(), packed.keys[i].size());
            len = static_cast<uint32_t>(record.size());
            int s =
                BTRCALL(btr::B_INSERT, pos, record.data(), &len, key, 255, static_cast<int8_t>(keyNumber));
            if (s != 0) {
                state.SkipWithError("insert failed");
                break;
            }
            ++lines;
        }
        BTRCALL(btr::B_END_TRAN, pos, nullptr, &len, nullptr, 0, 0);
        state.PauseTiming();
        after = ResidentMiB();
        BTRCALL(btr::B_CLOSE, pos, nullptr, &len, nullptr, 0, 0);
        state.ResumeTiming();
    }
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
    state.counters["rss_before_MiB"] = before;
    state.counters["rss_after_MiB"] = after;
}

void BM_ReloadItems(benchmark::State& state) {
    Reload<CItemDB>(state, "ITEM.DB");
}
void BM_ReloadItemsServer(benchmark::State& state) {
    Reload<CItemDB>(state, "ITEM.DB", true);
}
void BM_ReloadUnits(benchmark::State& state) {
    Reload<CItemUnitDB>(state, "ITEMUNIT.DB");
}
void BM_ReloadDictionary(benchmark::State& state) {
    Reload<CItemDictDB>(state, "ITEMDICT.DB");
}
void BM_ReloadLookup(benchmark::State& state) {
    Reload<CItemLookupDB>(state, "ITEMLKUP.DB");
}

void BM_DirectItems(benchmark::State& state) {
    static const Packed packed =
        PackAll(Data().Of("ITEM.DB").path, 12, [](const std::string& line, auto& record, std::string& key) {
            CItem item;
            std::string error;
            rec::ReadLine(CItemDB::Fields(), line, line.size(), item, error);
            record.assign(CItemDB::kBufferSize, 0);
            record.resize(CItemDB::Pack(item, record.data()));
            key = std::string(reinterpret_cast<char*>(record.data()), 12);
        });
    Direct<CItemDB>(state, "ITEM.DB", packed, 0);
}

void BM_DirectUnits(benchmark::State& state) {
    static const Packed packed = PackAll(
        Data().Of("ITEMUNIT.DB").path, 15, [](const std::string& line, auto& record, std::string& key) {
            CItemUnit unit;
            std::string error;
            rec::ReadLine(CItemUnitDB::Fields(), line, line.size(), unit, error);
            record.assign(CItemUnitDB::kRecordLength, 0);
            CItemUnitDB::Pack(unit, record.data());
            key = std::string(reinterpret_cast<char*>(record.data()), 12) +
                  std::string(reinterpret_cast<char*>(record.data()) + 13, 3);
        });
    Direct<CItemUnitDB>(state, "ITEMUNIT.DB", packed, 2);
}

BENCHMARK(BM_ReloadItems)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_ReloadItemsServer)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_DirectItems)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_ReloadUnits)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_DirectUnits)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_ReloadDictionary)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_ReloadLookup)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
