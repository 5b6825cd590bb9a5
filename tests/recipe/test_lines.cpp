// The line collection over record files built by the tests: completing lines, item defaults,
// re-pricing, portion type changes and the recipe cost total.
#include "CDefaultItemInfo.h"
#include "CRecipeLines.h"
#include "Costing.h"
#include "Pricing.h"
#include "fixtures.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <sstream>

namespace {

// What a line holds, in one text: item|unit|description|brand|cost|default cost|ptn/item|ptn type.
std::string Held(const CMenuItemDetail& l) {
    std::ostringstream out;
    out << std::setprecision(10) << l.m_strItem << '|' << l.m_strUnit << '|' << l.m_strDescription << '|'
        << l.m_strBrand << '|' << l.m_dItemCost << '|' << l.m_dDefaultItemCost << '|' << l.m_dPtnPerItem
        << '|' << l.m_strPtnType;
    return out.str();
}

class Lines : public ::testing::Test {
protected:
    void SetUp() override {
        kt::CreateCostingFiles();
        // Flour: bought by the bag (25 lb, 11340 mL), cost from the unit's first pricing figure.
        kt::AddItem({"100200", "FLOUR ALL PURPOSE", "MILLCO", "lbs", 25, {"BAG", "CS ", ""}, false, false});
        kt::AddUnit({"100200", "BAG", 25.0f, 11340.0f, 12.125f, 0, 0});
        // Milk: history price for customer C1.
        kt::AddItem({"300400", "MILK WHOLE", "DAIRYX", "", 4, {"CS ", "", ""}, true, false});
        kt::AddUnit({"300400", "CS", 40.0f, 15142.0f, 20.0f, 0, 0});
        kt::AddHistory("C1", "300400", "CS", 18.5f, 19.0f);
        lines.SetCustomer("C1");
        lines.InitPortionTypes();
        lines.SetRecalcHandler([this](int user) { recalcs.push_back(user); });
        lines.SetDisplayHandler([this](int) { ++displays; });
    }

    kt::TempDir dir;
    CRecipeLines lines;
    std::vector<int> recalcs;
    int displays = 0;
};

TEST_F(Lines, PortionTypesAndTheCompanyWeightUnitReReadEveryTime) {
    const auto& types = lines.GetPortionTypes();
    ASSERT_EQ(types.size(), 14u);
    EXPECT_EQ(FindPortionType(types, "L").m_nKind, 1);
    EXPECT_EQ(FindPortionType(types, "l").m_dFactor, 0.0); // names are case-sensitive
    EXPECT_DOUBLE_EQ(lines.GetWeightUnit(), 453.59237);    // pounds without a control file
    kt::SetKilograms(true);
    lines.InitPortionTypes();
    EXPECT_DOUBLE_EQ(lines.GetWeightUnit(), 1000.0);
    kt::SetKilograms(false);
    lines.InitPortionTypes();
    EXPECT_DOUBLE_EQ(lines.GetWeightUnit(), 453.59237);
    EXPECT_EQ(lines.GetPortionTypes().size(), 14u);
}

TEST_F(Lines, DefaultsFromHistoryUnitAndItemMaster) {
    CDefaultItemInfo info;
    ASSERT_TRUE(info.Load("C1", kt::Pad("300400", 12), "CS "));
    EXPECT_EQ(info.m_strDescription, "MILK WHOLE");
    EXPECT_EQ(info.m_strBrand, "DAIRYX");
    EXPECT_EQ(info.m_strDefaultPtnType, "PC"); // blank in the item master
    EXPECT_DOUBLE_EQ(info.m_dPtnPerItem, 4.0);
    EXPECT_DOUBLE_EQ(info.m_dCost, 18.5); // history before the unit's figures
    EXPECT_DOUBLE_EQ(info.m_dWeightPerUnit, 40.0);
    EXPECT_EQ(info.m_strUnits[0], "CS ");

    ASSERT_TRUE(info.Load("C2", kt::Pad("300400", 12), "CS "));
    EXPECT_DOUBLE_EQ(info.m_dCost, 20.0); // no history for C2
    kt::AddHistory("C3", "300400", "CS", 5.0f, 5.0f, -1);
    info.Load("C3", kt::Pad("300400", 12), "CS ");
    EXPECT_DOUBLE_EQ(info.m_dCost, 20.0); // a history without a last date is none

    EXPECT_FALSE(info.Load("C1", "NOSUCH", "CS "));
    EXPECT_EQ(info.m_strDescription, "");
    EXPECT_EQ(info.m_strDefaultPtnType, "PC");
    EXPECT_DOUBLE_EQ(info.m_dPtnPerItem, 1.0);

    // A pack quantity of zero, one or less gives one portion per item.
    for (int pack : {0, 1, -5}) {
        const std::string number = "50" + std::to_string(pack + 5);
        kt::AddItem({number, "PACK", "", "PC", pack, {"EA", "", ""}});
        ASSERT_TRUE(info.Load("C1", kt::Pad(number, 12), "EA "));
        EXPECT_DOUBLE_EQ(info.m_dPtnPerItem, 1.0) << pack;
    }
}

TEST_F(Lines, PricingLibraryWithoutPriceStartsLinesAtZero) {
    auto previous = SetDefaultPriceFunction([](void*) { return -1; });
    int index = lines.AddLine(kt::Pad("300400", 12), "CS ", "", 0, 0, "", 1);
    SetDefaultPriceFunction(previous);
    EXPECT_DOUBLE_EQ(lines.Line(index)->m_dItemCost, 0.0);
    EXPECT_DOUBLE_EQ(lines.Line(index)->m_dDefaultItemCost, 0.0);
    EXPECT_DOUBLE_EQ(lines.GetTotal(), 0.0);
}

TEST_F(Lines, AddLineCompletesWhatIsMissingPadsAndKeepsWhatIsGiven) {
    const CMenuItemDetail* line = lines.Line(lines.AddLine(kt::Pad("100200", 12), "BAG", "", 0, 0, "", 50));
    ASSERT_NE(line, nullptr);
    // The unit's 12.125 rounded; the item master keeps portion types in capitals.
    EXPECT_EQ(Held(*line), "100200      |BAG|FLOUR ALL PURPOSE|MILLCO|12.13|12.13|25|LBS");
    EXPECT_DOUBLE_EQ(line->m_dWeightPerUnit, 25.0);
    EXPECT_DOUBLE_EQ(lines.GetTotal(), RoundCents(12.13 / 25.0 * 50.0));
    EXPECT_TRUE(recalcs.empty()); // adding does not notify

    line = lines.Line(lines.AddLine(kt::Pad("100200", 12), "BAG", "MY FLOUR", 1.125, 2.5, " CUP ", 1));
    EXPECT_EQ(Held(*line), "100200      |BAG|MY FLOUR|MILLCO|1.13|12.13|2.5|CUP"); // the stored cost rounded

    // A custom ingredient gets plain defaults; a cost of its own, even a credit, is kept.
    line = lines.Line(lines.AddLine("SALT", "", "SEA SALT", 0, 0, "", 3));
    EXPECT_EQ(Held(*line), "SALT        |   |SEA SALT||0|0|1|PC");
    EXPECT_FALSE(line->IsFromItemMaster());
    EXPECT_DOUBLE_EQ(lines.Line(lines.AddLine("CREDIT", "", "", -2.0, 1, "", 1))->m_dItemCost, -2.0);
}

TEST_F(Lines, TotalIsKeptThroughEditsAndRemovals) {
    int a = lines.AddLine("A", "", "one", 10.0, 3.0, "PC", 2); // 6.67
    int b = lines.AddLine("B", "", "two", 1.0, 3.0, "PC", 1);  // 0.33
    EXPECT_DOUBLE_EQ(lines.GetTotal(), 7.0);
    EXPECT_TRUE(lines.EditPtns(a, 1)); // 3.33
    EXPECT_DOUBLE_EQ(lines.GetTotal(), 3.66);
    EXPECT_TRUE(lines.EditItemCost(b, 1.125)); // 0.38 (typed value used as typed)
    EXPECT_DOUBLE_EQ(lines.GetTotal(), 3.71);
    EXPECT_FALSE(lines.EditPtns(b, 1));      // no change, no notification
    EXPECT_TRUE(lines.EditPtnPerItem(b, 0)); // no value: counts as 0
    EXPECT_DOUBLE_EQ(lines.GetTotal(), 3.33);
    EXPECT_TRUE(lines.RemoveLine(a));
    EXPECT_DOUBLE_EQ(lines.GetTotal(), 0.0);
    EXPECT_EQ(FormatAmount(lines.GetTotal()), "0.00");
    EXPECT_EQ(lines.Line(a), nullptr);
    EXPECT_NE(lines.Line(b), nullptr); // the other index stays valid
    EXPECT_FALSE(lines.RemoveLine(a));
    EXPECT_FALSE(lines.EditPtns(-1, 2));
    EXPECT_FALSE(lines.EditItemCost(7, 2));
    EXPECT_FALSE(lines.EditPortionType(3, "CUP"));
    CMenuItemDetail out;
    EXPECT_FALSE(lines.GetLine(a, out));
    EXPECT_EQ(recalcs, (std::vector<int>{1, 1, 1}));
    lines.ClearLines();
    EXPECT_EQ(lines.GetSlotCount(), 0);
    EXPECT_DOUBLE_EQ(lines.GetTotal(), 0.0);
}

TEST_F(Lines, RepricingReplacesEverythingButThePortionsAndAUnitEditRepricesToo) {
    int index = lines.AddLine("X", "", "custom", 3.0, 2.0, "CUP", 7);
    recalcs.clear();
    EXPECT_TRUE(lines.LoadItemDefaults(index, kt::Pad("300400", 12), "CS "));
    const CMenuItemDetail* line = lines.Line(index);
    EXPECT_EQ(Held(*line), "300400      |CS |MILK WHOLE|DAIRYX|18.5|18.5|4|PC");
    EXPECT_DOUBLE_EQ(line->m_dPtns, 7.0);
    EXPECT_DOUBLE_EQ(lines.GetTotal(), RoundCents(18.5 / 4.0 * 7.0));
    EXPECT_EQ(recalcs, std::vector<int>{0});

    recalcs.clear();
    EXPECT_FALSE(lines.LoadItemDefaults(index, "NOSUCH", "CS "));
    EXPECT_EQ(lines.Line(index)->m_strDescription, "MILK WHOLE");
    EXPECT_TRUE(recalcs.empty());

    kt::AddUnit({"300400", "EA", 1.0f, 0, 5.0f, 0, 0});
    EXPECT_TRUE(lines.EditUnit(index, "EA "));
    EXPECT_EQ(lines.Line(index)->m_strUnit, "EA ");
    EXPECT_DOUBLE_EQ(lines.Line(index)->m_dItemCost, 5.0);
    EXPECT_EQ(recalcs, (std::vector<int>{0, 1})); // both the line and the totals
}

TEST_F(Lines, PortionTypeChangesScaleByFactorsOrStartFromTheKindsBase) {
    int index = lines.AddLine("X", "", "", 3.0, 10.0, "CUP", 1);
    bool converted = false;
    EXPECT_TRUE(lines.EditPortionType(index, "flOZ", &converted));
    EXPECT_TRUE(converted);
    EXPECT_NEAR(lines.Line(index)->m_dPtnPerItem, 80.0006, 0.00005);
    EXPECT_EQ(lines.Line(index)->m_strPtnType, "flOZ");
    EXPECT_DOUBLE_EQ(lines.GetTotal(), LineRecipeCost(*lines.Line(index)));

    // Without a known volume or weight: 1 mL; back to a count, the default portions per item; one
    // company weight unit in grams; to an unknown type (factor 0, kind count), the count base.
    int a = lines.AddLine("X", "", "", 3.0, 5.0, "PC", 1);
    for (auto [type, perItem] : {std::pair{"mL", 1.0}, {"PC", 1.0}, {"g", 453.59237}, {"SLICE", 1.0}}) {
        lines.EditPortionType(a, type);
        EXPECT_DOUBLE_EQ(lines.Line(a)->m_dPtnPerItem, perItem) << type;
    }

    // A count to pounds uses the unit's weight, in either company weight unit.
    kt::AddItem({"700", "BEEF", "", "PC", 1, {"CS ", "", ""}});
    kt::AddUnit({"700", "CS", 40.0f, 0, 10.0f, 0, 0});
    kt::AddItem({"701", "PORK", "", "PC", 1, {"CS ", "", ""}});
    kt::AddUnit({"701", "CS", 18.0f, 0, 10.0f, 0, 0});
    int beef = lines.AddLine(kt::Pad("700", 12), "CS ", "", 0, 0, "", 1);
    lines.EditPortionType(beef, "lbs");
    EXPECT_DOUBLE_EQ(lines.Line(beef)->m_dPtnPerItem, 40.0);
    kt::SetKilograms(true);
    lines.InitPortionTypes();
    int pork = lines.AddLine(kt::Pad("701", 12), "CS ", "", 0, 0, "", 1);
    lines.EditPortionType(pork, "lbs");
    EXPECT_DOUBLE_EQ(lines.Line(pork)->m_dPtnPerItem, 18.0 * 1000.0 / 453.59237);
}

TEST_F(Lines, SameOrUnknownTypesAndTheSameSellPriceChangeNothing) {
    int a = lines.AddLine("X", "", "", 3.0, 5.0, "GAL", 1);
    int shown = displays;
    bool converted = true;
    EXPECT_FALSE(lines.EditPortionType(a, "GAL", &converted));
    EXPECT_FALSE(converted);
    EXPECT_EQ(displays, shown);

    int b = lines.AddLine("Y", "", "", 3.0, 5.0, "BOWL", 1);
    lines.EditPortionType(b, "DISH", &converted);
    EXPECT_FALSE(converted);
    EXPECT_DOUBLE_EQ(lines.Line(b)->m_dPtnPerItem, 5.0);
    EXPECT_EQ(lines.Line(b)->m_strPtnType, "DISH");

    lines.EditPortionType(b, "   ", &converted); // a blank text keeps the type
    EXPECT_FALSE(converted);
    EXPECT_EQ(lines.Line(b)->m_strPtnType, "DISH");

    // A sell price redisplays only when it changes.
    shown = displays;
    EXPECT_TRUE(lines.SetSellPrice(10));
    EXPECT_GT(displays, shown);
    shown = displays;
    EXPECT_FALSE(lines.SetSellPrice(10));
    EXPECT_EQ(displays, shown);
}

} // namespace
