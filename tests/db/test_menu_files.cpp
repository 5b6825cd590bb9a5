// Recipe header, recipe line and recipe category files.
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "MenuCategoryDB.h"
#include "MenuHdrDB.h"
#include "MenuItemDB.h"
#include "btrieve/btrcall.h"
#include "file_test.h"

namespace {

using MenuHdrDB = kt::FileTest<CMenuHdrDB>;
using MenuItemDB = kt::FileTest<CMenuItemDB>;
using MenuCategoryDB = kt::FileTest<CMenuCategoryDB>;

// Reads every record of the file in physical order.
std::vector<std::vector<uint8_t>> AllRecords(CBtrieveDB& db) {
    std::vector<std::vector<uint8_t>> out;
    std::vector<uint8_t> record;
    for (int st = db.ReadBytes(btr::B_STEP_FIRST, record); st == 0;
         st = db.ReadBytes(btr::B_STEP_NEXT, record))
        out.push_back(record);
    return out;
}

CMenuHdr Header(const std::string& customer, const std::string& key, const std::string& name = "SOUP") {
    CMenuHdr h;
    h.m_cRecordType = 'C';
    h.m_strCustomer = customer;
    h.m_strRecipeKey = key;
    h.m_strRecipeName = name;
    return h;
}

// A header record as another program writes it: type, customer and key, the rest filled.
std::vector<uint8_t> RawHeader(const std::string& key, size_t length, uint8_t fill) {
    std::vector<uint8_t> raw(length, fill);
    raw[0] = 'C';
    kt::PutText(raw, 1, "A1", 8, ' ');
    kt::PutText(raw, 9, key, 14, ' ');
    return raw;
}

// ---------------------------------------------------------------- recipe header file

TEST_F(MenuHdrDB, InsertWritesTheRecordByteForByteAndReadsItBack) {
    CMenuHdr h;
    h.m_cRecordType = 'C';
    h.m_strCustomer = "ab12";
    h.m_strRecipeKey = "aa2024005101530";
    h.m_strCategoryKey = "2024005101500";
    h.m_strRecipeName = "Chicken soup";
    h.m_strRecipeID = "cs-1";
    h.m_dSellPrice = 4.95;
    h.m_dDesiredFC = 28.5;
    h.m_strNotes = "Simmer gently.";
    int64_t before = std::time(nullptr);
    ASSERT_EQ(db.InsertRecipe(h), 0);
    int64_t after = std::time(nullptr);

    // The record object holds the upper-case values it wrote.
    EXPECT_EQ(h.m_strCustomer, "AB12");
    EXPECT_EQ(h.m_strRecipeKey, "AA2024005101530");

    auto records = AllRecords(db);
    ASSERT_EQ(records.size(), 1u);
    const auto& r = records[0];
    ASSERT_EQ(r.size(), 128u + 14u);
    std::vector<uint8_t> expect(128 + 14, 0);
    expect[0] = 'C';
    kt::PutText(expect, 1, "AB12", 8, ' ');
    kt::PutText(expect, 9, "AA2024005101530", 14, ' '); // cut at 14
    kt::PutText(expect, 23, "2024005101500", 14, ' ');
    kt::PutText(expect, 37, "Chicken soup", 30, '\0');
    kt::PutText(expect, 67, "cs-1", 20, '\0');
    kt::PutF64(expect, 88, 4.95);
    kt::PutF64(expect, 96, 28.5);
    uint32_t stamp = kt::Get32(r.data(), 120);
    EXPECT_GE(static_cast<int64_t>(stamp), before);
    EXPECT_LE(static_cast<int64_t>(stamp), after);
    kt::Put32(expect, 120, stamp);
    kt::PutText(expect, 124, "Simmer gently.", 14, '\0');
    EXPECT_EQ(r, expect);

    // Read back: the key as stored, trailing blanks kept; every other field as written.
    CMenuHdr back;
    ASSERT_EQ(db.FindRecipe(back, "aa2024005101530"), 0);
    EXPECT_EQ(back.m_strCustomer, "AB12    ");
    EXPECT_EQ(back.m_strRecipeKey, "AA202400510153");
    EXPECT_EQ(back.m_strCategoryKey, "2024005101500 ");
    EXPECT_EQ(back.m_nLastWrite, static_cast<int64_t>(stamp));
    EXPECT_EQ(back.m_strNotes, "Simmer gently.");
    EXPECT_EQ(kt::Packed<CMenuHdrDB>(back), r);
}

TEST_F(MenuHdrDB, NotesDecideTheRecordLengthAndAreReadOnlyWithinTheRecord) {
    CMenuHdr empty = Header("A1", "AA1");
    ASSERT_EQ(db.InsertRecipe(empty), 0);
    CMenuHdr full = Header("A1", "AA2");
    full.m_strNotes = std::string(4096, 'n') + "cut off";
    ASSERT_EQ(db.InsertRecipe(full), 0);
    // Written by another program: full length with no zero byte in the notes area, and short.
    ASSERT_EQ(db.InsertBytes(RawHeader("AA9", 4224, 'x'), 1), 0);
    ASSERT_EQ(db.InsertBytes(RawHeader("AA8", 130, 'y'), 1), 0);

    auto records = AllRecords(db);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].size(), 128u);
    ASSERT_EQ(records[1].size(), 4224u);
    EXPECT_EQ(records[1][124 + 4095], 'n');
    EXPECT_EQ(std::vector<uint8_t>(records[1].begin() + 4220, records[1].end()), std::vector<uint8_t>(4, 0));

    EXPECT_EQ(kt::Get(db, "AA2", 1).m_strNotes, std::string(4096, 'n'));
    EXPECT_EQ(kt::Get(db, "AA1", 1).m_strNotes, "");
    EXPECT_EQ(kt::Get(db, "AA9", 1).m_strNotes, std::string(4096, 'x'));
    EXPECT_EQ(kt::Get(db, "AA9", 1).m_strRecipeName, std::string(30, 'x'));
    EXPECT_EQ(kt::Get(db, "AA8", 1).m_strNotes, "yyyyyy");
}

TEST_F(MenuHdrDB, UpdateKeepsTheReservedByteDeleteAndMissingRecipes) {
    CMenuHdr h = Header("a1", "aa100");
    EXPECT_EQ(db.UpdateRecipe(h), 4);
    EXPECT_EQ(db.GetRecordCount(), 0u);
    EXPECT_EQ(db.DeleteRecord("AA100"), 0);

    // Stored with a byte at the reserved offset 87 and long notes.
    std::vector<uint8_t> raw = RawHeader("AA100", 128 + 20, 0);
    raw[87] = 'R';
    kt::PutText(raw, 124, "twenty characters!!!", 20, '\0');
    ASSERT_EQ(db.InsertBytes(raw, 1), 0);

    h.m_strRecipeName = "New name";
    h.m_strNotes = "short";
    ASSERT_EQ(db.UpdateRecipe(h), 0);
    auto records = AllRecords(db);
    ASSERT_EQ(records.size(), 1u);
    ASSERT_EQ(records[0].size(), 133u);
    EXPECT_EQ(records[0][87], 'R');
    EXPECT_EQ(std::string(records[0].begin() + 124, records[0].begin() + 129), "short");
    EXPECT_EQ(records[0][129], 0);
    EXPECT_NE(kt::Get32(records[0].data(), 120), 0u);

    CMenuHdr back;
    ASSERT_EQ(db.FindRecipe(back, "aa100"), 0);
    EXPECT_EQ(back.m_strRecipeName, "New name");
    EXPECT_EQ(back.m_strNotes, "short");

    EXPECT_EQ(db.DeleteRecord("aa100"), 0);
    EXPECT_EQ(db.FindRecipe(back, "AA100"), 4);
    EXPECT_EQ(db.GetRecordCount(), 0u);
}

TEST_F(MenuHdrDB, FindFirstAndNextScanOneCustomer) {
    for (auto [cust, key] : {std::pair{"B2", "AA1"}, {"A1", "AA2"}, {"A1", "AA3"}, {"ABCDEFG", "AA4"}}) {
        CMenuHdr h = Header(cust, key);
        ASSERT_EQ(db.InsertRecipe(h), 0);
    }
    CMenuHdr h;
    ASSERT_EQ(db.FindFirstRecipe(h, "A1"), 0);
    EXPECT_EQ(h.m_strRecipeKey, "AA2           ");
    ASSERT_EQ(db.FindNextRecipe(h), 0);
    EXPECT_EQ(h.m_strRecipeKey, "AA3           ");
    // The next record belongs to another customer: the caller stops on it.
    ASSERT_EQ(db.FindNextRecipe(h), 0);
    EXPECT_EQ(h.m_strCustomer, "ABCDEFG ");

    // No recipes, next key another customer's; beyond every key; lower-case customer.
    EXPECT_EQ(db.FindFirstRecipe(h, "A0"), 4);
    EXPECT_EQ(db.FindFirstRecipe(h, "ZZ"), 9);
    EXPECT_EQ(db.FindFirstRecipe(h, "b2"), 9);
    // A customer of more than six characters is cut to six in the lookup key.
    EXPECT_EQ(db.FindFirstRecipe(h, "ABCDEFG"), 4);
    ASSERT_EQ(db.FindFirstRecipe(h, "B2"), 0);
    EXPECT_EQ(db.FindNextRecipe(h), 9);
}

// ---------------------------------------------------------------- recipe line file

TEST_F(MenuItemDB, InsertLineWritesTheRecordByteForByteAndReadsItBack) {
    CMenuItem short_;
    short_.m_strRecipeKey = "aa123";
    short_.m_strItem = "ab-1";
    short_.m_strUnit = "cs";
    short_.m_strDescription = "Carrots, diced";
    short_.m_strPtnType = "oz";
    short_.m_dItemCost = 12.5;
    short_.m_dPtnPerItem = 160;
    short_.m_dPtns = 2.25;
    ASSERT_EQ(db.InsertRecord(short_), 0);
    EXPECT_EQ(short_.m_strRecipeKey, "AA123         ");
    EXPECT_EQ(short_.m_strItem, "AB-1");
    EXPECT_EQ(short_.m_strUnit, "CS");

    CMenuItem full;
    full.m_strRecipeKey = "AA123";
    full.m_strItem = "123456789012";
    full.m_strUnit = "EAX";
    full.m_strDescription = std::string(31, 'd');
    full.m_strPtnType = "flOZxxxxx";
    ASSERT_EQ(db.InsertRecord(full), 0);

    auto records = AllRecords(db);
    ASSERT_EQ(records.size(), 2u);
    std::vector<uint8_t> expect(96, 0);
    kt::PutText(expect, 0, "AA123", 14, ' ');
    kt::PutText(expect, 14, "AB-1", 12, ' ');
    kt::PutText(expect, 27, "CS", 3, ' ');
    kt::PutText(expect, 31, "Carrots, diced", 30, '\0');
    kt::PutText(expect, 62, "oz", 8, '\0');
    kt::PutF64(expect, 72, 12.5);
    kt::PutF64(expect, 80, 160);
    kt::PutF64(expect, 88, 2.25);
    EXPECT_EQ(records[0], expect);

    std::vector<uint8_t> expect2(96, 0);
    kt::PutText(expect2, 0, "AA123", 14, ' ');
    kt::PutText(expect2, 14, "123456789012", 12, ' ');
    kt::PutText(expect2, 27, "EAX", 3, ' ');
    kt::PutText(expect2, 31, std::string(30, 'd'), 30, '\0');
    kt::PutText(expect2, 62, "flOZxxxx", 8, '\0');
    EXPECT_EQ(records[1], expect2);

    // Read back in key order: the codes blank-padded, the texts cut as stored.
    CMenuItem back;
    ASSERT_EQ(db.FindFirstLine(back, "AA123"), 0);
    EXPECT_EQ(back.m_strItem, "AB-1        ");
    EXPECT_EQ(back.m_strUnit, "CS ");
    EXPECT_EQ(kt::Packed<CMenuItemDB>(back), expect);
    ASSERT_EQ(db.FindNextLine(back), 0);
    EXPECT_EQ(back.m_strDescription, std::string(30, 'd'));
    EXPECT_EQ(back.m_strPtnType, "flOZxxxx");
    EXPECT_EQ(kt::Packed<CMenuItemDB>(back), expect2);
    EXPECT_EQ(db.FindNextLine(back), 9);
}

TEST_F(MenuItemDB, FindAndDeleteLinesOfOneRecipe) {
    for (auto [key, item] :
         {std::pair{"AA2", "X1"}, {"AA1", "A"}, {"AA1", "B"}, {"AA1", "C"}, {"AA3", "Z"}}) {
        CMenuItem line;
        line.m_strRecipeKey = key;
        line.m_strItem = item;
        ASSERT_EQ(db.InsertRecord(line), 0);
    }
    CMenuItem line;
    EXPECT_EQ(db.FindFirstLine(line, "aa1"), 9); // stored upper case; lower case sorts after it
    EXPECT_EQ(db.FindFirstLine(line, "AA0"), 4);
    EXPECT_EQ(db.FindFirstLine(line, "AB"), 9);

    // Three lines, then a line of another recipe.
    EXPECT_EQ(db.DeleteLines("AA1"), 4);
    EXPECT_EQ(db.GetRecordCount(), 2u);
    EXPECT_EQ(db.FindFirstLine(line, "AA1"), 4);
    ASSERT_EQ(db.FindFirstLine(line, "AA2"), 0);
    EXPECT_EQ(line.m_strItem, "X1          ");
    // The last recipe of the file ends at the end of the file.
    EXPECT_EQ(db.DeleteLines("AA3"), 9);
    EXPECT_EQ(db.GetRecordCount(), 1u);
    EXPECT_EQ(db.DeleteLines("AA9"), 9);
    EXPECT_EQ(db.GetRecordCount(), 1u);
}

// ---------------------------------------------------------------- recipe category file

TEST_F(MenuCategoryDB, StoreNewAndExistingCategory) {
    CMenuCategory cat;
    cat.m_cRecordType = 'C';
    cat.m_strCustomer = "ab1";
    cat.m_strCategoryKey = "2024005101500";
    cat.m_strName = "Soups";
    ASSERT_EQ(db.InsertRecord(cat), 0);
    EXPECT_EQ(cat.m_strCustomer, "AB1");

    auto records = AllRecords(db);
    ASSERT_EQ(records.size(), 1u);
    std::vector<uint8_t> expect(53, 0);
    expect[0] = 'C';
    kt::PutText(expect, 1, "AB1", 8, ' ');
    kt::PutText(expect, 9, "2024005101500", 14, '\0'); // 13 digits and one zero byte
    kt::PutText(expect, 23, "Soups", 30, '\0');
    EXPECT_EQ(records[0], expect);

    cat.m_strName = "Hot soups";
    ASSERT_EQ(db.UpdateRecord(cat), 0);
    EXPECT_EQ(db.GetRecordCount(), 1u);
    CMenuCategory back;
    ASSERT_EQ(db.FindFirstCategory(back, "AB1"), 0);
    EXPECT_EQ(back.m_strName, "Hot soups");
    EXPECT_EQ(back.m_strCustomer, "AB1     ");
    kt::PutText(expect, 23, "Hot soups", 30, '\0');
    EXPECT_EQ(kt::Packed<CMenuCategoryDB>(back), expect);

    // The unique key refuses a second record with the same key.
    CMenuCategory twin = cat;
    EXPECT_EQ(db.InsertRecord(twin), 5);
}

TEST_F(MenuCategoryDB, ScanOneCustomersCategories) {
    for (auto [cust, key, name] : {std::tuple{"B2", "2024001000000", "Other"},
                                   {"A1", "2024001000001", "Mains"},
                                   {"A1", "2024001000002", "Mains"}}) { // the same name, another key
        CMenuCategory c;
        c.m_cRecordType = 'C';
        c.m_strCustomer = cust;
        c.m_strCategoryKey = key;
        c.m_strName = name;
        ASSERT_EQ(db.InsertRecord(c), 0);
    }
    CMenuCategory c;
    ASSERT_EQ(db.FindFirstCategory(c, "A1"), 0);
    EXPECT_EQ(c.m_strCategoryKey, "2024001000001");
    ASSERT_EQ(db.FindNextCategory(c), 0);
    EXPECT_EQ(c.m_strCategoryKey, "2024001000002");
    EXPECT_EQ(c.m_strName, "Mains");
    ASSERT_EQ(db.FindNextCategory(c), 0);
    EXPECT_EQ(c.m_strCustomer, "B2      ");
    EXPECT_EQ(db.FindNextCategory(c), 9);

    EXPECT_EQ(db.FindFirstCategory(c, "A0"), 4);
    EXPECT_EQ(db.FindFirstCategory(c, "C3"), 9);
}

TEST(MenuFiles, ClosedFilesAnswerNotOpenAndEitherSpellingOpensTheLineFile) {
    kt::TempDir dir;
    CMenuHdrDB hdr;
    CMenuItemDB items;
    CMenuCategoryDB cats;
    CMenuHdr h;
    CMenuItem line;
    CMenuCategory c;
    std::vector<int> statuses = {hdr.FindFirstRecipe(h, "A1"),
                                 hdr.InsertRecipe(h),
                                 hdr.UpdateRecipe(h),
                                 hdr.DeleteRecord("AA1"),
                                 items.FindFirstLine(line, "AA1"),
                                 items.DeleteLines("AA1"),
                                 items.InsertRecord(line),
                                 cats.UpdateRecord(c),
                                 cats.InsertRecord(c)};
    EXPECT_EQ(statuses, std::vector<int>(statuses.size(), 3));

    ASSERT_EQ(items.Create("MenuItem.DB"), 0);
    items.Close();
    EXPECT_EQ(items.OpenFile(), 0);
}

} // namespace
