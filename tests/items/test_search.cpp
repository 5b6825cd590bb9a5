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

TEST_F(Search, ResultsInReverseOrderOfTheDrivingList) {
    Word("BEEF", "", 3, "I1,I2,I3");
    EXPECT_EQ(Run("beef"), (V{"I3", "I2", "I1"}));
}

TEST_F(Search, LastWordNotInTheDictionaryEndsTheWordLoop) {
    Word("BEEF", "", 3, "I1,I2,I3");
    EXPECT_EQ(Run("BEEF ZZZ"), V{});
    EXPECT_EQ(Run("ZZZ BEEF"), (V{"I3", "I2", "I1"})); // words further left are never looked at
}

TEST_F(Search, OnlyTheWholePaddedWordMatches) {
    Word("BEEF", "", 3, "I1,I2,I3");
    EXPECT_EQ(Run("BEE"), V{});
}

TEST_F(Search, ReplacementToAnotherWordAndToItself) {
    Word("BEEF", "", 3, "I1,I2,I3");
    Word("HAMBURGER", "BEEF", 0);
    Word("SELF", "SELF", 2, "I4,I5");
    EXPECT_EQ(Run("hamburger"), (V{"I3", "I2", "I1"}));
    EXPECT_EQ(Run("SELF"), V{});
}

TEST_F(Search, ReplacementOfSeveralWordsContributesEach) {
    Word("BEEF", "", 3, "I1,I2,I3");
    Word("GROUND", "", 4, "I2,I3,I4,I5");
    Word("BURGER", "GROUND BEEF", 0);
    EXPECT_EQ(Run("BURGER"), (V{"I3", "I2"}));
}

TEST_F(Search, WordsNamingEachOtherDoNotHang) {
    Word("PING", "PONG", 0);
    Word("PONG", "PING", 0);
    Word("BEEF", "", 3, "I1,I2,I3");
    EXPECT_EQ(Run("PING"), V{});
    EXPECT_EQ(Run("BEEF PING"), (V{"I3", "I2", "I1"}));
}

TEST_F(Search, EqualCountsLetTheWordNearerTheEndDrive) {
    Word("ALPHA", "", 2, "I1,I2");
    Word("BETA", "", 2, "I2,I1");
    EXPECT_EQ(Run("ALPHA BETA"), (V{"I1", "I2"}));
    EXPECT_EQ(Run("BETA ALPHA"), (V{"I2", "I1"}));
}

TEST_F(Search, FewestItemsDriveAndTheOthersFilter) {
    Word("BEEF", "", 3, "I1,I2,I3");
    Word("LEAN", "", 1, "I2");
    EXPECT_EQ(Run("LEAN BEEF"), V{"I2"});
    Word("CHEAP", "", 9, "I4");
    EXPECT_EQ(Run("CHEAP BEEF"), V{});
}

TEST_F(Search, InlineFilterIsASubstringTest) {
    Word("ONE", "", 1, "I1");
    Word("LONG", "", 5, "XI1Y");
    EXPECT_EQ(Run("LONG ONE"), V{"I1"});
}

TEST_F(Search, LookupFileForWordsWithoutAList) {
    Word("CHICKEN", "", 3);
    Pair("CHICKEN", "I1");
    Pair("CHICKEN", "I4");
    Pair("CHICKEN", "I5");
    Word("WING", "", 5);
    Pair("WING", "I4");
    Pair("WING", "I5");
    Pair("WINGS", "I1");
    EXPECT_EQ(Run("CHICKEN"), (V{"I5", "I4", "I1"}));
    EXPECT_EQ(Run("CHICKEN WING"), (V{"I5", "I4"}));
}

TEST_F(Search, ExactNumberThatIsAlsoACandidateAppearsTwice) {
    Word("I2", "", 2, "I1,I2");
    EXPECT_EQ(Run("I2"), (V{"I2", "I2", "I1"}));
}

TEST_F(Search, EmptyOrBlankTextFindsNothing) {
    Word("BEEF", "", 3, "I1,I2,I3");
    EXPECT_EQ(Run(""), V{});
    EXPECT_EQ(Run("     "), V{});
}

TEST_F(Search, WordsWithoutItemsAreIgnored) {
    Word("BEEF", "", 3, "I1,I2,I3");
    Word("FRESH", "", 0);
    EXPECT_EQ(Run("FRESH BEEF"), (V{"I3", "I2", "I1"}));
}

TEST(SearchWithoutFiles, NoFilesNoResults) {
    kt::TempDir dir;
    CItemSearch search;
    EXPECT_EQ(search.Search("BEEF"), 0);
}

} // namespace
