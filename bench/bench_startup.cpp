// Start-up to the editor shown on the demo database, and the customer picker opening on 10,000
// customers, each on the offscreen platform under a temporary HOME.
#include "CCustomerPickerDlg.h"
#include "CMyListCtrl.h"
#include "CRecipeApp.h"
#include "Profile.h"
#include "dbtool.h"

#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>

namespace fs = std::filesystem;

namespace {

fs::path g_root;
fs::path g_pickerDb;

class BenchApp : public CRecipeApp {
public:
    using CRecipeApp::CRecipeApp;
    std::chrono::steady_clock::time_point m_shown;

protected:
    std::unique_ptr<QDialog> CreateMainDialog(const QString& customerNumber) override {
        auto dialog = MakeEditor(customerNumber);
        QDialog* shown = dialog.get();
        // Runs once exec() has shown the editor and the event loop turns.
        QTimer::singleShot(0, shown, [this, shown] {
            m_shown = std::chrono::steady_clock::now();
            shown->reject();
        });
        return dialog;
    }
};

BenchApp* g_app = nullptr;

void BM_StartupToEditorShown(benchmark::State& state) {
    // A demo customer without recipes, so no recipe selection stands between start and editor.
    g_app->SetCommandLine("100412");
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        g_app->InitInstance();
        state.SetIterationTime(std::chrono::duration<double>(g_app->m_shown - start).count());
    }
    if (!g_app->GetStartupSucceeded()) state.SkipWithError("start-up did not succeed");
}
BENCHMARK(BM_StartupToEditorShown)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_CustomerPickerOpens10000(benchmark::State& state) {
    fs::path previous = fs::current_path();
    fs::current_path(g_pickerDb);
    int rows = 0;
    for (auto _ : state) {
        CCustomerPickerDlg dlg("Recipe");
        dlg.show();
        QCoreApplication::processEvents();
        rows = dlg.GetList()->GetItemCount();
    }
    fs::current_path(previous);
    state.counters["customers"] = rows;
    if (rows < 10000) state.SkipWithError("the picker did not list 10,000 customers");
}
BENCHMARK(BM_CustomerPickerOpens10000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

bool Prepare() {
    g_root = fs::temp_directory_path() / ("kr-bench-startup-" + std::to_string(std::random_device{}()));
    fs::path home = g_root / "home";
    fs::create_directories(home / "Documents");
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!kdb::BuildDemo((home / "Documents" / "Kestrel 32").string(), KR_DEMO_DATA)) return false;
    fs::path downloads = g_root / "generated";
    kdb::GenerateDownloads(downloads.string(), 200, 10000);
    g_pickerDb = g_root / "picker-db";
    return kdb::BuildDemo(g_pickerDb.string(), downloads.string());
}

} // namespace

int main(int argc, char** argv) {
    if (!Prepare()) {
        std::fprintf(stderr, "bench_startup: the databases could not be built in %s\n", g_root.c_str());
        return 1;
    }
    BenchApp app(argc, argv);
    g_app = &app;
    SetProfileLocation("Demo");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(g_root, ec);
    return 0;
}
