#include "CRecipeLines.h"

#include "CDefaultItemInfo.h"
#include "Costing.h"

#include <cmath>

namespace {

std::string PadRight(std::string text, size_t width) {
    if (text.size() < width) text.resize(width, ' ');
    return text;
}

// The total is a sum of whole cents; snapping to the nearest cent keeps binary fractions from
// piling up (a total that should be 0 never shows as -0.00).
double SnapCents(double total) {
    double cents = total * 100.0;
    if (!std::isfinite(cents) || std::fabs(cents) > 1e15) return total;
    return std::nearbyint(cents) / 100.0;
}

} // namespace

void CompleteLine(CMenuItemDetail& line, const std::string& customer, const std::string& directory,
                  int* status) {
    line.m_dItemCost = RoundCents(line.m_dItemCost);

    CDefaultItemInfo defaults;
    const bool found = defaults.Load(customer, line.m_strItem, line.m_strUnit, directory);
    if (status) *status = defaults.m_nStatus;
    if (found) {
        // A line holds what its record holds: the item master's longer descriptions are cut.
        if (line.m_strDescription.empty())
            line.m_strDescription = defaults.m_strDescription.substr(0, kLineDescriptionWidth);
        line.m_dDefaultItemCost = defaults.m_dCost;
        line.m_dDefaultPtnPerItem = defaults.m_dPtnPerItem;
        line.m_strDefaultPtnType = defaults.m_strDefaultPtnType;
        line.m_strUnits = defaults.m_strUnits;
        line.m_strBrand = defaults.m_strBrand;
        line.m_dWeightPerUnit = defaults.m_dWeightPerUnit;
        line.m_dVolumePerUnit = defaults.m_dVolumePerUnit;
    } else {
        line.m_dDefaultItemCost = 0;
        line.m_dDefaultPtnPerItem = 1;
        line.m_strDefaultPtnType = "PC";
        line.m_dWeightPerUnit = 0;
        line.m_dVolumePerUnit = 0;
        line.m_strUnits = {};
    }
    line.m_strItem = PadRight(line.m_strItem, 12);
    line.m_strUnit = PadRight(line.m_strUnit, 3);

    // No cost (0, or not a number) takes the default price; a negative cost is a credit the
    // recipe keeps, so it comes back unchanged from every load.
    if (line.m_dItemCost == 0 || std::isnan(line.m_dItemCost)) line.m_dItemCost = line.m_dDefaultItemCost;
    if (!(line.m_dPtnPerItem > 0)) line.m_dPtnPerItem = line.m_dDefaultPtnPerItem;

    line.m_strPtnType = Trim(line.m_strPtnType);
    if (line.m_strPtnType.empty()) line.m_strPtnType = line.m_strDefaultPtnType;
    line.m_strPtnType = TrimRight(line.m_strPtnType);

    line.m_dDefaultItemCost = RoundCents(line.m_dDefaultItemCost);
    line.m_dItemCost = RoundCents(line.m_dItemCost);
}

bool ConvertPortionType(CMenuItemDetail& line, const std::string& oldName,
                        const std::vector<CPortionInfo>& types, double gramsPerWeightUnit) {
    CPortionInfo from = FindPortionType(types, oldName);
    CPortionInfo to = FindPortionType(types, line.m_strPtnType);
    if (to.m_dFactor == from.m_dFactor && to.m_nKind == from.m_nKind) return false;

    if (to.m_nKind == from.m_nKind && from.m_dFactor != 0 && to.m_dFactor != 0) {
        line.m_dPtnPerItem = line.m_dPtnPerItem * from.m_dFactor / to.m_dFactor;
        return true;
    }
    double base = 0;
    switch (to.m_nKind) {
    case CPortionInfo::kCount:
        base = line.m_dDefaultPtnPerItem != 0 ? line.m_dDefaultPtnPerItem : 1.0;
        break;
    case CPortionInfo::kVolume:
        base = line.m_dVolumePerUnit != 0 ? line.m_dVolumePerUnit : 1.0;
        break;
    case CPortionInfo::kWeight:
        base = (line.m_dWeightPerUnit != 0 ? line.m_dWeightPerUnit : 1.0) * gramsPerWeightUnit;
        break;
    default:
        return true;
    }
    line.m_dPtnPerItem = to.m_dFactor != 0 ? base / to.m_dFactor : base;
    return true;
}

CRecipeLines::CRecipeLines(std::string directory) : m_strDirectory(std::move(directory)) {}

void CRecipeLines::InitPortionTypes() {
    m_dWeightUnit = ReadCompanyWeightUnit(m_strDirectory);
    if (m_arrPtnTypes.empty()) m_arrPtnTypes = StandardPortionTypes();
}

int CRecipeLines::AddLine(const std::string& item, const std::string& unit, const std::string& description,
                          double itemCost, double ptnPerItem, const std::string& ptnType, double ptns) {
    auto line = std::make_unique<CMenuItemDetail>();
    line->m_strItem = item;
    line->m_strUnit = unit;
    line->m_strDescription = description;
    line->m_dItemCost = itemCost;
    line->m_dPtnPerItem = ptnPerItem;
    line->m_strPtnType = ptnType;
    line->m_dPtns = ptns;
    int status = 0;
    CompleteLine(*line, m_strCustomer, m_strDirectory, &status);
    NoteLookup(status);
    int index = static_cast<int>(m_arrLines.size());
    m_arrLines.push_back(std::move(line));
    Display(index);
    Add(*m_arrLines.back());
    return index;
}

CMenuItemDetail* CRecipeLines::Slot(int index) {
    if (index < 0 || index >= static_cast<int>(m_arrLines.size())) return nullptr;
    return m_arrLines[static_cast<size_t>(index)].get();
}

const CMenuItemDetail* CRecipeLines::Line(int index) const {
    if (index < 0 || index >= static_cast<int>(m_arrLines.size())) return nullptr;
    return m_arrLines[static_cast<size_t>(index)].get();
}

bool CRecipeLines::GetLine(int index, CMenuItemDetail& line) const {
    const CMenuItemDetail* found = Line(index);
    if (!found) return false;
    line = *found;
    return true;
}

bool CRecipeLines::RemoveLine(int index) {
    CMenuItemDetail* line = Slot(index);
    if (!line) return false;
    Subtract(*line);
    m_arrLines[static_cast<size_t>(index)].reset();
    return true;
}

void CRecipeLines::ClearLines() {
    m_arrLines.clear();
    m_dTotal = 0;
}

bool CRecipeLines::SetSellPrice(double sellPrice) {
    if (sellPrice == m_dSellPrice) return false;
    m_dSellPrice = sellPrice;
    for (int i = 0; i < GetSlotCount(); ++i)
        if (Line(i)) Display(i);
    return true;
}

bool CRecipeLines::LoadItemDefaults(int index, const std::string& item, const std::string& unit) {
    CMenuItemDetail* line = Slot(index);
    CDefaultItemInfo defaults;
    bool found = defaults.Load(m_strCustomer, item, unit, m_strDirectory);
    NoteLookup(defaults.m_nStatus);
    if (!found || !line) return found;
    Subtract(*line);
    line->m_strItem = item;
    line->m_strUnit = unit;
    line->m_dDefaultItemCost = RoundCents(defaults.m_dCost);
    line->m_dDefaultPtnPerItem = defaults.m_dPtnPerItem;
    line->m_strDefaultPtnType = defaults.m_strDefaultPtnType;
    line->m_dItemCost = defaults.m_dCost;
    line->m_dPtnPerItem = defaults.m_dPtnPerItem;
    line->m_strPtnType = defaults.m_strDefaultPtnType;
    line->m_strDescription = defaults.m_strDescription.substr(0, kLineDescriptionWidth);
    line->m_strBrand = defaults.m_strBrand;
    line->m_dWeightPerUnit = defaults.m_dWeightPerUnit;
    line->m_dVolumePerUnit = defaults.m_dVolumePerUnit;
    line->m_strUnits = defaults.m_strUnits;
    Display(index);
    Add(*line);
    if (m_onRecalc) m_onRecalc(0);
    return true;
}

bool CRecipeLines::EditDescription(int index, const std::string& text) {
    CMenuItemDetail* line = Slot(index);
    if (!line) return false;
    CMenuItemDetail before = *line;
    Subtract(*line);
    line->m_strDescription = text;
    Display(index);
    Add(*line);
    return FinishEdit(index, before);
}

bool CRecipeLines::EditItemCost(int index, double cost) {
    CMenuItemDetail* line = Slot(index);
    if (!line) return false;
    CMenuItemDetail before = *line;
    Subtract(*line);
    line->m_dItemCost = cost;
    Display(index);
    Add(*line);
    return FinishEdit(index, before);
}

bool CRecipeLines::EditPtnPerItem(int index, double ptnPerItem) {
    CMenuItemDetail* line = Slot(index);
    if (!line) return false;
    CMenuItemDetail before = *line;
    Subtract(*line);
    line->m_dPtnPerItem = ptnPerItem;
    Display(index);
    Add(*line);
    return FinishEdit(index, before);
}

bool CRecipeLines::EditPtns(int index, double ptns) {
    CMenuItemDetail* line = Slot(index);
    if (!line) return false;
    CMenuItemDetail before = *line;
    Subtract(*line);
    line->m_dPtns = ptns;
    Display(index);
    Add(*line);
    return FinishEdit(index, before);
}

bool CRecipeLines::EditUnit(int index, const std::string& text) {
    CMenuItemDetail* line = Slot(index);
    if (!line) return false;
    CMenuItemDetail before = *line;
    if (!Trim(text).empty()) line->m_strUnit = text;
    LoadItemDefaults(index, line->m_strItem, line->m_strUnit);
    return FinishEdit(index, before);
}

bool CRecipeLines::EditPortionType(int index, const std::string& text, bool* converted) {
    if (converted) *converted = false;
    CMenuItemDetail* line = Slot(index);
    if (!line) return false;
    CMenuItemDetail before = *line;
    std::string oldName = TrimRight(line->m_strPtnType);
    if (!Trim(text).empty()) line->m_strPtnType = TrimRight(text);
    // The conversion works on the line as it is after the new name; its cost moves with it.
    CMenuItemDetail probe = *line;
    if (ConvertPortionType(probe, oldName, m_arrPtnTypes, m_dWeightUnit)) {
        Subtract(*line);
        line->m_dPtnPerItem = probe.m_dPtnPerItem;
        Display(index);
        Add(*line);
        if (converted) *converted = true;
    }
    return FinishEdit(index, before);
}

bool CRecipeLines::MakeCustom(int index, const std::string& item) {
    CMenuItemDetail* line = Slot(index);
    if (!line) return false;
    line->m_strItem = item;
    line->m_strUnits = {};
    line->m_strBrand.clear();
    line->m_dDefaultItemCost = 0;
    line->m_dDefaultPtnPerItem = 1;
    line->m_strDefaultPtnType = "PC";
    line->m_dWeightPerUnit = 0;
    line->m_dVolumePerUnit = 0;
    Display(index);
    return true;
}

bool CRecipeLines::FinishEdit(int index, const CMenuItemDetail& before) {
    const CMenuItemDetail* line = Line(index);
    bool changed = line && *line != before;
    if (changed && m_onRecalc) m_onRecalc(1);
    return changed;
}

void CRecipeLines::Subtract(const CMenuItemDetail& line) {
    m_dTotal = SnapCents(m_dTotal - LineRecipeCost(line));
}

void CRecipeLines::Add(const CMenuItemDetail& line) {
    m_dTotal = SnapCents(m_dTotal + LineRecipeCost(line));
}

void CRecipeLines::Display(int index) {
    if (m_onDisplay) m_onDisplay(index);
}
