// The record manager beside the same work done directly on SQLite with prepared statements; and
// the record manager on a database server (a throw-away cluster on a local socket) beside it on
// the folder's own SQLite database.
#include "btrieve/btrcall.h"
#include "btrieve/pg_store.h"
#include "pg_throwaway.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRecords = 100000;
constexpr int kRecordLength = 100;

std::string KeyOf(int i) {
    char k[13];
    std::snprintf(k, sizeof k, "IT%010d", i);
    return std::string(k, 12);
}
std::string RecordOf(int i) {
    std::string r = KeyOf(i);
    r.resize(kRecordLength, 'x');
    return r;
}
uint32_t Mix(uint32_t i) {
    return (i * 2654435761u) % kRecords;
}

struct Workspace {
    std::filesystem::path dir;
    Workspace() {
        dir = std::filesystem::temp_directory_path() / ("kr-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
    }
    ~Workspace() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};
Workspace& Ws() {
    static Workspace ws;
    return ws;
}

// The folder the record files of a run live in: "." on SQLite, "srv" on the server, "srvw" on
// the server with read-ahead trusted for 50 ms.
std::string Folder(int store) {
    Ws();
    if (!store) return ".";
    static std::unique_ptr<bt::ThrowawayCluster> cluster;
    if (!cluster) {
        cluster = std::make_unique<bt::ThrowawayCluster>();
        if (!cluster->usable) {
            std::fprintf(stderr, "no server for the benchmarks: %s\n", cluster->why.c_str());
            std::exit(1);
        }
        std::filesystem::create_directories("srv");
        std::ofstream("srv/" + std::string(btr::kServerSettingsName))
            << "connection = " << cluster->conninfo << "\nschema = bench\n";
        std::filesystem::create_directories("srvw");
        std::ofstream("srvw/" + std::string(btr::kServerSettingsName))
            << "connection = " << cluster->conninfo << "\nschema = benchw\nread_ahead_ms = 50\n";
    }
    return store == 1 ? "srv" : "srvw";
}
std::string In(int store, const char* name) {
    return Folder(store) + "/" + name;
}

std::vector<uint8_t> KeySpec() {
    std::vector<uint8_t> s(32, 0);
    s[0] = kRecordLength;
    s[3] = 4; // page size 1024
    s[4] = 1;
    s[16] = 1;  // position 1
    s[18] = 12; // length 12
    return s;
}

int16_t Call(uint16_t op, void* pb, void* data, uint32_t len, void* key, int8_t keyNum = 0) {
    return BTRCALL(op, pb, data, &len, key, 255, keyNum);
}

void CreateFile(const std::string& name) {
    auto spec = KeySpec();
    std::string k(name);
    k.resize(255, '\0');
    uint8_t pb[128] = {};
    uint32_t len = static_cast<uint32_t>(spec.size());
    BTRCALL(btr::B_CREATE, pb, spec.data(), &len, k.data(), 255, 0);
}

struct Opened {
    uint8_t pb[128] = {};
    explicit Opened(const std::string& name) {
        std::string k(name);
        k.resize(255, '\0');
        Call(btr::B_OPEN, pb, nullptr, 0, k.data());
    }
    ~Opened() { Call(btr::B_CLOSE, pb, nullptr, 0, nullptr); }
};

// The 100,000-record file, made once on each store through the record manager.
std::string BigFile(int server) {
    static bool made[3] = {false, false, false};
    std::string path = In(server, "BIG.DB");
    if (!made[server]) {
        made[server] = true;
        CreateFile(path);
        Opened f(path);
        uint8_t pb0[128] = {};
        Call(btr::B_BEGIN_TRAN, pb0, nullptr, 0, nullptr);
        char key[255];
        for (int i = 0; i < kRecords; ++i) {
            std::string r = RecordOf(i);
            Call(btr::B_INSERT, f.pb, r.data(), kRecordLength, key);
        }
        Call(btr::B_END_TRAN, pb0, nullptr, 0, nullptr);
    }
    return path;
}

// The same table kept directly in SQLite.
struct Raw {
    sqlite3* db = nullptr;
    explicit Raw(const char* name, bool fill) {
        Ws();
        std::filesystem::remove(name);
        sqlite3_open(name, &db);
        sqlite3_exec(db,
                     "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"
                     "CREATE TABLE t(id INTEGER PRIMARY KEY, data BLOB NOT NULL, k BLOB);"
                     "CREATE UNIQUE INDEX tk ON t(k);",
                     nullptr, nullptr, nullptr);
        if (!fill) return;
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* ins;
        sqlite3_prepare_v2(db, "INSERT INTO t(data, k) VALUES(?1, ?2)", -1, &ins, nullptr);
        for (int i = 0; i < kRecords; ++i) {
            std::string r = RecordOf(i);
            sqlite3_bind_blob(ins, 1, r.data(), kRecordLength, SQLITE_TRANSIENT);
            sqlite3_bind_blob(ins, 2, r.data(), 12, SQLITE_TRANSIENT);
            sqlite3_step(ins);
            sqlite3_reset(ins);
        }
        sqlite3_finalize(ins);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    ~Raw() { sqlite3_close(db); }
};
Raw& RawBig() {
    static Raw raw("RAWBIG.DB", true);
    return raw;
}

void BM_GetEqual(benchmark::State& state, bool server) {
    Opened f(BigFile(server));
    uint8_t data[kRecordLength * 2];
    char key[255];
    uint32_t i = 0;
    for (auto _ : state) {
        std::string k = KeyOf(static_cast<int>(Mix(i++)));
        std::memcpy(key, k.data(), 12);
        if (Call(btr::B_GET_EQUAL, f.pb, data, sizeof data, key) != 0) state.SkipWithError("not found");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_GetEqual, sqlite, false);
BENCHMARK_CAPTURE(BM_GetEqual, server, true)->UseRealTime(); // the server works in its own process

void BM_RawSqlitePointLookup(benchmark::State& state) {
    Raw& raw = RawBig();
    sqlite3_stmt* q;
    sqlite3_prepare_v2(raw.db, "SELECT id, data, k FROM t WHERE k = ?1", -1, &q, nullptr);
    uint8_t data[kRecordLength * 2];
    uint32_t i = 0;
    for (auto _ : state) {
        std::string k = KeyOf(static_cast<int>(Mix(i++)));
        sqlite3_bind_blob(q, 1, k.data(), 12, SQLITE_STATIC);
        if (sqlite3_step(q) != SQLITE_ROW) state.SkipWithError("not found");
        std::memcpy(data, sqlite3_column_blob(q, 1), sqlite3_column_bytes(q, 1));
        sqlite3_reset(q);
    }
    sqlite3_finalize(q);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RawSqlitePointLookup);

void BM_OpenGetEqualClose(benchmark::State& state, bool server) {
    std::string path = BigFile(server);
    { Opened warm(path); } // the pool keeps the folder after its first use
    uint8_t data[kRecordLength * 2];
    char key[255];
    uint32_t i = 0;
    for (auto _ : state) {
        Opened f(path);
        std::string k = KeyOf(static_cast<int>(Mix(i++)));
        std::memcpy(key, k.data(), 12);
        if (Call(btr::B_GET_EQUAL, f.pb, data, sizeof data, key) != 0) state.SkipWithError("not found");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_OpenGetEqualClose, sqlite, false);
BENCHMARK_CAPTURE(BM_OpenGetEqualClose, server, true)->UseRealTime(); // the server works in its own process

void BM_GetNextScan(benchmark::State& state, int server) {
    Opened f(BigFile(server));
    uint8_t data[kRecordLength * 2];
    char key[255];
    int64_t rows = 0;
    for (auto _ : state) {
        int16_t s = Call(btr::B_GET_FIRST, f.pb, data, sizeof data, key);
        while (s == 0) {
            ++rows;
            s = Call(btr::B_GET_NEXT, f.pb, data, sizeof data, key);
        }
    }
    state.SetItemsProcessed(rows);
}
BENCHMARK_CAPTURE(BM_GetNextScan, sqlite, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GetNextScan, server, 1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_GetNextScan, server_window, 2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RawSqliteScan(benchmark::State& state) {
    Raw& raw = RawBig();
    sqlite3_stmt* q;
    sqlite3_prepare_v2(raw.db, "SELECT id, data, k FROM t ORDER BY k", -1, &q, nullptr);
    uint8_t data[kRecordLength * 2];
    int64_t rows = 0;
    for (auto _ : state) {
        while (sqlite3_step(q) == SQLITE_ROW) {
            std::memcpy(data, sqlite3_column_blob(q, 1), sqlite3_column_bytes(q, 1));
            ++rows;
        }
        sqlite3_reset(q);
    }
    sqlite3_finalize(q);
    state.SetItemsProcessed(rows);
}
BENCHMARK(BM_RawSqliteScan)->Unit(benchmark::kMillisecond);

// Get Next's own work on raw SQLite: one seek past the previous key per record.
void BM_RawSqliteSeekNext(benchmark::State& state) {
    Raw& raw = RawBig();
    sqlite3_stmt* q;
    sqlite3_prepare_v2(raw.db, "SELECT id, data, k FROM t WHERE k > ?1 ORDER BY k LIMIT 1", -1, &q, nullptr);
    uint8_t data[kRecordLength * 2];
    uint8_t last[12];
    int64_t rows = 0;
    for (auto _ : state) {
        std::memset(last, 0, sizeof last);
        for (;;) {
            sqlite3_bind_blob(q, 1, last, 12, SQLITE_STATIC);
            if (sqlite3_step(q) != SQLITE_ROW) break;
            std::memcpy(data, sqlite3_column_blob(q, 1), sqlite3_column_bytes(q, 1));
            std::memcpy(last, sqlite3_column_blob(q, 2), 12);
            sqlite3_reset(q);
            ++rows;
        }
        sqlite3_reset(q);
    }
    sqlite3_finalize(q);
    state.SetItemsProcessed(rows);
}
BENCHMARK(BM_RawSqliteSeekNext)->Unit(benchmark::kMillisecond);

void BM_Insert(benchmark::State& state, bool server) {
    bool inTransaction = state.range(0) != 0;
    std::string path = In(server, "INS.DB");
    CreateFile(path);
    Opened f(path);
    uint8_t pb0[128] = {};
    char key[255];
    int i = 0;
    for (auto _ : state) {
        if (inTransaction && i % 1000 == 0) Call(btr::B_BEGIN_TRAN, pb0, nullptr, 0, nullptr);
        std::string r = RecordOf(i++);
        if (Call(btr::B_INSERT, f.pb, r.data(), kRecordLength, key) != 0)
            state.SkipWithError("insert failed");
        if (inTransaction && i % 1000 == 0) Call(btr::B_END_TRAN, pb0, nullptr, 0, nullptr);
    }
    if (inTransaction && i % 1000 != 0) Call(btr::B_END_TRAN, pb0, nullptr, 0, nullptr);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_Insert, sqlite, false)->Arg(0)->Arg(1);
BENCHMARK_CAPTURE(BM_Insert, server, true)->Arg(0)->Arg(1)->UseRealTime();

void BM_RawSqliteInsert(benchmark::State& state) {
    bool inTransaction = state.range(0) != 0;
    Raw raw("RAWINS.DB", false);
    sqlite3_stmt* ins;
    sqlite3_prepare_v2(raw.db, "INSERT INTO t(data, k) VALUES(?1, ?2)", -1, &ins, nullptr);
    int i = 0;
    for (auto _ : state) {
        if (inTransaction && i % 1000 == 0) sqlite3_exec(raw.db, "BEGIN", nullptr, nullptr, nullptr);
        std::string r = RecordOf(i++);
        sqlite3_bind_blob(ins, 1, r.data(), kRecordLength, SQLITE_STATIC);
        sqlite3_bind_blob(ins, 2, r.data(), 12, SQLITE_STATIC);
        if (sqlite3_step(ins) != SQLITE_DONE) state.SkipWithError("insert failed");
        sqlite3_reset(ins);
        if (inTransaction && i % 1000 == 0) sqlite3_exec(raw.db, "COMMIT", nullptr, nullptr, nullptr);
    }
    if (inTransaction && i % 1000 != 0) sqlite3_exec(raw.db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_finalize(ins);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RawSqliteInsert)->Arg(0)->Arg(1);

} // namespace

BENCHMARK_MAIN();
