// Recipe header, recipe line and recipe category files.
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "MenuCategoryDB.h"
#include "MenuHdrDB.h"
#include "MenuItemDB.h"
#include "btrieve/btrcall.h"
#include "support.h"

namespace {

// Reads every record of the file in physical order.
std::vector<std::vector<uint8_t>> AllRecords(CBtrieveDB& db, uint16_t) {
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

} // namespace

// ---------------------------------------------------------------- recipe header file

TEST(MenuHdrDB, InsertWritesTheRecordByteForByte) {
    kt::TempDir dir;
    CMenuHdrDB db;
    ASSERT_EQ(db.Create(nullptr), 0);
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

    auto records = AllRecords(db, 4224);
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

    // Read back: the key as stored, trailing blanks kept.
    CMenuHdr back;
    ASSERT_EQ(db.FindRecipe(back, "aa2024005101530"), 0);
    EXPECT_EQ(back.m_strCustomer, "AB12    ");
    EXPECT_EQ(back.m_strRecipeKey, "AA202400510153");
    EXPECT_EQ(back.m_strCategoryKey, "2024005101500 ");
    EXPECT_EQ(back.m_strRecipeName, "Chicken soup");
    EXPECT_EQ(back.m_strRecipeID, "cs-1");
    EXPECT_EQ(back.m_cRecordType, 'C');
    EXPECT_DOUBLE_EQ(back.m_dSellPrice, 4.95);
    EXPECT_DOUBLE_EQ(back.m_dDesiredFC, 28.5);
    EXPECT_EQ(back.m_nLastWrite, static_cast<int64_t>(stamp));
    EXPECT_EQ(back.m_strNotes, "Simmer gently.");
}

TEST(MenuHdrDB, NotesLengthDecidesTheRecordLength) {
    kt::TempDir dir;
    CMenuHdrDB db;
    ASSERT_EQ(db.Create(nullptr), 0);
    CMenuHdr empty = Header("A1", "AA1");
    ASSERT_EQ(db.InsertRecipe(empty), 0);
    CMenuHdr full = Header("A1", "AA2");
    full.m_strNotes = std::string(4096, 'n') + "cut off";
    ASSERT_EQ(db.InsertRecipe(full), 0);

    auto records = AllRecords(db, 4224);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].size(), 128u);
    ASSERT_EQ(records[1].size(), 4224u);
    EXPECT_EQ(records[1][124 + 4095], 'n');
    for (size_t i = 4220; i < 4224; ++i)
        EXPECT_EQ(records[1][i], 0);

    CMenuHdr back;
    ASSERT_EQ(db.FindRecipe(back, "AA2"), 0);
    EXPECT_EQ(back.m_strNotes, std::string(4096, 'n'));
    ASSERT_EQ(db.FindRecipe(back, "AA1"), 0);
    EXPECT_EQ(back.m_strNotes, "");
}

TEST(MenuHdrDB, NotesWithoutTerminatorAreReadWithinTheRecord) {
    kt::TempDir dir;
    CMenuHdrDB db;
    ASSERT_EQ(db.Create(nullptr), 0);
    // A full-length record written by another program, no zero byte anywhere in the notes area.
    std::vector<uint8_t> raw(4224, 'x');
    raw[0] = 'C';
    kt::PutText(raw, 1, "A1", 8, ' ');
    kt::PutText(raw, 9, "AA9", 14, ' ');
    ASSERT_EQ(db.InsertBytes(raw, 1), 0);
    // And a short one: the notes are read only as far as the record goes.
    std::vector<uint8_t> shorter(130, 'y');
    shorter[0] = 'C';
    kt::PutText(shorter, 1, "A1", 8, ' ');
    kt::PutText(shorter, 9, "AA8", 14, ' ');
    ASSERT_EQ(db.InsertBytes(shorter, 1), 0);

    CMenuHdr back;
    ASSERT_EQ(db.FindRecipe(back, "AA9"), 0);
    EXPECT_EQ(back.m_strNotes, std::string(4096, 'x'));
    EXPECT_EQ(back.m_strRecipeName, std::string(30, 'x'));
    ASSERT_EQ(db.FindRecipe(back, "AA8"), 0);
    EXPECT_EQ(back.m_strNotes, "yyyyyy");
}

TEST(MenuHdrDB, UpdateDeleteAndMissingRecipes) {
    kt::TempDir dir;
    CMenuHdrDB db;
    ASSERT_EQ(db.Create(nullptr), 0);
    CMenuHdr h = Header("a1", "aa100");
    EXPECT_EQ(db.UpdateRecipe(h), 4);
    EXPECT_EQ(db.GetRecordCount(), 0u);
    EXPECT_EQ(db.DeleteRecord("AA100"), 0);

    // Stored with a byte at the reserved offset 87 and long notes.
    std::vector<uint8_t> raw(128 + 20, 0);
    raw[0] = 'C';
    kt::PutText(raw, 1, "A1", 8, ' ');
    kt::PutText(raw, 9, "AA100", 14, ' ');
    raw[87] = 'R';
    kt::PutText(raw, 124, "twenty characters!!!", 20, '\0');
    ASSERT_EQ(db.InsertBytes(raw, 1), 0);

    h.m_strRecipeName = "New name";
    h.m_strNotes = "short";
    ASSERT_EQ(db.UpdateRecipe(h), 0);
    auto records = AllRecords(db, 4224);
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

TEST(MenuHdrDB, FindFirstAndNextScanOneCustomer) {
    kt::TempDir dir;
    CMenuHdrDB db;
    ASSERT_EQ(db.Create(nullptr), 0);
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

TEST(MenuItemDB, EitherSpellingOfTheNameOpensTheOneFile) {
    kt::TempDir dir;
    CMenuItemDB db;
    ASSERT_EQ(db.Create("MenuItem.DB"), 0);
    db.Close();
    EXPECT_EQ(db.OpenFile(), 0);
}

TEST(MenuItemDB, InsertLineWritesTheRecordByteForByte) {
    kt::TempDir dir;
    CMenuItemDB db;
    ASSERT_EQ(db.Create(nullptr), 0);
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

    auto records = AllRecords(db, 96);
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

    CMenuItem back;
    ASSERT_EQ(db.FindFirstLine(back, "AA123"), 0);
    EXPECT_EQ(back.m_strItem, "AB-1        ");
    EXPECT_EQ(back.m_strUnit, "CS ");
    EXPECT_EQ(back.m_strDescription, "Carrots, diced");
    EXPECT_EQ(back.m_strPtnType, "oz");
    EXPECT_DOUBLE_EQ(back.m_dItemCost, 12.5);
    EXPECT_DOUBLE_EQ(back.m_dPtnPerItem, 160);
    EXPECT_DOUBLE_EQ(back.m_dPtns, 2.25);
    ASSERT_EQ(db.FindNextLine(back), 0);
    EXPECT_EQ(back.m_strItem, "123456789012");
    EXPECT_EQ(back.m_strUnit, "EAX");
    EXPECT_EQ(back.m_strDescription, std::string(30, 'd'));
    EXPECT_EQ(back.m_strPtnType, "flOZxxxx");
    EXPECT_EQ(db.FindNextLine(back), 9);
}

TEST(MenuItemDB, FindAndDeleteLinesOfOneRecipe) {
    kt::TempDir dir;
    CMenuItemDB db;
    ASSERT_EQ(db.Create(nullptr), 0);
    auto add = [&](const char* key, const char* item) {
        CMenuItem line;
        line.m_strRecipeKey = key;
        line.m_strItem = item;
        ASSERT_EQ(db.InsertRecord(line), 0);
    };
    add("AA2", "X1");
    add("AA1", "A");
    add("AA1", "B");
    add("AA1", "C");
    add("AA3", "Z");

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

TEST(MenuCategoryDB, StoreNewAndExistingCategory) {
    kt::TempDir dir;
    CMenuCategoryDB db;
    ASSERT_EQ(db.Create(nullptr), 0);
    CMenuCategory cat;
    cat.m_cRecordType = 'C';
    cat.m_strCustomer = "ab1";
    cat.m_strCategoryKey = "2024005101500";
    cat.m_strName = "Soups";
    EXPECT_EQ(db.UpdateRecord(cat), 4);
    ASSERT_EQ(db.InsertRecord(cat), 0);
    EXPECT_EQ(cat.m_strCustomer, "AB1");

    auto records = AllRecords(db, 53);
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
    EXPECT_EQ(back.m_strCategoryKey, "2024005101500");
    EXPECT_EQ(back.m_strCustomer, "AB1     ");
    EXPECT_EQ(back.m_cRecordType, 'C');

    // The unique key refuses a second record with the same key.
    CMenuCategory twin = cat;
    EXPECT_EQ(db.InsertRecord(twin), 5);
}

TEST(MenuCategoryDB, ScanOneCustomersCategories) {
    kt::TempDir dir;
    CMenuCategoryDB db;
    ASSERT_EQ(db.Create(nullptr), 0);
    auto add = [&](const char* cust, const char* key, const char* name) {
        CMenuCategory c;
        c.m_cRecordType = 'C';
        c.m_strCustomer = cust;
        c.m_strCategoryKey = key;
        c.m_strName = name;
        ASSERT_EQ(db.InsertRecord(c), 0);
    };
    add("B2", "2024001000000", "Other");
    add("A1", "2024001000001", "Mains");
    add("A1", "2024001000002", "Mains"); // the same name, another key

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

TEST(MenuFiles, ClosedFilesAnswerNotOpen) {
    CMenuHdrDB hdr;
    CMenuItemDB items;
    CMenuCategoryDB cats;
    CMenuHdr h;
    CMenuItem line;
    CMenuCategory c;
    EXPECT_EQ(hdr.FindFirstRecipe(h, "A1"), 3);
    EXPECT_EQ(hdr.InsertRecipe(h), 3);
    EXPECT_EQ(hdr.UpdateRecipe(h), 3);
    EXPECT_EQ(hdr.DeleteRecord("AA1"), 3);
    EXPECT_EQ(items.FindFirstLine(line, "AA1"), 3);
    EXPECT_EQ(items.DeleteLines("AA1"), 3);
    EXPECT_EQ(items.InsertRecord(line), 3);
    EXPECT_EQ(cats.UpdateRecord(c), 3);
    EXPECT_EQ(cats.InsertRecord(c), 3);
}
