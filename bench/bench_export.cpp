// The recipe export on a generated database (20,000 items, 20 customers): a saved recipe of 200
// lines written to a text file, every line priced anew where the recipe keeps no cost. Reports the
// median time and the file size.
#include "MenuHdrDB.h"
#include "MenuItemDB.h"
#include "RecipeExport.h"
#include "dbtool.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kItems = 20000;
constexpr int kLines = 200;
constexpr int kBuildVersion = 1; // bump when the generated data changes
const char* const kRecipe = "AA26001120000";

// Builds (once, kept between runs) the database; returns its directory.
fs::path Database() {
    const fs::path root = fs::temp_directory_path() / "kr-bench-export";
    const fs::path db = root / "db";
    const fs::path marker = root / ("BUILT" + std::to_string(kBuildVersion));
    if (fs::exists(marker)) return db;
    fs::remove_all(root);
    kdb::GenerateDownloads((root / "downloads").string(), kItems, 20);
    if (!kdb::BuildDemo(db.string(), (root / "downloads").string()))
        std::fprintf(stderr, "demo build had messages\n");
    CMenuHdrDB headers;
    CMenuItemDB lines;
    if (headers.OpenFile((db / "MENUHDR.DB").c_str()) != 0 ||
        lines.OpenFile((db / "MENUITEM.DB").c_str()) != 0)
        std::abort();
    CMenuHdr hdr;
    hdr.m_cRecordType = 'C';
    hdr.m_strCustomer = "S00001";
    hdr.m_strRecipeKey = kRecipe;
    hdr.m_strRecipeName = "BIG STEW";
    hdr.m_dSellPrice = 120;
    if (headers.InsertRecipe(hdr) != 0) std::abort();
    for (int l = 0; l < kLines; ++l) {
        CMenuItem line;
        line.m_strRecipeKey = kRecipe;
        char item[16];
        std::snprintf(item, sizeof item, "%07d", 1000000 + l * 97 % kItems);
        line.m_strItem = item;
        line.m_strUnit = "CS";
        line.m_dPtns = 1 + l % 4;
        line.m_dItemCost = l % 5 == 0 ? 3.5 : 0; // some overridden costs
        if (lines.InsertRecord(line) != 0) std::abort();
    }
    if (std::FILE* f = std::fopen(marker.c_str(), "w")) std::fclose(f);
    return db;
}

void BM_ExportRecipe(benchmark::State& state) {
    const fs::path db = Database();
    const fs::path out = db.parent_path() / "Recipe.txt";
    std::vector<double> millis;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        RecipeExportResult r = ExportRecipe(db.string(), kRecipe, out.string());
        millis.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
        if (!r.Succeeded() || r.lines != kLines) state.SkipWithError("export failed");
    }
    std::sort(millis.begin(), millis.end());
    state.counters["median_ms"] = millis[millis.size() / 2];
    std::error_code ec;
    state.counters["file_bytes"] = static_cast<double>(fs::file_size(out, ec));
}
BENCHMARK(BM_ExportRecipe)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

BENCHMARK_MAIN();
