// ITEM.DB and ITEMUNIT.DB: layouts, key rules and round trips.
#include "ItemDB.h"
#include "ItemUnitDB.h"
#include "btrieve/btrcall.h"
#include "file_test.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using ItemFile = kt::FileTest<CItemDB>;
using ItemUnitFile = kt::FileTest<CItemUnitDB>;

// Bytes no field describes, in use by other programs of the suite.
constexpr size_t kItemReserved[] = {30,  31,  45,  46,  47,  73,  74,  75,  82,  83,  147,
                                    173, 174, 175, 183, 257, 258, 259, 343, 373, 374, 375};
constexpr size_t kUnitReserved[] = {26, 27, 121, 122, 123, 285, 286, 287};

TEST_F(ItemFile, InsertWritesTheSharedLayoutAndNotesSetTheRecordLength) {
    CItem item;
    item.m_strItemNumber = "ab123";
    item.m_strCode12 = "x1";
    item.m_strDescription = "Tomato paste, fancy";
    item.m_strBrand = "Heinz";
    item.m_strPortionType = "oz";
    item.m_arrUnits = {"cs", "ea", "lb"};
    item.m_arrUnitFactors = {6.0f, 1.0f, 0.5f};
    item.m_nPackQuantity = 6;
    item.m_bFlag7 = true;
    item.m_cCode3 = 'q';
    item.m_fAmount12 = 2.25f;
    item.m_strText278 = "lower text";
    item.m_strText328 = "also lower";
    item.m_tTime = -5;
    ASSERT_EQ(db.InsertRecord(item), 0);

    // The members converted on write stay converted in the item.
    EXPECT_EQ(item.m_strItemNumber, "AB123");
    EXPECT_EQ(item.m_strText278, "LOWER TEXT");
    EXPECT_EQ(item.m_strText328, "ALSO LOWER");
    EXPECT_EQ(item.m_arrUnits[0], "CS");

    std::vector<uint8_t> expected(388, 0);
    kt::PutText(expected, 0, "AB123", 12, '\0');
    kt::PutText(expected, 12, "X1", 3, '\0');
    expected[40] = 'N';
    expected[80] = 'N';
    expected[81] = 'Q';
    kt::PutText(expected, 58, "Heinz", 15, '\0');
    kt::PutText(expected, 96, "Tomato paste, fancy", 50, '\0');
    for (size_t at : {146, 171, 172, 196, 197, 224})
        expected[at] = 'N';
    expected[223] = 'Y';
    expected[155] = ' ';
    expected[198] = ' ';
    kt::PutText(expected, 180, "OZ", 3, '\0');
    kt::Put32(expected, 184, 6);
    kt::PutText(expected, 225, "CS", 3, '\0');
    kt::PutText(expected, 228, "EA", 3, '\0');
    kt::PutText(expected, 231, "LB", 3, '\0');
    kt::PutF32(expected, 260, 6.0f);
    kt::PutF32(expected, 264, 1.0f);
    kt::PutF32(expected, 268, 0.5f);
    kt::Put32(expected, 272, 0xFFFFFFFBu);
    kt::PutText(expected, 278, "LOWER TEXT", 50, '\0');
    kt::PutText(expected, 328, "ALSO LOWER", 15, '\0');
    kt::PutF32(expected, 380, 2.25f);
    EXPECT_EQ(kt::ReadRaw(db, "AB123"), expected); // empty notes: a 388-byte record

    CItem found = kt::Get(db, "ab123"); // lower case, zero-filled
    EXPECT_EQ(found.m_cCode3, 'Q');
    EXPECT_EQ(kt::Packed<CItemDB>(found), expected);

    // Notes follow the fixed part with their zero byte, at most 4096 of them.
    CItem noted;
    noted.m_strItemNumber = "N1";
    noted.m_strNotes = "keep cold";
    ASSERT_EQ(db.InsertRecord(noted), 0);
    std::vector<uint8_t> stored = kt::ReadRaw(db, "N1");
    ASSERT_EQ(stored.size(), 388u + 9u);
    EXPECT_EQ(std::memcmp(stored.data() + 384, "keep cold", 9), 0);
    EXPECT_EQ(stored[393], 0);
    noted.m_strItemNumber = "N2";
    noted.m_strNotes = std::string(5000, 'x');
    ASSERT_EQ(db.InsertRecord(noted), 0);
    EXPECT_EQ(kt::Get(db, "N2").m_strNotes.size(), 4096u);
}

TEST_F(ItemFile, UpdateKeepsUnknownBytesAndGivesThePreviousRecord) {
    // A record as another program of the suite wrote it, reserved bytes in use.
    std::vector<uint8_t> raw(388, 0);
    kt::PutText(raw, 0, "R100", 12, '\0');
    kt::PutText(raw, 96, "Old description", 50, '\0');
    for (size_t at : kItemReserved)
        raw[at] = 0xA5;
    ASSERT_EQ(db.InsertBytes(raw), 0);

    CItem item = kt::Get(db, "r100");
    item.m_strDescription = "New description";
    CItem previous;
    ASSERT_EQ(db.UpdateRecord(item, &previous), 0);
    EXPECT_EQ(previous.m_strDescription, "Old description");

    std::vector<uint8_t> stored = kt::ReadRaw(db, "R100");
    ASSERT_EQ(stored.size(), 388u);
    for (size_t at : kItemReserved)
        EXPECT_EQ(stored[at], 0xA5) << at;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stored.data() + 96)), "New description");

    EXPECT_EQ(db.DeleteRecord("r100"), 0);
    EXPECT_EQ(db.GetRecordCount(), 0u);
}

TEST_F(ItemUnitFile, LayoutAndLookups) {
    CItemUnit unit;
    unit.m_strItemNumber = "ab123";
    unit.m_strUnit = "cs";
    unit.m_cCode1 = 'k';
    unit.m_fVolume = 1.5f;
    unit.m_fWeight = 12.0f;
    unit.m_fPricing116 = 3.0f;
    unit.m_fAmount288 = 28.8f;
    unit.m_fAmount292 = 29.2f;
    unit.m_arrTexts[9] = "LAST";
    unit.m_arrAmounts[9] = 9.5f;
    unit.m_strText316 = "mixed Case";
    ASSERT_EQ(db.InsertRecord(unit), 0);

    std::vector<uint8_t> expected(356, 0);
    kt::PutText(expected, 0, "AB123", 12, '\0');
    expected[12] = 'K';
    kt::PutText(expected, 13, "CS", 3, '\0');
    kt::PutF32(expected, 32, 1.5f);
    expected[111] = 'N';
    kt::PutF32(expected, 116, 3.0f);
    expected[120] = 'N';
    kt::PutF32(expected, 124, 12.0f);
    kt::PutText(expected, 128, "", 3, ' ');
    expected[131] = 'N';
    kt::PutText(expected, 208, "LAST", 8, '\0');
    kt::PutF32(expected, 260, 9.5f);
    expected[284] = ' ';
    kt::PutF32(expected, 288, 28.8f);
    kt::PutF32(expected, 292, 29.2f);
    kt::PutText(expected, 316, "mixed Case", 20, '\0');
    EXPECT_EQ(kt::ReadRaw(db, std::string("AB123") + std::string(7, '\0') + "CS", 2), expected);

    CItemUnit found;
    ASSERT_EQ(db.FindUnit(found, "ab123", "cs"), 0);
    EXPECT_EQ(found.m_strText316, "MIXED CASE"); // upper on read only
    kt::PutText(expected, 316, "MIXED CASE", 20, '\0');
    EXPECT_EQ(kt::Packed<CItemUnitDB>(found), expected);
    EXPECT_EQ(db.FindUnit(found, "AB123", "EA"), btr::B_KEY_VALUE_NOT_FOUND);
}

TEST_F(ItemUnitFile, UpdateKeepsReservedBytesAndDeleteFollowsItsKey) {
    for (const char* code : {"CS", "EA"}) {
        std::vector<uint8_t> raw(356, 0);
        kt::PutText(raw, 0, "P1", 12, '\0');
        kt::PutText(raw, 13, code, 3, '\0');
        kt::PutText(raw, 336, "written lower", 20, '\0');
        for (size_t at : kUnitReserved)
            raw[at] = 0x5A;
        ASSERT_EQ(db.InsertBytes(raw), 0);
    }
    CItemUnit unit;
    ASSERT_EQ(db.FindUnit(unit, "P1", "EA"), 0);
    EXPECT_EQ(unit.m_strText336, "WRITTEN LOWER");
    unit.m_fWeight = 4.0f;
    ASSERT_EQ(db.UpdateRecord(unit), 0);
    std::vector<uint8_t> stored = kt::ReadRaw(db, std::string("P1") + std::string(10, '\0') + "EA", 2);
    ASSERT_EQ(stored.size(), 356u);
    for (size_t at : kUnitReserved)
        EXPECT_EQ(stored[at], 0x5A) << at;

    // Key 1 holds the item number alone: only the first record of the item goes.
    ASSERT_EQ(db.DeleteRecord("p1", 1), 0);
    EXPECT_EQ(db.GetRecordCount(), 1u);
    EXPECT_EQ(db.DeleteRecord("P1XX", 1), 0);
    EXPECT_EQ(db.GetRecordCount(), 1u);
}

} // namespace
