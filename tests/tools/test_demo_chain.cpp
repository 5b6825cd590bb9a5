// The shipped demo downloads, loaded through the reload, serve the editor: an item found by
// the words of its description (a replacement word included), its units, its history and its
// line defaults, all with short item numbers kept blank-padded.
#include "CustomerDB.h"
#include "ItemDB.h"
#include "ItemDictDB.h"
#include "ItemUnitDB.h"
#include "VelocityDB.h"
#include "dbtool.h"

#ifdef HAVE_KR_ITEMS
#include "items/CItemSearch.h"
#endif
#ifdef HAVE_KR_RECIPE_CORE
#include "recipe/CDefaultItemInfo.h"
#endif

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace fs = std::filesystem;

namespace {

// The demo built once for the tests of this file, removed when they end.
struct Demo {
    fs::path dir = fs::temp_directory_path() / ("kr-demo-" + std::to_string(std::random_device{}()));
    std::vector<std::string> report;
    bool clean = kdb::BuildDemo(dir.string(), KR_DEMO_DATA, &report);
    ~Demo() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};
const Demo& TheDemo() {
    static Demo demo;
    return demo;
}
std::string File(const char* name) {
    return (TheDemo().dir / name).string();
}

// Every download loads without a message; a short item number is found blank-padded in the items,
// their units and the history, and a replacement word leads to its word.
TEST(DemoChain, EveryDownloadLoadsAndAShortItemNumberIsFoundBlankPadded) {
    EXPECT_TRUE(TheDemo().clean) << ::testing::PrintToString(TheDemo().report);
    for (const char* name :
         {"ITEMUNIT.DB", "VELOCITY.DB", "ITEMDICT.DB", "ITEMLKUP.DB", "MNPRICE.DB", "CONTROL.DB"})
        EXPECT_GT(kdb::CountRecords(File(name)), 0) << name;
    EXPECT_GE(kdb::CountRecords(File("ITEM.DB")), 280);
    EXPECT_GE(kdb::CountRecords(File("CUST.DB")), 12);

    CItemDB items;
    ASSERT_EQ(items.OpenFile(File("ITEM.DB").c_str()), 0);
    CItem item;
    ASSERT_EQ(items.GetRecord(item, "10101       "), 0);
    EXPECT_EQ(item.m_strDescription, "CHICKEN BREAST BNLS SKNLS 6 OZ IQF");
    EXPECT_EQ(item.m_arrUnits[0], "CS ");
    CItemUnitDB units;
    ASSERT_EQ(units.OpenFile(File("ITEMUNIT.DB").c_str()), 0);
    CItemUnit unit;
    ASSERT_EQ(units.FindUnit(unit, item.m_strItemNumber, item.m_arrUnits[0]), 0);
    EXPECT_FLOAT_EQ(unit.m_fWeight, 40);
    CVelocityDB history;
    ASSERT_EQ(history.OpenFile(File("VELOCITY.DB").c_str()), 0);
    CVelocity h;
    EXPECT_EQ(history.GetHistory(h, "100210", "10101       ", "CS "), 0);
    CItemDictDB dict;
    ASSERT_EQ(dict.OpenFile(File("ITEMDICT.DB").c_str()), 0);
    CItemDict entry;
    ASSERT_EQ(dict.FindWord(entry, "CHIX                "), 0);
    EXPECT_EQ(entry.m_strReplacement.substr(0, 7), "CHICKEN");
}

#ifdef HAVE_KR_ITEMS
TEST(DemoChain, TheItemSearchFindsItemsByWords) {
    CItemSearch search(TheDemo().dir.string());
    int n = search.Search("chix breast");
    bool found = false;
    for (int i = 0; i < n; ++i)
        found = found || search.GetItemNumber(i) == "10101       ";
    EXPECT_TRUE(found);
    // Two words of one item, one of them kept in the lookup file.
    EXPECT_GE(search.Search("mozzarella shredded"), 1);
    EXPECT_EQ(search.Search("10101"), 1);
}
#endif

#ifdef HAVE_KR_RECIPE_CORE
TEST(DemoChain, LineDefaultsComeFromTheLoadedFiles) {
    CDefaultItemInfo info;
    ASSERT_TRUE(info.Load("100210", "10101       ", "CS ", TheDemo().dir.string()));
    EXPECT_EQ(info.m_strDescription, "CHICKEN BREAST BNLS SKNLS 6 OZ IQF");
    EXPECT_EQ(info.m_strBrand, "HARBOR FARMS");
    EXPECT_DOUBLE_EQ(info.m_dPtnPerItem, 106);
    EXPECT_DOUBLE_EQ(info.m_dWeightPerUnit, 40);
}
#endif

} // namespace
