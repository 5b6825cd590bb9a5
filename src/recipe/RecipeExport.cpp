#include "RecipeExport.h"

#include "CRecipeLines.h"
#include "Costing.h"
#include "CustomerDB.h"
#include "DbContext.h"
#include "ItemDB.h"
#include "MenuHdrDB.h"
#include "MenuItemDB.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include <unistd.h>

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

constexpr int kNotFound = 4;
constexpr int kEndOfFile = 9;

// The file the export is written to before it takes the output's name: in the same folder, so
// the rename replaces the output in one step.
std::FILE* OpenAside(const std::string& outputPath, std::string* asidePath) {
    namespace fs = std::filesystem;
    const fs::path out(outputPath);
    auto seed = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path aside = out;
        aside.replace_filename("." + out.filename().string() + "." + std::to_string(::getpid()) + "." +
                               std::to_string((seed + static_cast<unsigned long long>(attempt)) % 1000000) +
                               ".tmp");
        // "x": never reuse a file that is already there.
        if (std::FILE* file = std::fopen(aside.c_str(), "wbx")) {
            *asidePath = aside.string();
            return file;
        }
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
}

int ErrorNumber() {
    return errno != 0 ? errno : EIO;
}

// Writes the whole text or reports the system's error number.
int WriteText(std::FILE* file, const std::string& text) {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file) != text.size()) return ErrorNumber();
    return 0;
}

// Flushes the text to the disk and closes the file; the error number of the first failure.
int Finish(std::FILE* file) {
    errno = 0;
    int error = 0;
    if (std::fflush(file) != 0 || std::ferror(file)) error = ErrorNumber();
    if (error == 0 && ::fsync(::fileno(file)) != 0) error = ErrorNumber();
    errno = 0;
    if (std::fclose(file) != 0 && error == 0) error = ErrorNumber();
    return error;
}

// Reads the recipe's records and writes its lines into file. The result's status is set when a
// recipe file could not be opened or read; its writeError when a write failed.
void WriteRecipe(const std::string& directory, const std::string& recipeKey, std::FILE* file,
                 RecipeExportResult& result) {
    CCustomerDB customers;
    CItemDB items;
    CMenuHdrDB headers;
    CMenuItemDB lines;
    customers.OpenIn(CDbContext(directory));
    items.OpenIn(CDbContext(directory));
    result.status = headers.OpenIn(CDbContext(directory));
    if (result.status == 0) result.status = lines.OpenIn(CDbContext(directory));
    if (result.status != 0) return;

    CMenuHdr header;
    int status = headers.FindRecipe(header, recipeKey);
    if (status != 0) {
        // A recipe never saved gives an empty file; an unreadable header file is a failure.
        if (status != kNotFound && status != kEndOfFile) result.status = status;
        return;
    }
    result.headerFound = true;
    result.writeError = WriteText(file, kRecipeExportHeader);
    if (result.writeError != 0) return;
    // The header holds the customer blank-filled to 8; the customer and history files know it by
    // its own characters.
    std::string customer = TrimRight(header.m_strCustomer);
    std::string customerName;
    CCustomer record;
    if (customers.IsOpen() && customers.GetRecord(record, customer) == 0) customerName = record.m_strName;

    std::string key = TrimRight(header.m_strRecipeKey);
    CMenuItem stored;
    status = lines.FindFirstLine(stored, header.m_strRecipeKey);
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
        result.writeError = WriteText(file, IngredientLine(header, customerName, line));
        if (result.writeError != 0) return;
        ++result.lines;
        status = lines.FindNextLine(stored);
    }
    // The end of the file or a line of another recipe ends the lines; anything else cut them short.
    if (status != 0 && status != kNotFound && status != kEndOfFile) result.status = status;
}

} // namespace

RecipeExportResult ExportRecipe(const std::string& directory, const std::string& recipeKey,
                                const std::string& outputPath) {
    RecipeExportResult result;
    std::string aside;
    std::FILE* file = OpenAside(outputPath, &aside);
    if (!file) return result;
    result.fileOpened = true;

    WriteRecipe(directory, recipeKey, file, result);
    const int closed = Finish(file);
    if (result.writeError == 0) result.writeError = closed;
    std::error_code ec;
    if (result.status == 0 && result.writeError == 0) {
        std::filesystem::rename(aside, outputPath, ec);
        if (!ec) return result;
        result.writeError = ec.value() != 0 ? ec.value() : EIO;
    }
    std::filesystem::remove(aside, ec);
    return result;
}
