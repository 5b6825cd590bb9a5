// The core lookups tell "not on file" from "could not be read": item defaults and customers over
// files that are missing, damaged or held by another user.
#include "CDefaultItemInfo.h"
#include "CustomerDB.h"
#include "fixtures.h"
#include "support.h"
#include "unreadable_files.h"

#include <gtest/gtest.h>

namespace {

using kt::Breakage;

// Flour with its bag unit and a history for C1; the broken file (if any) is missing, garbage or held.
void BuildItemFiles(const std::string& broken = {}, Breakage how = Breakage::Locked) {
    auto wanted = [&](const char* f) { return broken != f || how == Breakage::Locked; };
    if (wanted("ITEM.DB")) kt::AddItem({"100200", "FLOUR", "MILLCO", "lbs", 25, {"BAG", "", ""}});
    if (wanted("ITEMUNIT.DB")) kt::AddUnit({"100200", "BAG", 25.0f, 11340.0f, 12.125f, 0, 0});
    if (wanted("VELOCITY.DB")) kt::AddHistory("C1", "100200", "BAG", 11.0f, 11.5f);
    if (how == Breakage::Damaged) kt::WriteGarbage(broken);
}

bool Load(CDefaultItemInfo& info, const char* customer, const char* item, const char* unit) {
    return info.Load(customer, kt::Pad(item, 12), kt::Pad(unit, 3));
}

TEST(ItemDefaults, FoundMissingItemOrUnitAndNoHistory) {
    kt::TempDir dir;
    BuildItemFiles();
    CDefaultItemInfo info;
    EXPECT_TRUE(Load(info, "C1", "100200", "BAG"));
    EXPECT_EQ(info.m_nStatus, 0);
    EXPECT_FALSE(Load(info, "C1", "999999", "BAG"));
    EXPECT_EQ(info.m_nStatus, 4);
    EXPECT_TRUE(Load(info, "C1", "100200", "EA")); // the item is there, its unit is not
    EXPECT_EQ(info.m_nStatus, 4);
    EXPECT_TRUE(Load(info, "C2", "100200", "BAG")); // no history is usual, not a failure
    EXPECT_EQ(info.m_nStatus, 0);
}

TEST(ItemDefaults, AFileThatCannotBeReadGivesItsStatusNeverNotFound) {
    for (const char* file : {"ITEM.DB", "ITEMUNIT.DB", "VELOCITY.DB"})
        for (Breakage how : {Breakage::Missing, Breakage::Damaged, Breakage::Locked}) {
            SCOPED_TRACE(std::string(file) + " " + kt::BreakageName(how));
            kt::TempDir dir;
            BuildItemFiles(file, how);
            kt::ExclusiveHold otherUser(how == Breakage::Locked ? file : "");
            CDefaultItemInfo info;
            // Only the item master decides the found flag.
            EXPECT_EQ(Load(info, "C1", "100200", "BAG"), std::string(file) != "ITEM.DB");
            EXPECT_TRUE(kt::IsStatusOf(info.m_nStatus, how)) << info.m_nStatus;
        }
}

TEST(CustomerLookup, UnknownCustomerIsNotFoundAndAnUnreadableFileIsNot) {
    kt::TempDir dir;
    kt::AddCustomer("C1", "BISTRO ONE");
    auto lookup = [](const char* number) {
        CCustomerDB customers;
        CCustomer record;
        int status = customers.OpenFile();
        return status != 0 ? status : customers.GetRecord(record, number);
    };
    EXPECT_EQ(lookup("C1"), 0);
    EXPECT_EQ(lookup("C9"), 4);
    {
        kt::ExclusiveHold otherUser("CUST.DB");
        EXPECT_EQ(lookup("C1"), 85);
    }
    ASSERT_TRUE(kt::RemoveRecordFile("CUST.DB"));
    EXPECT_EQ(lookup("C1"), 12);
    kt::WriteGarbage("CUST.DB");
    EXPECT_TRUE(kt::IsStatusOf(lookup("C1"), Breakage::Damaged));
}

} // namespace
