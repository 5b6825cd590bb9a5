// The core lookups tell "not on file" from "could not be read": item defaults and customers over
// files that are missing, damaged or held by another user; and negative costs kept across saves.
#include "CDefaultItemInfo.h"
#include "Costing.h"
#include "CustomerDB.h"
#include "ItemDB.h"
#include "ItemUnitDB.h"
#include "MenuItemDB.h"
#include "VelocityDB.h"
#include "fixtures.h"
#include "support.h"
#include "unreadable_files.h"

#include <gtest/gtest.h>

namespace {

using kt::Breakage;

// Flour with its bag unit and a history for C1; one of the three files may be broken.
void BuildItemFiles(const std::string& broken, Breakage how) {
    const bool skip = how != Breakage::Locked;
    if (broken != "ITEM.DB" || !skip)
        kt::AddItem({"100200", "FLOUR ALL PURPOSE", "MILLCO", "lbs", 25, {"BAG", "CS ", ""}, false, false});
    if (broken != "ITEMUNIT.DB" || !skip) kt::AddUnit({"100200", "BAG", 25.0f, 11340.0f, 12.125f, 0, 0});
    if (broken != "VELOCITY.DB" || !skip) kt::AddHistory("C1", "100200", "BAG", 11.0f, 11.5f);
    if (how == Breakage::Damaged && !broken.empty()) kt::WriteGarbage(broken);
}

TEST(ItemDefaults, FoundItemAndMissingItemOrUnit) {
    kt::TempDir dir;
    BuildItemFiles("", Breakage::Missing);
    CDefaultItemInfo info;
    EXPECT_TRUE(info.Load("C1", kt::Pad("100200", 12), kt::Pad("BAG", 3)));
    EXPECT_EQ(info.m_nStatus, 0);
    EXPECT_EQ(info.m_strDescription, "FLOUR ALL PURPOSE");

    EXPECT_FALSE(info.Load("C1", kt::Pad("999999", 12), kt::Pad("BAG", 3)));
    EXPECT_EQ(info.m_nStatus, 4);
    // The item is there, its unit is not: found, but not complete.
    EXPECT_TRUE(info.Load("C1", kt::Pad("100200", 12), kt::Pad("EA", 3)));
    EXPECT_EQ(info.m_nStatus, 4);
    // A customer without history is usual, not a failure.
    EXPECT_TRUE(info.Load("C2", kt::Pad("100200", 12), kt::Pad("BAG", 3)));
    EXPECT_EQ(info.m_nStatus, 0);
}

TEST(ItemDefaults, AFileThatCannotBeReadGivesItsStatusNeverNotFound) {
    for (const char* file : {"ITEM.DB", "ITEMUNIT.DB", "VELOCITY.DB"}) {
        for (Breakage how : {Breakage::Missing, Breakage::Damaged, Breakage::Locked}) {
            SCOPED_TRACE(std::string(file) + " " + kt::BreakageName(how));
            kt::TempDir dir;
            BuildItemFiles(file, how);
            std::unique_ptr<kt::ExclusiveHold<CItemDB>> holdItems;
            std::unique_ptr<kt::ExclusiveHold<CItemUnitDB>> holdUnits;
            std::unique_ptr<kt::ExclusiveHold<CVelocityDB>> holdHistory;
            if (how == Breakage::Locked) {
                const std::string f = file;
                if (f == "ITEM.DB") holdItems = std::make_unique<kt::ExclusiveHold<CItemDB>>();
                if (f == "ITEMUNIT.DB") holdUnits = std::make_unique<kt::ExclusiveHold<CItemUnitDB>>();
                if (f == "VELOCITY.DB") holdHistory = std::make_unique<kt::ExclusiveHold<CVelocityDB>>();
            }
            CDefaultItemInfo info;
            const bool found = info.Load("C1", kt::Pad("100200", 12), kt::Pad("BAG", 3));
            EXPECT_NE(info.m_nStatus, 0);
            EXPECT_NE(info.m_nStatus, 4);
            if (how == Breakage::Missing) {
                EXPECT_EQ(info.m_nStatus, 12);
            }
            if (how == Breakage::Locked) {
                EXPECT_EQ(info.m_nStatus, 85);
            }
            // Only the item master decides the found flag.
            EXPECT_EQ(found, std::string(file) != "ITEM.DB");
        }
    }
}

TEST(CustomerLookup, UnknownCustomerIsNotFoundAndAnUnreadableFileIsNot) {
    kt::TempDir dir;
    kt::AddCustomer("C1", "BISTRO ONE");
    {
        CCustomerDB customers;
        ASSERT_EQ(customers.OpenFile(), 0);
        CCustomer record;
        EXPECT_EQ(customers.GetCustomer(record, "C1"), 0);
        EXPECT_EQ(customers.GetCustomer(record, "C9"), 4);
    }
    {
        kt::ExclusiveHold<CCustomerDB> hold;
        ASSERT_EQ(hold.Status(), 0);
        CCustomerDB customers;
        EXPECT_EQ(customers.OpenFile(), 85);
    }
    std::filesystem::remove_all(dir.path() / "CUST.DB");
    {
        CCustomerDB customers;
        EXPECT_EQ(customers.OpenFile(), 12);
    }
    kt::WriteGarbage("CUST.DB");
    {
        CCustomerDB customers;
        CCustomer record;
        int status = customers.OpenFile();
        if (status == 0) status = customers.GetCustomer(record, "C1");
        EXPECT_NE(status, 0);
        EXPECT_NE(status, 4);
    }
}

// A line cost below zero (a credit) is rounded again every time the line is read back; it must
// come back to the cent each time, as many times as the recipe is loaded and saved.
TEST(NegativeCost, SurvivesRepeatedSavesAndLoads) {
    kt::TempDir dir;
    CMenuItemDB file;
    ASSERT_EQ(file.Create(file.GetFileName()), 0);
    ASSERT_EQ(file.OpenFile(), 0);
    for (double typed : {-1.23, -0.07, -2.675, -1234.56, -0.29}) {
        SCOPED_TRACE(typed);
        const double expected = RoundCents(typed);
        double cost = expected;
        for (int round = 0; round < 25; ++round) {
            CMenuItem line;
            line.m_strRecipeKey = "AA26340111111";
            line.m_strItem = "CREDIT";
            line.m_dItemCost = cost;
            const int deleted = file.DeleteLines(line.m_strRecipeKey);
            ASSERT_TRUE(deleted == 4 || deleted == 9) << deleted;
            ASSERT_EQ(file.InsertLine(line), 0);
            CMenuItem read;
            ASSERT_EQ(file.FindFirstLine(read, line.m_strRecipeKey), 0);
            cost = RoundCents(read.m_dItemCost);
            ASSERT_EQ(cost, expected) << "round " << round;
        }
    }
}

} // namespace
