// The recipe selection on a generated database (100,000 items, 20 customers): opening it on a
// customer with 5,000 recipes (list read, shown and painted) and the first type-ahead keystroke
// after it opens (the search scans every row). Medians over repetitions are the figures to read.
#include "CRecipeSelect.h"
#include "DbContext.h"
#include "MenuHdrDB.h"
#include "MenuItemDB.h"
#include "dbtool.h"

#include <QApplication>
#include <QKeyEvent>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr int kRecipes = 5000;
const char* const kCustomer = "S00007";

// Words for recipe names; the last recipe alone is a ZUCCHINI one, so a Z scans every row.
const char* const kDishes[] = {"CHICKEN", "BEEF", "PORK", "SALMON", "TOFU", "LAMB", "SHRIMP", "DUCK"};
const char* const kForms[] = {"STEW", "ROAST", "CURRY", "PIE", "SALAD", "SOUP", "TACOS", "BAKE"};

const std::string& Database() {
    static const std::string dir = [] {
        const std::filesystem::path root =
            std::filesystem::temp_directory_path() / ("kr-bench-select-" + std::to_string(::getpid()));
        std::filesystem::create_directories(root);
        const std::string data = (root / "downloads").string();
        const std::string db = (root / "db").string();
        kdb::GenerateDownloads(data, 100000, 20);
        std::vector<std::string> report;
        kdb::BuildDemo(db, data, &report);

        CMenuHdrDB headers;
        CMenuItemDB lines;
        if (headers.OpenIn(CDbContext(db)) != 0 || lines.OpenIn(CDbContext(db)) != 0) {
            std::fprintf(stderr, "bench_select: recipe files not available\n");
            std::exit(1);
        }
        headers.BeginTran();
        // The customer's recipes among those of the customers before and after it.
        int serial = 0;
        for (const char* customer : {"S00006", kCustomer, "S00008"}) {
            const int count = std::string(customer) == kCustomer ? kRecipes : 500;
            for (int i = 0; i < count; ++i, ++serial) {
                CMenuHdr h;
                h.m_cRecordType = 'C';
                h.m_strCustomer = customer;
                char key[32], id[32];
                std::snprintf(key, sizeof key, "AA2600%07d", serial);
                std::snprintf(id, sizeof id, "R%05d", i);
                h.m_strRecipeKey = key;
                h.m_strRecipeID = id;
                const bool last = std::string(customer) == kCustomer && i == count - 1;
                h.m_strRecipeName =
                    last ? std::string("ZUCCHINI BREAD")
                         : std::string(kDishes[i % 8]) + " " + kForms[(i / 8) % 8] + " " + std::to_string(i);
                headers.InsertRecipe(h);
                for (int l = 0; l < 3; ++l) {
                    CMenuItem line;
                    line.m_strRecipeKey = key;
                    line.m_strItem = std::to_string(1000000 + l);
                    line.m_dPtns = 1;
                    lines.InsertRecord(line);
                }
            }
        }
        headers.EndTran();
        return db;
    }();
    return dir;
}

void OpenSelection(benchmark::State& state) {
    const std::string& db = Database();
    for (auto _ : state) {
        CRecipeSelect dlg(kCustomer, nullptr, db);
        dlg.show();
        QApplication::processEvents(); // laid out and painted
        benchmark::DoNotOptimize(dlg.GetList()->GetItemCount());
        state.PauseTiming();
        if (dlg.GetList()->GetItemCount() != kRecipes) state.SkipWithError("wrong row count");
        dlg.hide();
        state.ResumeTiming();
    }
}
BENCHMARK(OpenSelection)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

void FirstKeystroke(benchmark::State& state) {
    const std::string& db = Database();
    for (auto _ : state) {
        state.PauseTiming();
        auto dlg = std::make_unique<CRecipeSelect>(kCustomer, nullptr, db);
        dlg->show();
        QApplication::processEvents();
        state.ResumeTiming();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, QStringLiteral("z"));
        QApplication::sendEvent(dlg->GetList(), &press);
        QApplication::processEvents(); // the selection shown
        state.PauseTiming();
        if (dlg->GetList()->GetFirstSelectedRow() != kRecipes - 1) state.SkipWithError("Z not found");
        dlg.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(FirstKeystroke)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

// A further keystroke once the dialog knows its rows: F3 search again over all 5,000.
void SearchAgainKeystroke(benchmark::State& state) {
    const std::string& db = Database();
    CRecipeSelect dlg(kCustomer, nullptr, db);
    dlg.show();
    QApplication::processEvents();
    QKeyEvent z(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, QStringLiteral("z"));
    QApplication::sendEvent(dlg.GetList(), &z);
    for (auto _ : state) {
        QKeyEvent f3(QEvent::KeyPress, Qt::Key_F3, Qt::NoModifier);
        QApplication::sendEvent(dlg.GetList(), &f3);
        QApplication::processEvents();
    }
}
BENCHMARK(SearchAgainKeystroke)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(Database()).parent_path(), ec);
    return 0;
}
