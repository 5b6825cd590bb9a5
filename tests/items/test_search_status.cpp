// The item search says when a file it needed could not be read, so that finding nothing is not
// taken for "no such item" (which would offer a custom ingredient).
#include "CItemSearch.h"
#include "fixtures.h"
#include "support.h"
#include "unreadable_files.h"

#include <gtest/gtest.h>

namespace {

using kt::Breakage;

// FLOUR resolves through the lookup file, SUGAR through its own item list.
void BuildSearchFiles(const std::string& broken = {}, Breakage how = Breakage::Locked) {
    auto wanted = [&](const char* f) { return broken != f || how == Breakage::Locked; };
    if (wanted("ITEM.DB")) {
        kt::AddItem({"I1", "FLOUR ALL PURPOSE", "", "PC", 1, {"BAG", "", ""}});
        kt::AddItem({"I2", "SUGAR FINE", "", "PC", 1, {"CS", "", ""}});
    }
    if (wanted("ITEMDICT.DB")) {
        kt::AddWord("FLOUR", "", 1);
        kt::AddWord("SUGAR", "", 1, "I2          ");
    }
    if (wanted("ITEMLKUP.DB")) kt::AddLookupPair("FLOUR", "I1");
    if (how == Breakage::Damaged) kt::WriteGarbage(broken);
}

TEST(SearchStatus, EveryFileReadGivesZeroAlsoWhenNothingMatches) {
    kt::TempDir dir;
    BuildSearchFiles();
    CItemSearch search;
    for (auto [text, count] :
         {std::pair{"flour", 1}, std::pair{"sugar", 1}, std::pair{"saffron", 0}, std::pair{"I1", 1}}) {
        EXPECT_EQ(search.Search(text), count) << text;
        EXPECT_EQ(search.GetStatus(), 0) << text;
    }
}

TEST(SearchStatus, AFileThatCannotBeReadMakesTheResultIncomplete) {
    for (const char* file : {"ITEM.DB", "ITEMDICT.DB", "ITEMLKUP.DB"})
        for (Breakage how : {Breakage::Missing, Breakage::Damaged, Breakage::Locked}) {
            SCOPED_TRACE(std::string(file) + " " + kt::BreakageName(how));
            kt::TempDir dir;
            BuildSearchFiles(file, how);
            kt::ExclusiveHold otherUser(how == Breakage::Locked ? file : "");
            CItemSearch search;
            EXPECT_EQ(search.Search("flour"), 0);
            EXPECT_TRUE(kt::IsStatusOf(search.GetStatus(), how)) << search.GetStatus();
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
    EXPECT_EQ(search.Search("sugar"), 1); // a new search starts clean
    EXPECT_EQ(search.GetStatus(), 0);
}

} // namespace
