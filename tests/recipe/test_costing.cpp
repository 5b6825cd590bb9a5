// Rounding, display formats, line formulas and recipe totals.
#include "Costing.h"

#include <gtest/gtest.h>

#include <array>
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

TEST(RoundCents, HalfCentsGoUpNegativesRoundTheirMagnitudeAndHugeValuesClamp) {
    const double top = 2147483647.0 / 100.0, inf = std::numeric_limits<double>::infinity();
    const std::pair<double, double> cases[] = {
        {1.125, 1.13},       {12.3456, 12.35},
        {12.344, 12.34},     {-1.235, -1.24},
        {-12.344, -12.34},   {0.0, 0.0},
        {inf, top},          {-inf, -top},
        {1e12, top},         {-1e12, -top},
        {std::nan(""), 0.0}, {21474836.0, 21474836.0}, // beyond 32-bit cents: clamped, not converted
    };
    for (auto [value, rounded] : cases)
        EXPECT_DOUBLE_EQ(RoundCents(value), rounded) << value;
    EXPECT_FALSE(std::signbit(RoundCents(-0.004))); // no -0.00
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

TEST(Formats, AmountsPortionsPercentsAndTypedNumbers) {
    EXPECT_EQ(FormatAmount(1.125), "1.13"); // a tie rounds away from zero on every platform
    EXPECT_EQ(FormatAmount(-1.125), "-1.13");
    EXPECT_EQ(FormatAmount(2.675), "2.67"); // 2.675 is just below the tie in binary
    EXPECT_EQ(FormatAmount(0), "0.00");
    for (auto [value, text] :
         {std::pair{2.5, "2.5"}, {10.0, "10"}, {0.0, "0"}, {0.125, "0.125"}, {100.0, "100"}})
        EXPECT_EQ(FormatPortions(value), text);
    EXPECT_EQ(FormatPercent(75), "75.00%");
    EXPECT_EQ(FormatPercent(-12.5), "-12.50%");
    EXPECT_EQ(FormatAmount(1e300).size(), 304u); // no fixed buffer to overrun
    for (auto [text, value] : {std::pair{"2.5 lb", 2.5}, {"abc", 0.0}, {"", 0.0}, {"  -3", -3.0}})
        EXPECT_DOUBLE_EQ(LeadingNumber(text), value) << text;
}

// Each line: its figures, the sell price, and what the grid shows from Item Cost to FC%.
TEST(LineFormulas, PortionAndLineCostFoodCostPercentAndTheirTexts) {
    struct Case {
        double cost, ptnPerItem, ptns, sellPrice, ptnCost, recipeCost;
        std::array<const char*, 6> texts; // item cost, ptn/item, ptn cost, ptns, recipe cost, FC%
    };
    const Case cases[] = {
        {10.0, 4.0, 3.0, 20.0, 2.5, 7.5, {"10.00", "4", "2.50", "3", "7.50", "37.50%"}},
        // The line cost rounds the product, not the portion cost.
        {10.0, 3.0, 2.0, 20.0, 3.33, 6.67, {"10.00", "3", "3.33", "2", "6.67", "33.35%"}},
        // No sell price: no FC%; a negative one still gives it.
        {10.0, 4.0, 3.0, 0.0, 2.5, 7.5, {"10.00", "4", "2.50", "3", "7.50", ""}},
        {10.0, 4.0, 3.0, -10.0, 2.5, 7.5, {"10.00", "4", "2.50", "3", "7.50", "-75.00%"}},
        // No portions per item counts as no cost and shows empty.
        {10.0, 0.0, 3.0, 20.0, 0.0, 0.0, {"10.00", "0", "", "3", "", ""}},
        // A typed cost is used as typed and only shown rounded.
        {1.125, 1.0, 100.0, 0.0, 1.13, 112.5, {"1.13", "1", "1.13", "100", "112.50", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.cost << " " << c.ptnPerItem << " " << c.ptns << " " << c.sellPrice);
        const CMenuItemDetail line = MakeLine(c.cost, c.ptnPerItem, c.ptns);
        EXPECT_DOUBLE_EQ(PortionCost(line), c.ptnCost);
        EXPECT_DOUBLE_EQ(LineRecipeCost(line), c.recipeCost);
        const LineTexts t = FormatLine(line, c.sellPrice);
        EXPECT_EQ((std::array<std::string, 6>{t.itemCost, t.ptnPerItem, t.ptnCost, t.ptns, t.recipeCost,
                                              t.foodCostPercent}),
                  (std::array<std::string, 6>{c.texts[0], c.texts[1], c.texts[2], c.texts[3], c.texts[4],
                                              c.texts[5]}));
    }
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

TEST(Totals, ProfitFoodCostAndSuggestedPriceEmptyWithoutTheirFigures) {
    RecipeTotals t = ComputeTotals(7.5, 20.0, 25.0);
    EXPECT_EQ(t.RecipeCostText(), "7.50");
    EXPECT_EQ(t.ProfitText(), "12.50");
    EXPECT_EQ(t.FoodCostPercentText(), "37.50");
    EXPECT_EQ(t.SuggestedPriceText(), "30.00");
    t = ComputeTotals(7.5, 0.0, 0.0);
    EXPECT_EQ(t.ProfitText(), "-7.50");
    EXPECT_EQ(t.FoodCostPercentText(), "");
    EXPECT_EQ(t.SuggestedPriceText(), "");
    t = ComputeTotals(7.5, -10.0, -5.0);
    EXPECT_EQ(t.FoodCostPercentText(), "-75.00");
    EXPECT_EQ(t.SuggestedPriceText(), "");
}

} // namespace
