// Portion types: how big one portion is in its kind's base unit.
#pragma once

#include <string>
#include <vector>

class CPortionInfo {
public:
    enum Kind { kCount = 0, kVolume = 1, kWeight = 2 };

    CPortionInfo() = default;
    CPortionInfo(std::string name, int kind, double factor)
        : m_strName(std::move(name)), m_nKind(kind), m_dFactor(factor) {}
    virtual ~CPortionInfo() = default;

    std::string m_strName;
    int m_nKind = kCount;
    double m_dFactor = 0; // 1 for a count, millilitres for a volume, grams for a weight
};

// The fourteen portion types in the order the portion type column offers them.
const std::vector<CPortionInfo>& StandardPortionTypes();

// The type of that exact name (case matters); a name not in the table has kind count and factor 0.
CPortionInfo FindPortionType(const std::vector<CPortionInfo>& types, const std::string& name);

// Grams per company weight unit: kilograms when "COMPANY.KG_LB&" is set in the control file of the
// directory (empty: the current one), pounds otherwise, also when the file or setting is missing.
double ReadCompanyWeightUnit(const std::string& directory = {});

constexpr double kGramsPerPound = 453.59237;
constexpr double kGramsPerKilogram = 1000.0;
