#include "fixtures.h"

#include "ControlDB.h"
#include "CustomerDB.h"
#include "ItemDB.h"
#include "ItemDictDB.h"
#include "ItemLookupDB.h"
#include "ItemUnitDB.h"
#include "MenuHdrDB.h"
#include "MenuItemDB.h"
#include "VelocityDB.h"
#include "btrieve/btrcall.h"
#include "support.h"

#include <cstdio>
#include <cstdlib>

namespace kt {

std::string Pad(const std::string& text, size_t width) {
    std::string out = text;
    if (out.size() < width) out.resize(width, ' ');
    return out;
}

namespace {
// The records a test stands on: a failure to write them ends the test program, in the Qt test
// programs as in the others (an assertion of the one framework means nothing to the other).
void Require(int status, const char* what) {
    if (status == 0) return;
    std::fprintf(stderr, "test set-up failed: %s answered %d\n", what, status);
    std::abort();
}

template <class File> void OpenOrCreate(File& file) {
    if (file.OpenFile() != 0) {
        Require(file.Create(file.GetFileName()), "file.Create(file.GetFileName())");
    }
}
} // namespace

void AddItem(const ItemSpec& spec) {
    CItemDB db;
    OpenOrCreate(db);
    CItem item;
    item.m_strItemNumber = Pad(spec.number, 12);
    item.m_strDescription = spec.description;
    item.m_strBrand = spec.brand;
    item.m_strPortionType = spec.portionType;
    item.m_nPackQuantity = spec.packQuantity;
    for (size_t u = 0; u < 3; ++u)
        item.m_arrUnits[u] = Pad(spec.units[u], 3);
    item.m_bFlag7 = spec.flag7;
    item.m_bFlag8 = spec.flag8;
    Require(db.InsertRecord(item), "db.InsertRecord(item)");
}

void AddUnit(const UnitSpec& spec) {
    CItemUnitDB db;
    OpenOrCreate(db);
    CItemUnit unit;
    unit.m_strItemNumber = Pad(spec.item, 12);
    unit.m_strUnit = Pad(spec.unit, 3);
    unit.m_fWeight = spec.weight;
    unit.m_fVolume = spec.volume;
    unit.m_fPricing116 = spec.pricing116;
    unit.m_fPricing272 = spec.pricing272;
    unit.m_fPricing60 = spec.pricing60;
    Require(db.InsertRecord(unit), "db.InsertRecord(unit)");
}

void AddHistory(const std::string& customer, const std::string& item, const std::string& unit, float amount1,
                float amount2, long lastDate) {
    CVelocityDB db;
    OpenOrCreate(db);
    CVelocity history;
    history.m_strCustomer = customer;
    history.m_strItem = Pad(item, 12);
    history.m_strUnit = Pad(unit, 3);
    history.m_fAmount1 = amount1;
    history.m_fAmount2 = amount2;
    history.m_tLastDate = lastDate;
    history.m_bActive = true;
    Require(db.InsertRecord(history), "db.InsertRecord(history)");
}

void SetKilograms(bool kilograms) {
    CControlDB db;
    OpenOrCreate(db);
    CControl control;
    control.m_strKey = Pad("COMPANY.KG_LB&", 30);
    control.m_cType = 'B';
    control.m_bFlag = kilograms;
    if (db.UpdateControl(control) != 0) {
        Require(db.InsertRecord(control), "db.InsertRecord(control)");
    }
}

void AddCustomer(const std::string& number, const std::string& name) {
    CCustomerDB db;
    OpenOrCreate(db);
    CCustomer customer;
    customer.m_strNumber = number;
    customer.m_strName = name;
    Require(db.InsertRecord(customer), "db.InsertRecord(customer)");
}

void CreateCostingFiles() {
    CItemDB items;
    OpenOrCreate(items);
    CItemUnitDB units;
    OpenOrCreate(units);
    CVelocityDB history;
    OpenOrCreate(history);
}

void AddWord(const std::string& word, const std::string& replacement, int count, const std::string& items) {
    CItemDictDB dict;
    OpenOrCreate(dict);
    CItemDict entry;
    entry.m_strWord = Pad(word, 20);
    entry.m_strReplacement = Pad(replacement, 20);
    entry.m_nCount = count;
    entry.m_strItems = items;
    Require(dict.InsertRecord(entry), "dict.InsertRecord(entry)");
}

void AddLookupPair(const std::string& word, const std::string& item) {
    CItemLookupDB lookup;
    OpenOrCreate(lookup);
    CItemLookup pair;
    pair.m_strWord = Pad(word, 20);
    pair.m_strItem = Pad(item, 12);
    Require(lookup.InsertPair(pair), "lookup.InsertPair(pair)");
}

CMenuItem MenuLine(const std::string& item, const std::string& unit, double cost, double ptnPerItem,
                   double ptns, const std::string& ptnType, const std::string& description) {
    CMenuItem line;
    line.m_strItem = item;
    line.m_strUnit = unit;
    line.m_strDescription = description;
    line.m_strPtnType = ptnType;
    line.m_dItemCost = cost;
    line.m_dPtnPerItem = ptnPerItem;
    line.m_dPtns = ptns;
    return line;
}

void AddStoredLine(const std::string& key, CMenuItem line) {
    CMenuItemDB file;
    OpenOrCreate(file);
    line.m_strRecipeKey = key;
    Require(file.InsertRecord(line), "file.InsertRecord(line)");
}

void StoreRecipe(const std::string& key, const std::string& customer, const std::string& name,
                 std::vector<CMenuItem> lines, const std::string& id, double sellPrice) {
    CMenuHdrDB headers;
    OpenOrCreate(headers);
    CMenuHdr header;
    header.m_cRecordType = 'C';
    header.m_strRecipeKey = key;
    header.m_strCustomer = customer;
    header.m_strRecipeName = name;
    header.m_strRecipeID = id;
    header.m_dSellPrice = sellPrice;
    Require(headers.InsertRecipe(header), "headers.InsertRecipe(header)");
    CMenuItemDB file;
    OpenOrCreate(file); // a recipe without lines still has its line file
    for (const CMenuItem& line : lines)
        AddStoredLine(key, line);
}

int StoredLineCount(const std::string& key) {
    CMenuItemDB file;
    if (file.OpenFile() != 0) return -1;
    CMenuItem line;
    int n = 0;
    for (int st = file.FindFirstLine(line, key); st == 0 && line.m_strRecipeKey.rfind(key, 0) == 0;
         st = file.FindNextLine(line))
        ++n;
    return n;
}

bool HasStoredHeader(const std::string& key) {
    CMenuHdrDB headers;
    CMenuHdr header;
    return headers.OpenFile() == 0 && headers.FindRecipe(header, key) == 0;
}

void MakeLineFileOnePerRecipe() {
    CMenuItemDB file;
    std::vector<uint8_t> spec;
    BuildFileSpec(spec, CMenuItemDB::kRecordLength, 1, 0, {{1, 14, btr::KF_MODIFIABLE, btr::KT_STRING}});
    Require(file.CreateFile(spec, "MENUITEM.DB", btr::kCreateReplace), "replacing MENUITEM.DB");
}

} // namespace kt
