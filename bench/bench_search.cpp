// Item search and item defaults on generated item masters of 10,000 and 100,000 items.
// The database is written through the record classes: items with one to three units, a dictionary
// whose rarer words carry inline lists and whose common words use the lookup file, some item
// history. Each search's time is recorded; median and 99th percentile are reported as counters.
#include "CDefaultItemInfo.h"
#include "CItemSearch.h"
#include "ItemDB.h"
#include "ItemDictDB.h"
#include "ItemLookupDB.h"
#include "ItemUnitDB.h"
#include "VelocityDB.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Four words per description: a quality, a food, a cut or form, a pack.
const std::vector<std::string>& Vocabulary(int slot) {
    static std::vector<std::vector<std::string>> words = [] {
        std::vector<std::vector<std::string>> w(4);
        const char* sizes[4] = {"Q", "F", "C", "P"};
        const int counts[4] = {40, 200, 30, 20};
        for (int s = 0; s < 4; ++s)
            for (int i = 0; i < counts[s]; ++i) {
                char text[16];
                std::snprintf(text, sizeof text, "%sWORD%03d", sizes[s], i);
                w[static_cast<size_t>(s)].push_back(text);
            }
        return w;
    }();
    return words[static_cast<size_t>(slot)];
}

std::string Pad(std::string text, size_t width) {
    text.resize(width, ' ');
    return text;
}

std::string ItemNumber(int i) {
    char text[16];
    std::snprintf(text, sizeof text, "%012d", 100000000 + i);
    return text;
}

const char* const kUnits[3] = {"CS", "EA", "LB"};
constexpr int kBuildVersion = 2;     // bump when the generated data changes
constexpr size_t kInlineLimit = 800; // words with more items go to the lookup file

struct Database {
    std::string dir;
    int items = 0;
    std::vector<std::array<int, 4>> words; // per item: the word index in each slot
};

void Build(Database& db) {
    std::filesystem::create_directories(db.dir);
    std::mt19937 rng(12345);
    db.words.resize(static_cast<size_t>(db.items));
    for (auto& w : db.words)
        for (int s = 0; s < 4; ++s)
            w[static_cast<size_t>(s)] = static_cast<int>(rng() % static_cast<uint32_t>(Vocabulary(s).size()));

    std::string marker = db.dir + "/BUILT" + std::to_string(kBuildVersion);
    if (std::filesystem::exists(marker)) return;
    std::filesystem::remove_all(db.dir);
    std::filesystem::create_directories(db.dir);

    auto path = [&](const char* name) { return db.dir + "/" + name; };
    CItemDB items;
    CItemUnitDB units;
    CItemDictDB dict;
    CItemLookupDB lookup;
    CVelocityDB history;
    items.Create(path("ITEM.DB").c_str());
    units.Create(path("ITEMUNIT.DB").c_str());
    dict.Create(path("ITEMDICT.DB").c_str());
    lookup.Create(path("ITEMLKUP.DB").c_str());
    history.Create(path("VELOCITY.DB").c_str());

    std::map<std::string, std::vector<int>> byWord;
    items.BeginTran();
    units.BeginTran();
    history.BeginTran();
    for (int i = 0; i < db.items; ++i) {
        CItem item;
        item.m_strItemNumber = ItemNumber(i);
        std::string description;
        for (int s = 0; s < 4; ++s) {
            const std::string& word =
                Vocabulary(s)[static_cast<size_t>(db.words[static_cast<size_t>(i)][static_cast<size_t>(s)])];
            description += (s ? " " : "") + word;
            byWord[word].push_back(i);
        }
        item.m_strDescription = description;
        item.m_strBrand = "BRAND";
        item.m_strPortionType = "PC";
        item.m_nPackQuantity = 1 + i % 24;
        // Unit codes blank-filled to 3, as the downloads hold them.
        int unitCount = 1 + i % 3;
        item.m_arrUnits = {"   ", "   ", "   "};
        for (int u = 0; u < unitCount; ++u) {
            item.m_arrUnits[static_cast<size_t>(u)] = Pad(kUnits[u], 3);
            CItemUnit unit;
            unit.m_strItemNumber = item.m_strItemNumber;
            unit.m_strUnit = Pad(kUnits[u], 3);
            unit.m_fWeight = 10.0f + static_cast<float>(i % 30);
            unit.m_fPricing116 = 5.0f + static_cast<float>(i % 97);
            units.InsertRecord(unit);
        }
        items.InsertRecord(item);
        if (i % 4 == 0) {
            CVelocity h;
            h.m_strCustomer = "C" + std::to_string(i % 50);
            h.m_strItem = item.m_strItemNumber;
            h.m_strUnit = "CS ";
            h.m_fAmount1 = 7.5f;
            h.m_tLastDate = 1700000000;
            h.m_bActive = true;
            history.InsertRecord(h);
        }
    }
    items.EndTran();
    units.EndTran();
    history.EndTran();

    dict.BeginTran();
    lookup.BeginTran();
    for (auto& [word, list] : byWord) {
        CItemDict entry;
        entry.m_strWord = Pad(word, 20);
        entry.m_nCount = static_cast<int32_t>(list.size());
        if (list.size() <= kInlineLimit) {
            for (size_t k = 0; k < list.size(); ++k)
                entry.m_strItems += (k ? "," : "") + ItemNumber(list[k]);
        } else {
            for (int i : list) {
                CItemLookup pair;
                pair.m_strWord = Pad(word, 20);
                pair.m_strItem = ItemNumber(i);
                lookup.InsertPair(pair);
            }
        }
        dict.InsertRecord(entry);
    }
    // A few replacement words, as the downloads carry them.
    for (int k = 0; k < 10; ++k) {
        CItemDict alias;
        alias.m_strWord = Pad("ALIAS" + std::to_string(k), 20);
        alias.m_strReplacement = Pad(Vocabulary(1)[static_cast<size_t>(k)], 20);
        dict.InsertRecord(alias);
    }
    dict.EndTran();
    lookup.EndTran();
    std::ofstream(marker) << db.items << "\n";
}

Database& Db(int items) {
    static std::map<int, Database> dbs;
    Database& db = dbs[items];
    if (db.items == 0) {
        db.items = items;
        db.dir =
            (std::filesystem::temp_directory_path() / ("kr-bench-search-" + std::to_string(items))).string();
        Build(db);
    }
    return db;
}

// A text of n words taken from one item's description, so that it always finds something.
std::string Query(const Database& db, int n, std::mt19937& rng) {
    const auto& w = db.words[rng() % db.words.size()];
    // One word: the food; two: quality and food; three: quality, food and cut.
    static const int order[3][3] = {{1, -1, -1}, {0, 1, -1}, {0, 1, 2}};
    std::string text;
    for (int k = 0; k < n; ++k) {
        int slot = order[n - 1][k];
        text += (k ? " " : "") + Vocabulary(slot)[static_cast<size_t>(w[static_cast<size_t>(slot)])];
    }
    return text;
}

void Percentiles(benchmark::State& state, std::vector<double>& micros) {
    if (micros.empty()) return;
    std::sort(micros.begin(), micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
}

void BM_Search(benchmark::State& state) {
    Database& db = Db(static_cast<int>(state.range(0)));
    int words = static_cast<int>(state.range(1));
    std::mt19937 rng(7);
    std::vector<double> micros;
    long found = 0;
    for (auto _ : state) {
        std::string text = Query(db, words, rng);
        auto start = std::chrono::steady_clock::now();
        CItemSearch search(db.dir);
        found += search.Search(text);
        auto end = std::chrono::steady_clock::now();
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    Percentiles(state, micros);
    state.counters["results"] =
        benchmark::Counter(static_cast<double>(found), benchmark::Counter::kAvgIterations);
}

void BM_LoadDefaults(benchmark::State& state) {
    Database& db = Db(static_cast<int>(state.range(0)));
    std::mt19937 rng(9);
    std::vector<double> micros;
    for (auto _ : state) {
        int i = static_cast<int>(rng() % static_cast<uint32_t>(db.items));
        std::string customer = "C" + std::to_string(i % 50);
        auto start = std::chrono::steady_clock::now();
        CDefaultItemInfo info;
        benchmark::DoNotOptimize(info.Load(customer, ItemNumber(i), "CS ", db.dir));
        auto end = std::chrono::steady_clock::now();
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    Percentiles(state, micros);
}

BENCHMARK(BM_Search)
    ->ArgsProduct({{10000, 100000}, {1, 2, 3}})
    ->ArgNames({"items", "words"})
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(400);
BENCHMARK(BM_LoadDefaults)
    ->Arg(10000)
    ->Arg(100000)
    ->ArgName("items")
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(2000);

} // namespace

BENCHMARK_MAIN();
