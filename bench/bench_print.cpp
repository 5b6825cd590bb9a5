// Printing a 500-line recipe to a PDF file: the time of the whole job and the size of the file.
#include "CMyListCtrl.h"
#include "RecipePrint.h"

#include <QApplication>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {
CMyListCtrl* MakeGrid(int rows) {
    auto* grid = new CMyListCtrl;
    const struct {
        const char* title;
        int format, width;
    } cols[] = {{"Item #", LVCFMT_LEFT, 90},     {"Description", LVCFMT_LEFT, 220},
                {"Unit", LVCFMT_CENTER, 50},     {"Item Cost", LVCFMT_RIGHT, 80},
                {"Portions", LVCFMT_RIGHT, 70},  {"Portion Cost", LVCFMT_RIGHT, 80},
                {"Line Cost", LVCFMT_RIGHT, 80}, {"FC %", LVCFMT_RIGHT, 60}};
    int i = 0;
    for (const auto& c : cols)
        grid->AddColumn(i++, QString::fromLatin1(c.title), c.format, c.width);
    for (int r = 0; r < rows; ++r)
        grid->AddRow({QString::number(100200 + r),
                      QStringLiteral("Ingredient number %1, cleaned and trimmed").arg(r),
                      QStringLiteral("CS"), QString::number(12.5 + r, 'f', 2), QString::number(4 + r % 7),
                      QString::number(0.21 * r, 'f', 2), QString::number(0.37 * r, 'f', 2),
                      QString::number(r % 40, 'f', 2)});
    return grid;
}

void BM_PrintRecipe500ToPdf(benchmark::State& state) {
    QTemporaryDir dir;
    CMyListCtrl* grid = MakeGrid(static_cast<int>(state.range(0)));
    CRecipePrintTexts texts;
    texts.m_strCustomer = QStringLiteral("000123 - Harbour Grill\n12 Quay Street\nPortsmouth, NH 03801");
    texts.m_strRecipeName = QStringLiteral("Banquet stock");
    texts.m_dSellPrice = 12.5;
    texts.m_strCost = QStringLiteral("3.20");
    texts.m_strProfit = QStringLiteral("9.30");
    texts.m_strTotalFC = QStringLiteral("25.60");
    texts.m_strNotes = QStringLiteral("Keep chilled.");
    const QString path = dir.filePath(QStringLiteral("recipe.pdf"));
    int pages = 0;
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        pages = PrintRecipeTo(grid, texts, printer);
        benchmark::DoNotOptimize(pages);
    }
    state.counters["pages"] = pages;
    state.counters["pdf_bytes"] = static_cast<double>(QFileInfo(path).size());
    delete grid;
}
BENCHMARK(BM_PrintRecipe500ToPdf)->Arg(500)->Unit(benchmark::kMillisecond)->MinTime(2.0);
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
