// ITEMDICT.DB and ITEMLKUP.DB: word lookups, record lengths and pair lookups.
#include "ItemDictDB.h"
#include "ItemLookupDB.h"
#include "btrieve/btrcall.h"
#include "import_support.h"
#include "support.h"

#include <gtest/gtest.h>

namespace {

std::string Blank20(const std::string& word) {
    return word + std::string(20 - word.size(), ' ');
}

class Dictionary : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_db.Create("ITEMDICT.DB"), 0);
        // Words as the suite writes them: blank-padded to 20.
        Add(Blank20("APPLE"), "", "I1,I2", 2);
        Add(Blank20("APPLES"), "", "I3", 1);
        Add(Blank20("TOMATOES"), Blank20("TOMATO"), "", 0);
        Add(Blank20("TOMATO"), "", "", 7);
    }
    void Add(const std::string& word, const std::string& replacement, const std::string& items,
             int32_t count) {
        CItemDict e;
        e.m_strWord = word;
        e.m_strReplacement = replacement;
        e.m_strItems = items;
        e.m_nCount = count;
        ASSERT_EQ(m_db.InsertRecord(e), 0);
    }
    uint16_t StoredLength(const std::string& word) {
        return static_cast<uint16_t>(kt::ReadRaw(m_db, word).size());
    }
    kt::TempDir m_dir;
    CItemDictDB m_db;
};

// The record runs five bytes past its list, through insert and update.
TEST_F(Dictionary, RecordLayoutAndLength) {
    EXPECT_EQ(StoredLength(Blank20("TOMATO")), 49); // empty list
    EXPECT_EQ(StoredLength(Blank20("APPLE")), 49 + 5);
    std::vector<uint8_t> expected(49, 0);
    kt::PutText(expected, 0, Blank20("TOMATOES"), 20, '\0');
    kt::PutText(expected, 20, Blank20("TOMATO"), 20, '\0');
    EXPECT_EQ(kt::ReadRaw(m_db, Blank20("TOMATOES")), expected);

    CItemDict lower;
    lower.m_strWord = "pear";
    lower.m_strItems = "i9,i10";
    lower.m_nCount = 2;
    ASSERT_EQ(m_db.InsertRecord(lower), 0);
    EXPECT_EQ(lower.m_strItems, "I9,I10");
    CItemDict found;
    ASSERT_EQ(m_db.FindWord(found, "PEAR"), 0);
    EXPECT_EQ(found.m_strItems, "I9,I10");
    EXPECT_EQ(found.m_nCount, 2);
    found.m_strItems = "I9,I10,I11";
    ASSERT_EQ(m_db.UpdateRecord(found), 0);
    EXPECT_EQ(StoredLength("PEAR"), 49 + 10);
    EXPECT_EQ(m_db.DeleteRecord("pear"), 0);
    EXPECT_EQ(m_db.GetRecordCount(), 4u);
}

// The older line's list runs to the line feed and is cut at 12800 characters, and the record it
// makes can be read back; a list without its line feed ends the run.
TEST_F(Dictionary, OlderLinesCarryTheirListToTheLineFeed) {
    std::string columns = "    3 " + Blank20("") + Blank20("LONG");
    EXPECT_TRUE(kt::Reload(m_db, columns + std::string(12800, 'a') + "bc\n", 770).empty());
    CItemDict e;
    ASSERT_EQ(m_db.FindWord(e, Blank20("LONG")), 0);
    EXPECT_EQ(e.m_strItems, std::string(12800, 'A'));
    EXPECT_EQ(StoredLength(Blank20("LONG")), CItemDictDB::kBufferSize); // the longest record, not one more
    auto errors = kt::Reload(m_db, columns + "I1,I2", 770);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Invalid Record Format at offset 0");
}

TEST_F(Dictionary, FindWordExactThenPrefix) {
    CItemDict e;
    EXPECT_EQ(m_db.FindWord(e, ""), btr::B_KEY_VALUE_NOT_FOUND);
    ASSERT_EQ(m_db.FindWord(e, Blank20("APPLE")), 0);
    EXPECT_EQ(e.m_strItems, "I1,I2");
    // A short word finds the next greater word that begins with it.
    ASSERT_EQ(m_db.FindWord(e, "APPL"), 0);
    EXPECT_EQ(e.m_strWord, Blank20("APPLE"));
    ASSERT_EQ(m_db.FindWord(e, "TOMATOE"), 0);
    EXPECT_EQ(e.m_strReplacement, Blank20("TOMATO"));
    // A 20-character blank-padded word matches only itself.
    EXPECT_EQ(m_db.FindWord(e, Blank20("APPL")), btr::B_KEY_VALUE_NOT_FOUND);
    EXPECT_EQ(m_db.FindWord(e, Blank20("TOMATOE")), btr::B_KEY_VALUE_NOT_FOUND);
    EXPECT_EQ(m_db.FindWord(e, "BANANA"), btr::B_KEY_VALUE_NOT_FOUND);
    EXPECT_EQ(m_db.FindWord(e, "ZUCCHINI"), btr::B_END_OF_FILE);
}

class Lookup : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_db.Create("ITEMLKUP.DB"), 0);
        for (auto [word, item] : {std::pair{"SAUCE", "I2"}, std::pair{"SALT", "I1"}, std::pair{"SAUCE", "I1"},
                                  std::pair{"SAUCES", "I9"}}) {
            CItemLookup l;
            l.m_strWord = word;
            l.m_strItem = item;
            ASSERT_EQ(m_db.InsertPair(l), 0);
        }
    }
    kt::TempDir m_dir;
    CItemLookupDB m_db;
};

TEST_F(Lookup, FindFirstAndNextWalkOneWord) {
    CItemLookup l;
    ASSERT_EQ(m_db.FindFirst(l, "SAUCE"), 0);
    EXPECT_EQ(l.m_strItem, "I2"); // duplicates in insertion order
    ASSERT_EQ(m_db.FindNext(l), 0);
    EXPECT_EQ(l.m_strItem, "I1");
    ASSERT_EQ(m_db.FindNext(l), 0);
    EXPECT_EQ(l.m_strWord, "SAUCES"); // the caller stops at another word
    // The caller's word is compared as given, case included.
    EXPECT_EQ(m_db.FindFirst(l, "sauce"), btr::B_KEY_VALUE_NOT_FOUND);
    EXPECT_EQ(m_db.FindFirst(l, "SAUC"), btr::B_KEY_VALUE_NOT_FOUND);
}

TEST_F(Lookup, PairsAreWrittenUpperCasedOnceExistAndGo) {
    CItemLookup lower;
    lower.m_strWord = "pepper";
    lower.m_strItem = "i7";
    ASSERT_EQ(m_db.InsertPair(lower), 0);
    std::vector<uint8_t> expected(32, 0);
    kt::PutText(expected, 0, "PEPPER", 20, '\0');
    kt::PutText(expected, 20, "I7", 12, '\0');
    EXPECT_EQ(kt::ReadRaw(m_db, std::string(expected.begin(), expected.end()), 1), expected);
    EXPECT_EQ(m_db.InsertPair(lower), btr::B_DUPLICATE_KEY_VALUE);

    EXPECT_EQ(m_db.PairExists("SAUCE", "I1"), 0);
    EXPECT_EQ(m_db.PairExists("sauce", "i2"), 0);
    EXPECT_EQ(m_db.PairExists("SALT", "I2"), btr::B_KEY_VALUE_NOT_FOUND); // SALT has other items only
    // After a pair lookup, next continues on the pair key.
    CItemLookup l;
    ASSERT_EQ(m_db.PairExists("SAUCE", "I1"), 0);
    ASSERT_EQ(m_db.FindNext(l), 0);
    EXPECT_EQ(l.m_strWord, "SAUCE");
    EXPECT_EQ(l.m_strItem, "I2");

    EXPECT_EQ(m_db.DeletePair("SAUCE", "I1"), 0);
    EXPECT_EQ(m_db.PairExists("SAUCE", "I1"), btr::B_KEY_VALUE_NOT_FOUND);
    EXPECT_EQ(m_db.DeletePair("SAUCE", "I1"), 0);
    EXPECT_EQ(m_db.GetRecordCount(), 4u);
    m_db.Close();
    EXPECT_EQ(m_db.PairExists("SAUCE", "I2"), btr::B_FILE_NOT_OPEN);
}

} // namespace
