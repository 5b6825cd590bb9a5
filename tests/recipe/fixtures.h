// Record files written by the tests, in the forms the suite's downloads give them (item numbers
// blank-filled to 12, unit codes to 3, dictionary words to 20).
#pragma once

#include "MenuItemDB.h"

#include <array>
#include <string>
#include <vector>

namespace kt {

struct ItemSpec {
    std::string number;
    std::string description;
    std::string brand;
    std::string portionType;
    int packQuantity = 0;
    std::array<std::string, 3> units{};
    bool flag7 = false, flag8 = false;
};
void AddItem(const ItemSpec& spec);

struct UnitSpec {
    std::string item;
    std::string unit;
    float weight = 0;
    float volume = 0;
    float pricing116 = 0, pricing272 = 0, pricing60 = 0;
};
void AddUnit(const UnitSpec& spec);

// One history record; lastDate -1 means none.
void AddHistory(const std::string& customer, const std::string& item, const std::string& unit, float amount1,
                float amount2, long lastDate = 1700000000);

// "COMPANY.KG_LB&" in the control file.
void SetKilograms(bool kilograms);

void AddCustomer(const std::string& number, const std::string& name);

// Creates an empty record file of each kind the costing reads.
void CreateCostingFiles();

std::string Pad(const std::string& text, size_t width);

// A dictionary word (with its own item list, or none) and a pair of the lookup file.
void AddWord(const std::string& word, const std::string& replacement, int count,
             const std::string& items = {});
void AddLookupPair(const std::string& word, const std::string& item);

// One ingredient line as stored; its recipe key is set when it is stored.
CMenuItem MenuLine(const std::string& item, const std::string& unit, double cost, double ptnPerItem,
                   double ptns, const std::string& ptnType = {}, const std::string& description = {});
void AddStoredLine(const std::string& key, CMenuItem line);

// A recipe's header and lines written as another program of the suite leaves them.
void StoreRecipe(const std::string& key, const std::string& customer, const std::string& name,
                 std::vector<CMenuItem> lines, const std::string& id = {}, double sellPrice = 0);
// What is on file for a recipe key: its lines (-1 when the file cannot be read) and its header.
int StoredLineCount(const std::string& key);
bool HasStoredHeader(const std::string& key);
// Replaces the line file by one whose recipe key is unique: it refuses a recipe's second line, so
// that a save or copy fails part-way.
void MakeLineFileOnePerRecipe();

} // namespace kt
