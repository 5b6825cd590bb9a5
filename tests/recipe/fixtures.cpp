#include "fixtures.h"

#include "ControlDB.h"
#include "CustomerDB.h"
#include "ItemDB.h"
#include "ItemUnitDB.h"
#include "VelocityDB.h"

#include <gtest/gtest.h>

namespace kt {

std::string Pad(const std::string& text, size_t width) {
    std::string out = text;
    if (out.size() < width) out.resize(width, ' ');
    return out;
}

namespace {
template <class File> void OpenOrCreate(File& file) {
    if (file.OpenFile() != 0) {
        ASSERT_EQ(file.Create(file.GetFileName()), 0);
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
    ASSERT_EQ(db.InsertRecord(item), 0);
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
    ASSERT_EQ(db.InsertRecord(unit), 0);
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
    ASSERT_EQ(db.InsertRecord(history), 0);
}

void SetKilograms(bool kilograms) {
    CControlDB db;
    OpenOrCreate(db);
    CControl control;
    control.m_strKey = Pad("COMPANY.KG_LB&", 30);
    control.m_cType = 'B';
    control.m_bFlag = kilograms;
    if (db.UpdateControl(control) != 0) {
        ASSERT_EQ(db.InsertRecord(control), 0);
    }
}

void AddCustomer(const std::string& number, const std::string& name) {
    CCustomerDB db;
    OpenOrCreate(db);
    CCustomer customer;
    customer.m_strNumber = number;
    customer.m_strName = name;
    ASSERT_EQ(db.InsertRecord(customer), 0);
}

void CreateCostingFiles() {
    CItemDB items;
    OpenOrCreate(items);
    CItemUnitDB units;
    OpenOrCreate(units);
    CVelocityDB history;
    OpenOrCreate(history);
}

} // namespace kt
