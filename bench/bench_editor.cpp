// The recipe editor on a generated database (100,000 items; a customer with 5,000 recipes, one of
// them of 200 lines): loading the big recipe, saving it, opening the recipe selection, one
// type-ahead keystroke in it, and adding one ingredient by number (Enter to the row shown).
// Each operation's time is recorded; the median is reported as a counter.
#include "CMenuListCtrl.h"
#include "CRecipe.h"
#include "CRecipeDlg.h"
#include "CRecipeSelect.h"
#include "MenuHdrDB.h"
#include "MenuItemDB.h"
#include "dbtool.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kItems = 100000;
constexpr int kRecipes = 5000;
constexpr int kLines = 200;
constexpr int kBuildVersion = 1; // bump when the generated data changes
const char* const kCustomer = "S00001";
const char* const kBigRecipe = "AA26001120000";

std::string ItemNumber(int i) {
    char text[16];
    std::snprintf(text, sizeof text, "%07d", 1000000 + i);
    return text;
}

// Builds (once, kept between runs) and enters the database directory.
void EnterDatabase() {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / "kr-bench-editor";
    const fs::path db = root / "db";
    const fs::path marker = root / ("BUILT" + std::to_string(kBuildVersion));
    if (!fs::exists(marker)) {
        fs::remove_all(root);
        kdb::GenerateDownloads((root / "downloads").string(), kItems, 20);
        if (!kdb::BuildDemo(db.string(), (root / "downloads").string()))
            std::fprintf(stderr, "demo build had messages\n");
        fs::current_path(db);
        CMenuHdrDB headers;
        CMenuItemDB lines;
        if (headers.OpenFile() != 0 || lines.OpenFile() != 0) std::abort();
        headers.BeginTran();
        for (int i = 0; i < kRecipes; ++i) {
            CMenuHdr hdr;
            hdr.m_cRecordType = 'C';
            hdr.m_strCustomer = kCustomer;
            char text[32];
            std::snprintf(text, sizeof text, "AA26001%06d", 100000 + i);
            hdr.m_strRecipeKey = i == 0 ? kBigRecipe : text;
            std::snprintf(text, sizeof text, "RECIPE %s %d", i % 2 ? "SOUP" : "STEW", i);
            hdr.m_strRecipeName = text;
            std::snprintf(text, sizeof text, "R%05d", i);
            hdr.m_strRecipeID = text;
            hdr.m_dSellPrice = 10 + i % 50;
            if (headers.InsertRecipe(hdr) != 0) std::abort();
        }
        for (int l = 0; l < kLines; ++l) {
            CMenuItem line;
            line.m_strRecipeKey = kBigRecipe;
            line.m_strItem = ItemNumber(l * 397 % kItems);
            line.m_strUnit = "CS";
            line.m_dPtnPerItem = 0;
            line.m_dPtns = 1 + l % 4;
            line.m_dItemCost = l % 5 == 0 ? 3.5 : 0; // some overridden costs
            if (lines.InsertRecord(line) != 0) std::abort();
        }
        headers.EndTran();
        std::FILE* f = std::fopen(marker.c_str(), "w");
        if (f) std::fclose(f);
    }
    fs::current_path(db);
}

// The editor with the recipe selection answered by the big recipe, without a window around it.
class BenchDlg : public CRecipeDlg {
public:
    BenchDlg() : CRecipeDlg(QString::fromLatin1(kCustomer)) {}
    using CRecipeDlg::LoadCustomer;

protected:
    bool SelectRecipe(const std::string&, std::string* key) override {
        *key = kBigRecipe;
        return true;
    }
};

QApplication& App() {
    static int argc = 1;
    static char name[] = "bench_editor";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

using Clock = std::chrono::steady_clock;

void Report(benchmark::State& state, std::vector<double>& millis) {
    if (millis.empty()) return;
    std::sort(millis.begin(), millis.end());
    state.counters["median_ms"] = millis[millis.size() / 2];
    state.counters["max_ms"] = millis.back();
}

std::unique_ptr<BenchDlg> MakeEditor() {
    auto dlg = std::make_unique<BenchDlg>();
    dlg->show(); // loads the customer and the big recipe
    QApplication::processEvents();
    return dlg;
}

void BM_LoadRecipe(benchmark::State& state) {
    EnterDatabase();
    App();
    auto dlg = MakeEditor();
    std::vector<double> millis;
    for (auto _ : state) {
        dlg->Grid()->ClearLines();
        const auto t0 = Clock::now();
        dlg->LoadRecipe(kCustomer);
        millis.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        if (dlg->Grid()->GetItemCount() != kLines) state.SkipWithError("recipe not loaded");
    }
    Report(state, millis);
}
BENCHMARK(BM_LoadRecipe)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_SaveRecipe(benchmark::State& state) {
    EnterDatabase();
    App();
    auto dlg = MakeEditor();
    std::vector<double> millis;
    for (auto _ : state) {
        std::string saved;
        const auto t0 = Clock::now();
        const int st = dlg->WriteRecipe(kCustomer, kBigRecipe, false, &saved);
        millis.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        if (st != 0) state.SkipWithError("save failed");
    }
    Report(state, millis);
}
BENCHMARK(BM_SaveRecipe)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_OpenSelection(benchmark::State& state) {
    EnterDatabase();
    App();
    std::vector<double> millis;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        auto select = std::make_unique<CRecipeSelect>(kCustomer);
        select->show();
        QApplication::processEvents();
        millis.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        if (select->GetList()->GetItemCount() != kRecipes) state.SkipWithError("list not loaded");
        select->hide();
    }
    Report(state, millis);
}
BENCHMARK(BM_OpenSelection)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_TypeAheadKey(benchmark::State& state) {
    EnterDatabase();
    App();
    CRecipeSelect select(kCustomer);
    select.show();
    QApplication::processEvents();
    QWidget* target = select.GetList();
    std::vector<double> millis;
    const char* keys = "STEW49";
    int i = 0;
    for (auto _ : state) {
        // One letter of a search that goes on matching later rows; Escape starts again (untimed).
        const char c = keys[i++ % 6];
        if (i % 6 == 1) {
            QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
            QApplication::sendEvent(target, &home);
        }
        QKeyEvent press(QEvent::KeyPress, c >= 'A' ? Qt::Key_A + (c - 'A') : Qt::Key_0 + (c - '0'),
                        Qt::NoModifier, QString(QLatin1Char(c)));
        const auto t0 = Clock::now();
        QApplication::sendEvent(target, &press);
        QApplication::processEvents();
        millis.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    Report(state, millis);
}
BENCHMARK(BM_TypeAheadKey)->Unit(benchmark::kMillisecond)->Iterations(60);

void BM_AddLineByNumber(benchmark::State& state) {
    EnterDatabase();
    App();
    auto dlg = MakeEditor();
    CMenuListCtrl* grid = dlg->Grid();
    QPushButton* add = dlg->Button(QStringLiteral("Add Ingredient"));
    std::vector<double> millis;
    int n = 0;
    for (auto _ : state) {
        const int rows = grid->GetItemCount();
        const QString number = QString::fromStdString(ItemNumber(n++ * 7919 % kItems));
        const auto t0 = Clock::now();
        add->click();
        QLineEdit* label = grid->GetEditControl();
        if (!label) {
            state.SkipWithError("no item editor");
            break;
        }
        label->setText(number);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(label, &enter);
        while (grid->GetCellText(rows, CMenuListCtrl::kColItem).trimmed() != number)
            QApplication::processEvents();
        millis.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    Report(state, millis);
}
BENCHMARK(BM_AddLineByNumber)->Unit(benchmark::kMillisecond)->Iterations(30);

} // namespace

BENCHMARK_MAIN();
