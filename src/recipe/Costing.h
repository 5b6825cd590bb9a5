// The costing arithmetic of a recipe: rounding to cents, the line formulas, the recipe totals and
// their display texts.
#pragma once

#include "CMenuItemDetail.h"

#include <string>

// Multiply the magnitude by 100, add 0.5, truncate, divide by 100, keep the sign: 1.125 -> 1.13,
// -1.235 -> -1.24. A magnitude whose cents do not fit 32 bits is clamped, never converted; not a
// number gives 0.
double RoundCents(double amount);

// "%.2f"
std::string FormatAmount(double amount);
// "%f" with trailing zeros and then a trailing point removed: 2.5, 10.
std::string FormatPortions(double portions);
// "%.2f%%"
std::string FormatPercent(double percent);
// printf formatting ("%.*f" and kin: precision, then value) into a string of any length.
std::string FormatDouble(const char* format, double value, int precision);
// Fixed-point text with that many decimals; a value exactly halfway rounds away from zero.
std::string FormatFixed(double value, int decimals);

// The leading number of a typed text (0 when it has none), as a cell edit reads it.
double LeadingNumber(const std::string& text);

// Removes blanks at the end, or at both ends.
std::string TrimRight(const std::string& text);
std::string Trim(const std::string& text);

// Line formulas. A line with 0 portions per item has no portion cost and no line cost: they count
// as 0 and show as empty texts.
bool HasLineCost(const CMenuItemDetail& line);
double PortionCost(const CMenuItemDetail& line);    // R(item cost / portions per item)
double LineRecipeCost(const CMenuItemDetail& line); // R(item cost / portions per item x portions)
// Whether the line food cost % has a value, and the value: line cost / sell price x 100.
bool LineFoodCostPercent(const CMenuItemDetail& line, double sellPrice, double& percent);

// The display texts of a line's cells, in the grid's column order.
struct LineTexts {
    std::string item, unit, description, brand, itemCost, ptnPerItem, ptnCost, ptnType, ptns, recipeCost,
        foodCostPercent;
};
LineTexts FormatLine(const CMenuItemDetail& line, double sellPrice);

// The recipe's cost block.
struct RecipeTotals {
    double recipeCost = 0;
    double profit = 0;
    bool hasFoodCostPercent = false; // sell price not 0
    double foodCostPercent = 0;
    bool hasSuggestedPrice = false; // desired food cost % greater than 0
    double suggestedPrice = 0;

    std::string RecipeCostText() const { return FormatAmount(recipeCost); }
    std::string ProfitText() const { return FormatAmount(profit); }
    std::string FoodCostPercentText() const; // "%.2f", no percent sign; empty without a value
    std::string SuggestedPriceText() const;  // "%.2f"; empty without a value
};
RecipeTotals ComputeTotals(double recipeCost, double sellPrice, double desiredFoodCostPercent);
