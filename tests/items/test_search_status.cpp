// The item search says when a file it needed could not be read, so that finding nothing is not
// taken for "no such item" (which would offer a custom ingredient).
#include "CItemSearch.h"
#include "ItemDB.h"
#include "ItemDictDB.h"
#include "ItemLookupDB.h"
#include "fixtures.h"
#include "support.h"
#include "unreadable_files.h"

#include <gtest/gtest.h>

namespace {

using kt::Breakage;

// FLOUR resolves through the lookup file, SUGAR through its own item list.
void BuildSearchFiles(const std::string& broken, Breakage how) {
    const bool skip = how != Breakage::Locked;
    if (broken != "ITEM.DB" || !skip) {
        kt::AddItem({"I1", "FLOUR ALL PURPOSE", "", "PC", 1, {"BAG", "", ""}});
        kt::AddItem({"I2", "SUGAR FINE", "", "PC", 1, {"CS", "", ""}});
    }
    if (broken != "ITEMDICT.DB" || !skip) {
        CItemDictDB dict;
        ASSERT_EQ(dict.Create(dict.GetFileName()), 0);
        ASSERT_EQ(dict.OpenFile(), 0);
        for (auto [word, list] : {std::pair{"FLOUR", ""}, std::pair{"SUGAR", "I2          "}}) {
            CItemDict entry;
            entry.m_strWord = kt::Pad(word, 20);
            entry.m_strReplacement = kt::Pad("", 20);
            entry.m_nCount = 1;
            entry.m_strItems = list;
            ASSERT_EQ(dict.InsertWord(entry), 0);
        }
    }
    if (broken != "ITEMLKUP.DB" || !skip) {
        CItemLookupDB lookup;
        ASSERT_EQ(lookup.Create(lookup.GetFileName()), 0);
        ASSERT_EQ(lookup.OpenFile(), 0);
        CItemLookup pair;
        pair.m_strWord = kt::Pad("FLOUR", 20);
        pair.m_strItem = kt::Pad("I1", 12);
        ASSERT_EQ(lookup.InsertPair(pair), 0);
    }
    if (how == Breakage::Damaged && !broken.empty()) kt::WriteGarbage(broken);
}

TEST(SearchStatus, EveryFileReadGivesZeroAlsoWhenNothingMatches) {
    kt::TempDir dir;
    BuildSearchFiles("", Breakage::Missing);
    CItemSearch search;
    EXPECT_EQ(search.Search("flour"), 1);
    EXPECT_EQ(search.GetStatus(), 0);
    EXPECT_EQ(search.Search("sugar"), 1);
    EXPECT_EQ(search.GetStatus(), 0);
    EXPECT_EQ(search.Search("saffron"), 0);
    EXPECT_EQ(search.GetStatus(), 0);
    EXPECT_EQ(search.Search("I1"), 1);
    EXPECT_EQ(search.GetStatus(), 0);
}

TEST(SearchStatus, AFileThatCannotBeReadMakesTheResultIncomplete) {
    for (const char* file : {"ITEM.DB", "ITEMDICT.DB", "ITEMLKUP.DB"}) {
        for (Breakage how : {Breakage::Missing, Breakage::Damaged, Breakage::Locked}) {
            SCOPED_TRACE(std::string(file) + " " + kt::BreakageName(how));
            kt::TempDir dir;
            BuildSearchFiles(file, how);
            std::unique_ptr<kt::ExclusiveHold<CItemDB>> holdItems;
            std::unique_ptr<kt::ExclusiveHold<CItemDictDB>> holdDict;
            std::unique_ptr<kt::ExclusiveHold<CItemLookupDB>> holdLookup;
            if (how == Breakage::Locked) {
                const std::string f = file;
                if (f == "ITEM.DB") holdItems = std::make_unique<kt::ExclusiveHold<CItemDB>>();
                if (f == "ITEMDICT.DB") holdDict = std::make_unique<kt::ExclusiveHold<CItemDictDB>>();
                if (f == "ITEMLKUP.DB") holdLookup = std::make_unique<kt::ExclusiveHold<CItemLookupDB>>();
            }
            CItemSearch search;
            EXPECT_EQ(search.Search("flour"), 0);
            EXPECT_NE(search.GetStatus(), 0);
            EXPECT_NE(search.GetStatus(), 4);
            if (how == Breakage::Missing) {
                EXPECT_EQ(search.GetStatus(), 12);
            }
            if (how == Breakage::Locked) {
                EXPECT_EQ(search.GetStatus(), 85);
            }
        }
    }
}

TEST(SearchStatus, TheLookupFileCountsOnlyWhenAWordNeedsIt) {
    kt::TempDir dir;
    BuildSearchFiles("ITEMLKUP.DB", Breakage::Missing);
    CItemSearch search;
    EXPECT_EQ(search.Search("sugar"), 1); // its own item list
    EXPECT_EQ(search.GetStatus(), 0);
    EXPECT_EQ(search.Search("flour"), 0);
    EXPECT_EQ(search.GetStatus(), 12);
    // A new search starts clean.
    EXPECT_EQ(search.Search("sugar"), 1);
    EXPECT_EQ(search.GetStatus(), 0);
}

} // namespace
