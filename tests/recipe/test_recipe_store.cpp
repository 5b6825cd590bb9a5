// The stored recipe: saving under "AA" keys, replacing lines, free keys, all-or-nothing saves and
// deletes, the cost rule of stored lines.
#include "CRecipe.h"
#include "CRecipeLines.h"
#include "Costing.h"
#include "MenuCategoryDB.h"
#include "RecipeFiles.h"
#include "btrieve/btrcall.h"
#include "fixtures.h"
#include "support.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <limits>

namespace {

std::time_t At(int year, int yday, int h, int m, int s) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mday = yday;
    t.tm_hour = h;
    t.tm_min = m;
    t.tm_sec = s;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

CMenuItem Line(const std::string& item, double cost, double ptns) {
    return kt::MenuLine(item, "CS", cost, 4, ptns, "PC", "DESC " + item);
}

class Store : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(CheckRecipeFiles(), 0); }

    kt::TempDir dir;
};

TEST(RecipeKeys, TimeKeyAndItsSavedForm) {
    const std::time_t t = At(2026, 338, 14, 5, 9);
    EXPECT_EQ(MakeTimeKey(t), "2026338140509");
    EXPECT_EQ(SavedRecipeKey(MakeTimeKey(t)), "AA26338140509");
    EXPECT_EQ(TimeOfKey("2026338140509"), t);
    EXPECT_EQ(TimeOfKey("AA26338140509"), t);
    EXPECT_EQ(TimeOfKey("RECIPE-ONE"), -1);
}

TEST_F(Store, NewRecipeSavedUnderAAKeyAndUpdatedInPlaceBySecondSave) {
    CRecipe r;
    r.m_hdr.m_strRecipeName = "CHILI";
    r.m_hdr.m_strNotes = std::string(4096, 'n');
    r.m_arrLines = {Line("100", 10, 2), Line("200", 0, 1), Line("300", -3.25, 1)};
    std::string key;
    ASSERT_EQ(r.Save("C1", "", false, &key, At(2026, 338, 14, 5, 9)), 0);
    EXPECT_EQ(key, "AA26338140509");

    r.m_hdr.m_strRecipeName = "CHILI 2";
    r.m_arrLines.pop_back();
    std::string again;
    ASSERT_EQ(r.Save("C1", key, false, &again, At(2026, 338, 15, 0, 0)), 0);
    EXPECT_EQ(again, key);

    CRecipe back;
    ASSERT_EQ(back.Load(key), 0);
    EXPECT_EQ(back.m_hdr.m_strRecipeName, "CHILI 2");
    EXPECT_EQ(back.m_hdr.m_strNotes.size(), 4096u);
    EXPECT_EQ(TrimRight(back.m_hdr.m_strCustomer), "C1");
    ASSERT_EQ(back.m_arrLines.size(), 2u); // the old three replaced, not added to
    EXPECT_EQ(back.m_arrLines[0].m_strItem.substr(0, 3), "100");
    EXPECT_EQ(back.m_arrLines[0].m_dItemCost, 10.0);
    EXPECT_EQ(back.m_arrLines[1].m_strItem.substr(0, 3), "200");
}

TEST_F(Store, KeyInUseMovesOnToTheNextFreeSecond) {
    const std::time_t t = At(2026, 338, 14, 5, 9);
    kt::StoreRecipe("AA26338140509", "OTHER", "NOT MINE", {Line("9", 1, 1)});
    kt::StoreRecipe("AA26338140510", "OTHER", "NOT MINE EITHER", {});
    CRecipe r;
    r.m_arrLines = {Line("1", 1, 1)};
    std::string key;
    ASSERT_EQ(r.Save("C1", "", false, &key, t), 0);
    EXPECT_EQ(key, "AA26338140511");
    CRecipe other;
    ASSERT_EQ(other.Load("AA26338140509"), 0);
    EXPECT_EQ(other.m_hdr.m_strRecipeName, "NOT MINE");
    EXPECT_EQ(other.m_arrLines.size(), 1u);

    // Two categories made in one second get two keys.
    CMenuCategoryDB c;
    ASSERT_EQ(c.OpenFile(), 0);
    CMenuCategory cat;
    cat.m_cRecordType = 'C';
    cat.m_strCustomer = "C1";
    cat.m_strName = "SOUPS";
    cat.m_strCategoryKey = FreeCategoryKey(t);
    ASSERT_EQ(cat.m_strCategoryKey, "2026338140509");
    ASSERT_EQ(c.InsertRecord(cat), 0);
    EXPECT_EQ(FreeCategoryKey(t), "2026338140510");
}

TEST_F(Store, FailedSaveOfAnOldKeyLeavesItsRecordsAndWritesNoAAKey) {
    kt::MakeLineFileOnePerRecipe();
    kt::StoreRecipe("2024001000000", "C1", "OLD", {Line("5", 5, 1)});
    CRecipe old;
    ASSERT_EQ(old.Load("2024001000000"), 0);
    EXPECT_EQ(old.m_arrLines.at(0).m_dItemCost, 0.0); // never saved by this editor: priced anew
    old.m_arrLines.push_back(Line("6", 1, 1));
    EXPECT_NE(old.Save("C1", "2024001000000", false, nullptr), 0);
    EXPECT_TRUE(kt::HasStoredHeader("2024001000000"));
    EXPECT_EQ(kt::StoredLineCount("2024001000000"), 1);
    EXPECT_FALSE(kt::HasStoredHeader("AA24001000000"));
}

TEST_F(Store, DeleteRemovesHeaderAndLinesOfOwnCustomerOnly) {
    kt::StoreRecipe("AA26001000000", "C1", "MINE", {Line("1", 1, 1), Line("2", 1, 1)});
    kt::StoreRecipe("AA26001000001", "C2", "THEIRS", {Line("3", 1, 1)});
    EXPECT_EQ(DeleteRecipe("C1", "AA26001000001"), 4);
    EXPECT_TRUE(kt::HasStoredHeader("AA26001000001"));
    EXPECT_EQ(kt::StoredLineCount("AA26001000001"), 1);
    EXPECT_EQ(DeleteRecipe("C1", "AA26001000000"), 0);
    EXPECT_FALSE(kt::HasStoredHeader("AA26001000000"));
    EXPECT_EQ(kt::StoredLineCount("AA26001000000"), 0);
    EXPECT_EQ(kt::StoredLineCount("AA26001000001"), 1);
    EXPECT_EQ(DeleteRecipe("C1", "AA26001000000"), 0); // already gone
}

// A cost below zero (a credit) is rounded again every time its line is read back; it must come
// back to the cent each time, however often the recipe is loaded, completed and saved.
TEST_F(Store, NegativeCostComesBackUnchangedAfterLoadsAndSaves) {
    kt::CreateCostingFiles();
    for (double typed : {-2.35, -1.23, -0.07, -2.675, -1234.56, -0.29}) {
        SCOPED_TRACE(typed);
        const double expected = RoundCents(typed);
        CRecipe r;
        r.m_arrLines = {Line("CREDIT", expected, 1)};
        std::string key;
        ASSERT_EQ(r.Save("C1", "", false, &key), 0);
        for (int i = 0; i < 10; ++i) { // as the editor does: load, complete each line, save
            CRecipe back;
            ASSERT_EQ(back.Load(key), 0);
            const CMenuItem& stored = back.m_arrLines.at(0);
            ASSERT_EQ(stored.m_dItemCost, expected) << "round " << i;
            CMenuItemDetail line;
            line.m_strItem = stored.m_strItem;
            line.m_dItemCost = stored.m_dItemCost;
            line.m_dPtnPerItem = stored.m_dPtnPerItem;
            CompleteLine(line, "C1");
            back.m_arrLines = {StoredLine(line, key)};
            ASSERT_EQ(back.Save("C1", key, false, nullptr), 0);
        }
    }
}

} // namespace
