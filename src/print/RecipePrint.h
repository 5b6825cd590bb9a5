#pragma once

#include <QString>

class CMyListCtrl;
class QPrinter;
class QWidget;

// What the editor hands to the recipe printout, as shown on screen.
struct CRecipePrintTexts {
    QString m_strCustomer; // the customer block: number " - " name, address, city state ZIP
    QString m_strRecipeName;
    double m_dSellPrice = 0;
    QString m_strCost; // the cost, profit and total food cost % as the editor shows them
    QString m_strProfit;
    QString m_strTotalFC;
    QString m_strNotes;
};

inline constexpr const char* kRecipePageFormat = "Page %d of %d";

// "$12.50\n3.20\n9.30\n25.60": the values beside the amount labels.
QString RecipeAmountsText(const CRecipePrintTexts& texts);

// Prints the grid with the recipe's texts: setup dialog, printer dialog, pages. Asks nothing else;
// the caller has settled unsaved changes before.
void PrintRecipe(CMyListCtrl* grid, const CRecipePrintTexts& texts, QWidget* parent);

// The same printout on a printer already set up (a PDF file, say), without any dialog.
// Returns the number of pages printed; 0 when nothing was printed.
int PrintRecipeTo(CMyListCtrl* grid, const CRecipePrintTexts& texts, QPrinter& printer);
