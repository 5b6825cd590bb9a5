// An item's costing defaults for one customer and unit: description, units of sale, portion type,
// brand, the customer's price, pack quantity and the unit's weight and volume.
#pragma once

#include <array>
#include <string>

class CDefaultItemInfo {
public:
    CDefaultItemInfo() = default;
    virtual ~CDefaultItemInfo() = default;

    // Looks the item up in the item history, item unit and item master files of the database
    // directory (empty: the current directory) and asks the pricing library for the customer's
    // price. Returns the found flag: whether the item master has the item. m_nStatus tells why not.
    bool Load(const std::string& customer, const std::string& item, const std::string& unit,
              const std::string& directory = {});

    bool m_bFound = false;
    // 0 when the item and its unit are on file; 4 when either is not; any other value is the status
    // of a file that could not be read, so the defaults are incomplete and the item may well exist.
    int m_nStatus = 0;
    std::string m_strDescription;
    std::array<std::string, 3> m_strUnits;
    std::string m_strDefaultPtnType;
    std::string m_strBrand;
    double m_dCost = 0;
    double m_dPtnPerItem = 1;
    double m_dWeightPerUnit = 0;
    double m_dVolumePerUnit = 0;
};
