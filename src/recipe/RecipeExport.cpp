#include "RecipeExport.h"

#include "CRecipeLines.h"
#include "Costing.h"
#include "CustomerDB.h"
#include "DbPath.h"
#include "ItemDB.h"
#include "MenuHdrDB.h"
#include "MenuItemDB.h"

#include <cmath>
#include <cstdio>

const char* const kRecipeExportHeader =
    "Customer\tCustomer Name\tRecipe ID\tRecipe Sell Price\tItem\tUnit\tDescription\tBrand\tItem Cost\t"
    "Ptn/Item\tPtn Cost\tPtn Type\tPtns\tRecipe Cost\tFC%\r\n";

std::string ExportText(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return out;
}

namespace {

std::string Abs2(double value) {
    return FormatAmount(std::fabs(value));
}

std::string IngredientLine(const CMenuHdr& header, const std::string& customerName,
                           const CMenuItemDetail& line) {
    std::string out;
    auto field = [&out](const std::string& text) {
        out += text;
        out += '\t';
    };
    field(ExportText(header.m_strCustomer));
    field(ExportText(customerName));
    field(ExportText(TrimRight(header.m_strRecipeKey)));
    field(Abs2(header.m_dSellPrice));
    field(Trim(ExportText(line.m_strItem)));
    field(Trim(ExportText(line.m_strUnit)));
    field(Trim(ExportText(line.m_strDescription)));
    field(Trim(ExportText(line.m_strBrand)));
    field(Abs2(line.m_dItemCost));
    field(FormatPortions(std::fabs(line.m_dPtnPerItem)));
    // A line without portions per item has no portion or line cost: those fields stay empty.
    field(HasLineCost(line) ? Abs2(PortionCost(line)) : std::string());
    field(Trim(ExportText(line.m_strPtnType)));
    field(Abs2(line.m_dPtns));
    field(HasLineCost(line) ? Abs2(LineRecipeCost(line)) : std::string());
    double percent = 0;
    if (LineFoodCostPercent(line, header.m_dSellPrice, percent)) out += FormatPercent(percent);
    out += "\r\n";
    return out;
}

} // namespace

RecipeExportResult ExportRecipe(const std::string& directory, const std::string& recipeKey,
                                const std::string& outputPath) {
    RecipeExportResult result;
    std::FILE* file = std::fopen(outputPath.c_str(), "wb");
    if (!file) return result;
    result.fileOpened = true;

    CCustomerDB customers;
    CItemDB items;
    CMenuHdrDB headers;
    CMenuItemDB lines;
    std::string customerPath = DbPath(directory, "CUST.DB");
    std::string itemPath = DbPath(directory, "ITEM.DB");
    std::string headerPath = DbPath(directory, "MENUHDR.DB");
    std::string linePath = DbPath(directory, "MENUITEM.DB");
    customers.OpenFile(DbPathArg(customerPath));
    items.OpenFile(DbPathArg(itemPath));
    result.status = headers.OpenFile(DbPathArg(headerPath));
    if (result.status == 0) result.status = lines.OpenFile(DbPathArg(linePath));

    if (result.status == 0) {
        CMenuHdr header;
        if (headers.FindRecipe(header, recipeKey) == 0) {
            result.headerFound = true;
            std::fputs(kRecipeExportHeader, file);
            // The header holds the customer blank-filled to 8; the customer and history files
            // know it by its own characters.
            std::string customer = TrimRight(header.m_strCustomer);
            std::string customerName;
            CCustomer record;
            if (customers.IsOpen() && customers.GetCustomer(record, customer) == 0)
                customerName = record.m_strName;

            std::string key = TrimRight(header.m_strRecipeKey);
            CMenuItem stored;
            int status = lines.FindFirstLine(stored, header.m_strRecipeKey);
            while (status == 0 && TrimRight(stored.m_strRecipeKey) == key) {
                CMenuItemDetail line;
                line.m_strItem = stored.m_strItem;
                line.m_strUnit = stored.m_strUnit;
                line.m_strDescription = stored.m_strDescription;
                line.m_strPtnType = stored.m_strPtnType;
                line.m_dPtnPerItem = stored.m_dPtnPerItem;
                line.m_dPtns = stored.m_dPtns;
                line.m_dItemCost = RoundCents(stored.m_dItemCost);
                CompleteLine(line, customer, directory);
                std::string text = IngredientLine(header, customerName, line);
                std::fwrite(text.data(), 1, text.size(), file);
                ++result.lines;
                status = lines.FindNextLine(stored);
            }
        }
        result.status = 0;
    }
    std::fclose(file);
    return result;
}
