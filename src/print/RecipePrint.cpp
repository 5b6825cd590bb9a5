#include "RecipePrint.h"

#include "CListCtrlPrint.h"
#include "PrintFormat.h"

#include <QPrinter>

namespace {
void Fill(CListCtrlPrint& job, CMyListCtrl* grid, const CRecipePrintTexts& texts) {
    job.m_pList = grid;
    job.m_strTitle = texts.m_strRecipeName.isEmpty() ? QString::fromLatin1(PrintTexts::kDefaultTitle)
                                                     : texts.m_strRecipeName;
    job.m_settings.m_strHeader = texts.m_strCustomer;
    job.m_settings.m_strHeader2 = texts.m_strRecipeName;
    job.m_settings.m_strAmounts = RecipeAmountsText(texts);
    job.m_settings.m_strFooter = texts.m_strNotes;
    job.m_settings.m_strPageFormat = QString::fromLatin1(kRecipePageFormat);
}
} // namespace

QString RecipeAmountsText(const CRecipePrintTexts& t) {
    return QStringLiteral("$") + QString::number(t.m_dSellPrice, 'f', 2) + QLatin1Char('\n') + t.m_strCost +
           QLatin1Char('\n') + t.m_strProfit + QLatin1Char('\n') + t.m_strTotalFC;
}

void PrintRecipe(CMyListCtrl* grid, const CRecipePrintTexts& texts, QWidget* parent) {
    CListCtrlPrint job;
    job.m_pParent = parent;
    Fill(job, grid, texts);
    job.Print();
}

int PrintRecipeTo(CMyListCtrl* grid, const CRecipePrintTexts& texts, QPrinter& printer) {
    CListCtrlPrint job;
    Fill(job, grid, texts);
    job.Printer().setOutputFormat(printer.outputFormat());
    job.Printer().setOutputFileName(printer.outputFileName());
    job.Printer().setPageLayout(printer.pageLayout());
    if (printer.outputFormat() != QPrinter::PdfFormat) job.Printer().setPrinterName(printer.printerName());
    if (job.PrintWithoutDialogs() != CPrinterJob::EResult::Printed) return 0;
    return job.Layout().PageCount();
}
