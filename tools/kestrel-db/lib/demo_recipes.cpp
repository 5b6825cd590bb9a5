// The demo recipes: a few recipes of two demo customers, so the editor opens on real work.
#include "dbtool.h"

#include "CDefaultItemInfo.h"
#include "Costing.h"
#include "MenuCategoryDB.h"
#include "MenuHdrDB.h"
#include "MenuItemDB.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace kdb {

namespace {

struct DemoLine {
    const char* item;
    const char* unit;
    double ptns;
    double cost = 0;              // 0: the customer's price of the item
    const char* description = ""; // a custom ingredient's own description
    const char* ptnType = "";     // empty: the item's portion type
    double ptnPerItem = 0;        // 0: the item's pack quantity
};

struct DemoRecipe {
    const char* customer;
    const char* key;
    const char* category;
    const char* name;
    const char* id;
    double sellPrice;
    double desiredFC;
    const char* notes;
    std::vector<DemoLine> lines;
};

struct DemoCategory {
    const char* customer;
    const char* key;
    const char* name;
};

// Keys as the editor makes them from the clock ("%Y%j%H%M%S"), saved recipes starting "AA".
const DemoCategory kCategories[] = {
    {"100210", "2025014090000", "ENTREES"},
    {"100210", "2025014090100", "SAUCES & RUBS"},
    {"100355", "2025020101500", "BURGERS"},
};

std::vector<DemoRecipe> Recipes() {
    return {
        {"100210",
         "AA25014093000",
         "2025014090000",
         "Grilled Chicken Plate",
         "ENT-01",
         16.95,
         30,
         "Serve with the seasonal vegetables.",
         {{"10101", "CS", 1}, {"20117", "", 0.5}, {"30103", "", 4}}},
        {"100210",
         "AA25014094500",
         "2025014090000",
         "Braised Short Rib",
         "ENT-02",
         24.50,
         32,
         "Cost of the short rib agreed with the buyer until the end of the quarter.",
         // The agreed price overrides the customer's default price.
         {{"10119", "CS", 1, 89.50}, {"20122", "", 1}, {"30101", "", 2}}},
        {"100210",
         "AA25014100000",
         "2025014090100",
         "House Spice Rub",
         "SAU-01",
         0,
         25,
         "",
         {{"HOUSE RUB", "LB", 2, 6.40, "SMOKED PAPRIKA BLEND (HOUSE)", "OZ", 16}, {"20106", "", 1}}},
        {"100355",
         "AA25020102000",
         "2025020101500",
         "Barn Burger",
         "BRG-01",
         12.95,
         28,
         "Two patties on request: add a second patty line.",
         {{"10113", "", 1}, {"20108", "", 1}, {"10121", "", 2}, {"30101", "", 1}}},
    };
}

std::string Pad(const std::string& text, size_t width) {
    std::string padded = text.substr(0, width);
    padded.resize(width, ' ');
    return padded;
}

// The line as the editor saves it: the item's defaults for the customer where the recipe gives
// none; a custom ingredient keeps what the recipe gives.
CMenuItem MakeLine(const DemoRecipe& recipe, const DemoLine& given) {
    CMenuItem line;
    line.m_strRecipeKey = recipe.key;
    CDefaultItemInfo info;
    std::string unit = given.unit;
    bool found = info.Load(recipe.customer, Pad(given.item, 12), Pad(unit, 3));
    if (found && unit.empty()) {
        unit = TrimRight(info.m_strUnits[0]);
        info.Load(recipe.customer, Pad(given.item, 12), Pad(unit, 3));
    }
    line.m_strItem = Pad(given.item, 12);
    line.m_strUnit = Pad(unit, 3);
    line.m_strDescription = *given.description ? given.description : TrimRight(info.m_strDescription);
    line.m_strPtnType = *given.ptnType ? given.ptnType : info.m_strDefaultPtnType;
    line.m_dItemCost = given.cost > 0 ? given.cost : info.m_dCost;
    line.m_dPtnPerItem = given.ptnPerItem > 0 ? given.ptnPerItem : info.m_dPtnPerItem;
    line.m_dPtns = given.ptns;
    return line;
}

void InsertCategories(CMenuCategoryDB& categories) {
    for (const DemoCategory& given : kCategories) {
        CMenuCategory category;
        category.m_cRecordType = 'C';
        category.m_strCustomer = given.customer;
        category.m_strCategoryKey = given.key;
        category.m_strName = given.name;
        categories.InsertRecord(category);
    }
}

// The header, then its lines; a header that cannot be written adds no lines.
bool InsertRecipe(CMenuHdrDB& headers, CMenuItemDB& lines, const DemoRecipe& recipe) {
    CMenuHdr header;
    header.m_cRecordType = 'C';
    header.m_strCustomer = recipe.customer;
    header.m_strRecipeKey = recipe.key;
    header.m_strCategoryKey = recipe.category;
    header.m_strRecipeName = recipe.name;
    header.m_strRecipeID = recipe.id;
    header.m_dSellPrice = recipe.sellPrice;
    header.m_dDesiredFC = recipe.desiredFC;
    header.m_strNotes = recipe.notes;
    header.m_nLastWrite = 1736848800; // 14 January 2025
    if (headers.InsertRecipe(header) != 0) return false;
    for (const DemoLine& given : recipe.lines) {
        CMenuItem line = MakeLine(recipe, given);
        lines.InsertRecord(line);
    }
    return true;
}

// The recipe files open in the current directory, as the editor opens them.
int InsertDemoRecipes(const std::function<void(const std::string&)>& say) {
    CMenuHdrDB headers;
    CMenuItemDB lines;
    CMenuCategoryDB categories;
    if (headers.OpenFile() != 0 || lines.OpenFile() != 0 || categories.OpenFile() != 0) {
        say("recipes: the recipe files cannot be opened");
        return -1;
    }
    // Recipes already there are the user's: the demo never adds to them.
    if (headers.GetRecordCount() > 0) {
        say("recipes: MENUHDR.DB already holds recipes, none added");
        return 0;
    }
    InsertCategories(categories);
    int added = 0;
    for (const DemoRecipe& recipe : Recipes())
        if (InsertRecipe(headers, lines, recipe)) ++added;
    say("recipes: " + std::to_string(added) + " demo recipes for customers 100210 and 100355");
    return added;
}

} // namespace

int AddDemoRecipes(const std::string& dir, std::vector<std::string>* report) {
    auto say = [&](const std::string& text) {
        if (report) report->push_back(text);
    };
    std::error_code ec;
    fs::path previous = fs::current_path(ec);
    fs::current_path(dir, ec);
    if (ec) {
        say("recipes: cannot enter " + dir);
        return -1;
    }
    int added = InsertDemoRecipes(say);
    fs::current_path(previous, ec);
    return added;
}

} // namespace kdb
