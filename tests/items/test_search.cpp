// Item search over dictionaries built by the tests.
#include "CItemSearch.h"
#include "ItemDictDB.h"
#include "ItemLookupDB.h"
#include "fixtures.h"
#include "support.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

class Search : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CItemDictDB().Create("ITEMDICT.DB"), 0);
        ASSERT_EQ(CItemLookupDB().Create("ITEMLKUP.DB"), 0);
        for (const char* n : {"I1", "I2", "I3", "I4", "I5", "XI1Y"})
            kt::AddItem({n, std::string("ITEM ") + n, "", "PC", 1, {"CS", "EA", ""}});
    }
    // The item numbers found, in the order offered.
    static std::vector<std::string> Run(const std::string& text) {
        CItemSearch search;
        int n = search.Search(text);
        std::vector<std::string> numbers;
        for (int i = 0; i < n; ++i)
            numbers.push_back(search.GetItemNumber(i).substr(0, search.GetItemNumber(i).find(' ')));
        return numbers;
    }

    kt::TempDir dir;
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
    const std::tuple<const char*, const char*, int, const char*> words[] = {{"BEEF", "", 3, "I1,I2,I3"},
                                                                            {"HAMBURGER", "BEEF", 0, ""},
                                                                            {"SELF", "SELF", 2, "I4,I5"},
                                                                            {"GROUND", "", 4, "I2,I3,I4,I5"},
                                                                            {"BURGER", "GROUND BEEF", 0, ""},
                                                                            {"PING", "PONG", 0, ""},
                                                                            {"PONG", "PING", 0, ""},
                                                                            {"ALPHA", "", 2, "I1,I2"},
                                                                            {"BETA", "", 2, "I2,I1"},
                                                                            {"LEAN", "", 1, "I2"},
                                                                            {"CHEAP", "", 9, "I4"},
                                                                            {"ONE", "", 1, "I1"},
                                                                            {"LONG", "", 5, "XI1Y"},
                                                                            {"FRESH", "", 0, ""},
                                                                            {"I2", "", 2, "I1,I2"},
                                                                            {"CHICKEN", "", 3, ""},
                                                                            {"WING", "", 5, ""}};
    for (auto [word, replacement, count, items] : words)
        kt::AddWord(word, replacement, count, items);
    for (auto [word, item] :
         {std::pair{"CHICKEN", "I1"}, std::pair{"CHICKEN", "I4"}, std::pair{"CHICKEN", "I5"},
          std::pair{"WING", "I4"}, std::pair{"WING", "I5"}, std::pair{"WINGS", "I1"}})
        kt::AddLookupPair(word, item);
    const std::pair<const char*, std::vector<std::string>> cases[] = {
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
