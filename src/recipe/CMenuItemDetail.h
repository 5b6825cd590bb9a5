// One ingredient line of a recipe in memory.
#pragma once

#include <array>
#include <string>

class CMenuItemDetail {
public:
    CMenuItemDetail() = default;
    virtual ~CMenuItemDetail() = default;
    CMenuItemDetail(const CMenuItemDetail&) = default;
    CMenuItemDetail& operator=(const CMenuItemDetail&) = default;

    // Equal when an edit changed nothing the recipe keeps: the defaults and unit figures follow
    // from the item and are left out.
    bool operator==(const CMenuItemDetail& other) const {
        return m_strItem == other.m_strItem && m_strUnit == other.m_strUnit &&
               m_strDescription == other.m_strDescription && m_strPtnType == other.m_strPtnType &&
               m_dItemCost == other.m_dItemCost && m_dPtnPerItem == other.m_dPtnPerItem &&
               m_dPtns == other.m_dPtns;
    }
    bool operator!=(const CMenuItemDetail& other) const { return !(*this == other); }

    // A line of the item master has its first unit of sale; a custom ingredient has none.
    bool IsFromItemMaster() const { return !m_strUnits[0].empty(); }

    std::string m_strItem; // blank-padded to 12 when the line is built
    std::string m_strUnit; // blank-padded to 3 when the line is built
    std::string m_strDescription;
    std::string m_strPtnType; // no trailing blanks
    std::string m_strBrand;
    std::string m_strDefaultPtnType = "PC";
    std::array<std::string, 3> m_strUnits;
    double m_dItemCost = 0;
    double m_dPtnPerItem = 0;
    double m_dPtns = 0;
    double m_dDefaultItemCost = 0;
    double m_dDefaultPtnPerItem = 1;
    double m_dWeightPerUnit = 0; // in the company weight unit
    double m_dVolumePerUnit = 0; // millilitres
};
