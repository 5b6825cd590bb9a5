// Item search over dictionaries built by the tests.
#include "CItemSearch.h"
#include "ItemDictDB.h"
#include "ItemLookupDB.h"
#include "fixtures.h"
#include "support.h"

#include <gtest/gtest.h>

namespace {

class Search : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(dict.Create("ITEMDICT.DB"), 0);
        ASSERT_EQ(lookup.Create("ITEMLKUP.DB"), 0);
        for (const char* n : {"I1", "I2", "I3", "I4", "I5", "XI1Y"})
            kt::AddItem({n, std::string("ITEM ") + n, "", "PC", 1, {"CS", "EA", ""}});
    }
    void Word(const std::string& word, const std::string& replacement, int count,
              const std::string& list = {}) {
        CItemDict entry;
        entry.m_strWord = kt::Pad(word, 20); // as the downloads give them
        entry.m_strReplacement = kt::Pad(replacement, 20);
        entry.m_nCount = count;
        entry.m_strItems = list;
        ASSERT_EQ(dict.InsertRecord(entry), 0);
    }
    void Pair(const std::string& word, const std::string& item) {
        CItemLookup pair;
        pair.m_strWord = kt::Pad(word, 20);
        pair.m_strItem = kt::Pad(item, 12);
        ASSERT_EQ(lookup.InsertPair(pair), 0);
    }
    std::vector<std::string> Run(const std::string& text) {
        CItemSearch search;
        int n = search.Search(text);
        std::vector<std::string> numbers;
        for (int i = 0; i < n; ++i)
            numbers.push_back(
                kt::Pad(search.GetItemNumber(i), 12).substr(0, search.GetItemNumber(i).find(' ')));
        return numbers;
    }
    using V = std::vector<std::string>;

    kt::TempDir dir;
    CItemDictDB dict;
    CItemLookupDB lookup;
};

TEST_F(Search, ExactItemNumberWithoutDictionaryWords) {
    CItemSearch search;
    ASSERT_EQ(search.Search("i3"), 1);
    EXPECT_EQ(search.GetItemNumber(0), "I3          ");
    EXPECT_EQ(search.GetDescription(0), "ITEM I3");
    EXPECT_EQ(search.GetValidUnits(0), "CS  EA     ");
    EXPECT_EQ(search.GetUnit(0), "CS ");
    EXPECT_EQ(search.GetItemNumber(1), "");
    EXPECT_EQ(search.GetUnit(-1), "");
}

// One dictionary for every rule; each text gives the item numbers in the order offered.
TEST_F(Search, WordsReplacementsDrivingListAndFilters) {
    Word("BEEF", "", 3, "I1,I2,I3");
    Word("HAMBURGER", "BEEF", 0);
    Word("SELF", "SELF", 2, "I4,I5");
    Word("GROUND", "", 4, "I2,I3,I4,I5");
    Word("BURGER", "GROUND BEEF", 0);
    Word("PING", "PONG", 0);
    Word("PONG", "PING", 0);
    Word("ALPHA", "", 2, "I1,I2");
    Word("BETA", "", 2, "I2,I1");
    Word("LEAN", "", 1, "I2");
    Word("CHEAP", "", 9, "I4");
    Word("ONE", "", 1, "I1");
    Word("LONG", "", 5, "XI1Y");
    Word("FRESH", "", 0);
    Word("I2", "", 2, "I1,I2");
    Word("CHICKEN", "", 3);
    Word("WING", "", 5);
    for (auto [word, item] :
         {std::pair{"CHICKEN", "I1"}, std::pair{"CHICKEN", "I4"}, std::pair{"CHICKEN", "I5"},
          std::pair{"WING", "I4"}, std::pair{"WING", "I5"}, std::pair{"WINGS", "I1"}})
        Pair(word, item);
    const std::pair<const char*, V> cases[] = {
        {"beef", {"I3", "I2", "I1"}},      // the driving list in reverse
        {"BEEF ZZZ", {}},                  // the last word not in the dictionary ends the word loop
        {"ZZZ BEEF", {"I3", "I2", "I1"}},  // words further left are never looked at
        {"BEE", {}},                       // only the whole padded word matches
        {"hamburger", {"I3", "I2", "I1"}}, // replaced by another word
        {"SELF", {}},                      // replaced by itself
        {"BURGER", {"I3", "I2"}},          // each word of a replacement contributes
        {"PING", {}},                      // words naming each other do not hang
        {"BEEF PING", {"I3", "I2", "I1"}},
        {"ALPHA BETA", {"I1", "I2"}}, // equal counts: the word nearer the end drives
        {"BETA ALPHA", {"I2", "I1"}},
        {"LEAN BEEF", {"I2"}}, // the fewest items drive, the others filter
        {"CHEAP BEEF", {}},
        {"LONG ONE", {"I1"}},            // the inline filter is a substring test
        {"CHICKEN", {"I5", "I4", "I1"}}, // the lookup file for words without a list
        {"CHICKEN WING", {"I5", "I4"}},
        {"I2", {"I2", "I2", "I1"}}, // the exact number that is also a candidate, twice
        {"", {}},
        {"     ", {}},
        {"FRESH BEEF", {"I3", "I2", "I1"}}, // words without items are ignored
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(Run(text), expected) << '"' << text << '"';
}

TEST(SearchWithoutFiles, NoFilesNoResults) {
    kt::TempDir dir;
    CItemSearch search;
    EXPECT_EQ(search.Search("BEEF"), 0);
}

} // namespace
