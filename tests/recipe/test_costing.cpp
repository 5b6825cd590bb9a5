// Rounding, display formats, line formulas and recipe totals.
#include "Costing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

CMenuItemDetail MakeLine(double cost, double ptnPerItem, double ptns) {
    CMenuItemDetail line;
    line.m_dItemCost = cost;
    line.m_dPtnPerItem = ptnPerItem;
    line.m_dPtns = ptns;
    return line;
}

TEST(RoundCents, HalfCentsGoUpAndNegativesRoundTheirMagnitude) {
    EXPECT_DOUBLE_EQ(RoundCents(1.125), 1.13);
    EXPECT_DOUBLE_EQ(RoundCents(12.3456), 12.35);
    EXPECT_DOUBLE_EQ(RoundCents(12.344), 12.34);
    EXPECT_DOUBLE_EQ(RoundCents(-1.235), -1.24);
    EXPECT_DOUBLE_EQ(RoundCents(-12.344), -12.34);
    EXPECT_FALSE(std::signbit(RoundCents(-0.004))); // no -0.00
    EXPECT_DOUBLE_EQ(RoundCents(0.0), 0.0);
}

// A figure already in whole cents comes back as it is, whatever its sign, however often it is
// rounded again: the rounding applied on every load must not eat a cent each time.
TEST(RoundCents, WholeCentsAreFixedPointsOnBothSides) {
    for (int cents = -200000; cents <= 200000; ++cents) {
        const double amount = cents / 100.0;
        double again = amount;
        for (int round = 0; round < 3; ++round)
            again = RoundCents(again);
        ASSERT_EQ(again, amount) << cents;
        ASSERT_EQ(RoundCents(-amount), -RoundCents(amount)) << cents;
    }
}

TEST(RoundCents, ValuesBeyondThirtyTwoBitCentsAreClampedNotConverted) {
    const double top = 2147483647.0 / 100.0;
    EXPECT_DOUBLE_EQ(RoundCents(std::numeric_limits<double>::infinity()), top);
    EXPECT_DOUBLE_EQ(RoundCents(-std::numeric_limits<double>::infinity()), -top);
    EXPECT_DOUBLE_EQ(RoundCents(1e12), top);
    EXPECT_DOUBLE_EQ(RoundCents(-1e12), -top);
    EXPECT_DOUBLE_EQ(RoundCents(std::nan("")), 0.0);
    EXPECT_DOUBLE_EQ(RoundCents(21474836.0), 21474836.0);
}

TEST(Formats, AmountsPortionsAndPercents) {
    EXPECT_EQ(FormatAmount(1.125), "1.13"); // a tie rounds away from zero on every platform
    EXPECT_EQ(FormatAmount(-1.125), "-1.13");
    EXPECT_EQ(FormatAmount(2.675), "2.67"); // 2.675 is just below the tie in binary
    EXPECT_EQ(FormatAmount(0), "0.00");
    EXPECT_EQ(FormatPortions(2.5), "2.5");
    EXPECT_EQ(FormatPortions(10), "10");
    EXPECT_EQ(FormatPortions(0), "0");
    EXPECT_EQ(FormatPortions(0.125), "0.125");
    EXPECT_EQ(FormatPortions(100.0), "100");
    EXPECT_EQ(FormatPercent(75), "75.00%");
    EXPECT_EQ(FormatPercent(-12.5), "-12.50%");
    EXPECT_EQ(FormatAmount(1e300).size(), 304u); // no fixed buffer to overrun
}

TEST(Formats, LeadingNumberOfATypedText) {
    EXPECT_DOUBLE_EQ(LeadingNumber("2.5 lb"), 2.5);
    EXPECT_DOUBLE_EQ(LeadingNumber("abc"), 0.0);
    EXPECT_DOUBLE_EQ(LeadingNumber(""), 0.0);
    EXPECT_DOUBLE_EQ(LeadingNumber("  -3"), -3.0);
}

TEST(LineFormulas, PortionCostLineCostAndFoodCostPercent) {
    CMenuItemDetail line = MakeLine(10.0, 4.0, 3.0);
    EXPECT_DOUBLE_EQ(PortionCost(line), 2.5);
    EXPECT_DOUBLE_EQ(LineRecipeCost(line), 7.5);
    LineTexts t = FormatLine(line, 20.0);
    EXPECT_EQ(t.itemCost, "10.00");
    EXPECT_EQ(t.ptnPerItem, "4");
    EXPECT_EQ(t.ptnCost, "2.50");
    EXPECT_EQ(t.ptns, "3");
    EXPECT_EQ(t.recipeCost, "7.50");
    EXPECT_EQ(t.foodCostPercent, "37.50%");
}

TEST(LineFormulas, LineCostRoundsTheProductNotThePortionCost) {
    CMenuItemDetail line = MakeLine(10.0, 3.0, 2.0);
    EXPECT_DOUBLE_EQ(PortionCost(line), 3.33);
    EXPECT_DOUBLE_EQ(LineRecipeCost(line), 6.67);
}

TEST(LineFormulas, SellPriceZeroLeavesFoodCostEmptyAndNegativeStillGivesIt) {
    CMenuItemDetail line = MakeLine(10.0, 4.0, 3.0);
    EXPECT_EQ(FormatLine(line, 0.0).foodCostPercent, "");
    EXPECT_EQ(FormatLine(line, -10.0).foodCostPercent, "-75.00%");
}

TEST(LineFormulas, ZeroPortionsPerItemCountsAsNoCostAndShowsEmpty) {
    CMenuItemDetail line = MakeLine(10.0, 0.0, 3.0);
    EXPECT_DOUBLE_EQ(PortionCost(line), 0.0);
    EXPECT_DOUBLE_EQ(LineRecipeCost(line), 0.0);
    LineTexts t = FormatLine(line, 20.0);
    EXPECT_EQ(t.ptnCost, "");
    EXPECT_EQ(t.recipeCost, "");
    EXPECT_EQ(t.foodCostPercent, "");
    EXPECT_EQ(t.ptnPerItem, "0");
}

TEST(LineFormulas, TypedCostIsUsedAsTypedAndOnlyShownRounded) {
    CMenuItemDetail line = MakeLine(1.125, 1.0, 100.0);
    EXPECT_EQ(FormatLine(line, 0).itemCost, "1.13");
    EXPECT_DOUBLE_EQ(LineRecipeCost(line), 112.5);
}

TEST(LineFormulas, EqualityCoversWhatTheRecipeKeeps) {
    CMenuItemDetail a = MakeLine(1, 2, 3), b = a;
    b.m_strBrand = "other";
    b.m_dDefaultItemCost = 9;
    EXPECT_TRUE(a == b);
    b.m_dPtns = 4;
    EXPECT_FALSE(a == b);
    b = a;
    b.m_strPtnType = "CUP";
    EXPECT_FALSE(a == b);
}

TEST(Totals, ProfitFoodCostAndSuggestedPrice) {
    RecipeTotals t = ComputeTotals(7.5, 20.0, 25.0);
    EXPECT_EQ(t.RecipeCostText(), "7.50");
    EXPECT_EQ(t.ProfitText(), "12.50");
    EXPECT_EQ(t.FoodCostPercentText(), "37.50");
    EXPECT_EQ(t.SuggestedPriceText(), "30.00");
}

TEST(Totals, EmptyFiguresWithoutSellPriceOrDesiredPercent) {
    RecipeTotals t = ComputeTotals(7.5, 0.0, 0.0);
    EXPECT_EQ(t.ProfitText(), "-7.50");
    EXPECT_EQ(t.FoodCostPercentText(), "");
    EXPECT_EQ(t.SuggestedPriceText(), "");
    EXPECT_EQ(ComputeTotals(7.5, -10.0, -5.0).FoodCostPercentText(), "-75.00");
    EXPECT_EQ(ComputeTotals(7.5, -10.0, -5.0).SuggestedPriceText(), "");
}

} // namespace
