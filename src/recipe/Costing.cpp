#include "Costing.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

double RoundCents(double amount) {
    // The magnitude is rounded and the sign kept, so -x rounds to exactly -(x rounded): a negative
    // figure read back from a record does not lose a cent each time it is rounded again.
    if (std::isnan(amount)) return 0.0;
    const bool negative = amount < 0;
    const double cents = std::fabs(amount) * 100.0 + 0.5;
    constexpr double kMax = std::numeric_limits<int32_t>::max();
    const double rounded = cents >= kMax ? kMax : static_cast<double>(static_cast<int32_t>(cents));
    if (rounded == 0) return 0.0; // never -0.00 on screen
    return negative ? -rounded / 100.0 : rounded / 100.0;
}

std::string FormatDouble(const char* format, double value, int precision) {
    char small[64];
    int n = std::snprintf(small, sizeof small, format, precision, value);
    if (n < 0) return {};
    if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
    std::vector<char> big(static_cast<size_t>(n) + 1);
    std::snprintf(big.data(), big.size(), format, precision, value);
    return std::string(big.data(), static_cast<size_t>(n));
}

std::string FormatFixed(double value, int decimals) {
    if (std::isfinite(value) && value != 0.0) {
        // A value exactly halfway between two shown values rounds away from zero (1.125 shows as
        // 1.13), whatever the C library's own rule for ties is.
        std::string exact = FormatDouble("%.*f", value, decimals + 30);
        size_t point = exact.find('.');
        if (point != std::string::npos) {
            std::string tail = exact.substr(point + 1 + static_cast<size_t>(decimals));
            if (!tail.empty() && tail[0] == '5' && tail.find_first_not_of('0', 1) == std::string::npos)
                value = std::nextafter(value, value > 0 ? HUGE_VAL : -HUGE_VAL);
        }
    }
    return FormatDouble("%.*f", value, decimals);
}

std::string FormatAmount(double amount) {
    return FormatFixed(amount, 2);
}

std::string FormatPortions(double portions) {
    std::string text = FormatFixed(portions, 6);
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

std::string FormatPercent(double percent) {
    return FormatFixed(percent, 2) + "%";
}

double LeadingNumber(const std::string& text) {
    return std::strtod(text.c_str(), nullptr);
}

std::string TrimRight(const std::string& text) {
    size_t end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

std::string Trim(const std::string& text) {
    size_t begin = text.find_first_not_of(' ');
    if (begin == std::string::npos) return {};
    size_t end = text.find_last_not_of(' ');
    return text.substr(begin, end - begin + 1);
}

bool HasLineCost(const CMenuItemDetail& line) {
    return line.m_dPtnPerItem != 0.0;
}

double PortionCost(const CMenuItemDetail& line) {
    if (!HasLineCost(line)) return 0.0;
    return RoundCents(line.m_dItemCost / line.m_dPtnPerItem);
}

double LineRecipeCost(const CMenuItemDetail& line) {
    if (!HasLineCost(line)) return 0.0;
    return RoundCents(line.m_dItemCost / line.m_dPtnPerItem * line.m_dPtns);
}

bool LineFoodCostPercent(const CMenuItemDetail& line, double sellPrice, double& percent) {
    percent = 0.0;
    if (sellPrice == 0.0 || !HasLineCost(line)) return false;
    percent = LineRecipeCost(line) / sellPrice * 100.0;
    return true;
}

LineTexts FormatLine(const CMenuItemDetail& line, double sellPrice) {
    LineTexts t;
    t.item = line.m_strItem;
    t.unit = line.m_strUnit;
    t.description = line.m_strDescription;
    t.brand = line.m_strBrand;
    t.itemCost = FormatAmount(line.m_dItemCost);
    t.ptnPerItem = FormatPortions(line.m_dPtnPerItem);
    t.ptnType = line.m_strPtnType;
    t.ptns = FormatPortions(line.m_dPtns);
    if (HasLineCost(line)) {
        t.ptnCost = FormatAmount(PortionCost(line));
        t.recipeCost = FormatAmount(LineRecipeCost(line));
    }
    double percent = 0;
    if (LineFoodCostPercent(line, sellPrice, percent)) t.foodCostPercent = FormatPercent(percent);
    return t;
}

std::string RecipeTotals::FoodCostPercentText() const {
    return hasFoodCostPercent ? FormatAmount(foodCostPercent) : std::string();
}

std::string RecipeTotals::SuggestedPriceText() const {
    return hasSuggestedPrice ? FormatAmount(suggestedPrice) : std::string();
}

RecipeTotals ComputeTotals(double recipeCost, double sellPrice, double desiredFoodCostPercent) {
    RecipeTotals totals;
    totals.recipeCost = recipeCost;
    totals.profit = sellPrice - recipeCost;
    if (sellPrice != 0.0) {
        totals.hasFoodCostPercent = true;
        totals.foodCostPercent = recipeCost / sellPrice * 100.0;
    }
    if (desiredFoodCostPercent > 0.0) {
        totals.hasSuggestedPrice = true;
        totals.suggestedPrice = recipeCost / (desiredFoodCostPercent / 100.0);
    }
    return totals;
}
