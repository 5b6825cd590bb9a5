#include "CPortionInfo.h"

#include "ControlDB.h"
#include "DbContext.h"

const std::vector<CPortionInfo>& StandardPortionTypes() {
    static const std::vector<CPortionInfo> types = {
        {"PC", CPortionInfo::kCount, 1.0},         {"GAL", CPortionInfo::kVolume, 3785.4},
        {"QT", CPortionInfo::kVolume, 946.35},     {"pint", CPortionInfo::kVolume, 473.1765},
        {"CUP", CPortionInfo::kVolume, 236.59},    {"flOZ", CPortionInfo::kVolume, 29.57353},
        {"tbs", CPortionInfo::kVolume, 14.787},    {"tsp", CPortionInfo::kVolume, 4.929},
        {"L", CPortionInfo::kVolume, 1000.0},      {"mL", CPortionInfo::kVolume, 1.0},
        {"lbs", CPortionInfo::kWeight, 453.59237}, {"oz", CPortionInfo::kWeight, 28.3495231},
        {"kg", CPortionInfo::kWeight, 1000.0},     {"g", CPortionInfo::kWeight, 1.0},
    };
    return types;
}

CPortionInfo FindPortionType(const std::vector<CPortionInfo>& types, const std::string& name) {
    for (const CPortionInfo& type : types)
        if (type.m_strName == name) return type;
    return CPortionInfo(name, CPortionInfo::kCount, 0.0);
}

double ReadCompanyWeightUnit(const std::string& directory) {
    std::string path = CDbContext(directory).PathOf("CONTROL.DB");
    bool kilograms = ReadControlFlag("COMPANY.KG_LB&", path.c_str());
    return kilograms ? kGramsPerKilogram : kGramsPerPound;
}
