// kestrel-db price DIR CUSTOMER ITEM UNIT: an item's costing defaults for a customer.
#include "command.h"

#include "CDefaultItemInfo.h"
#include "escaped.h"

#include <cstdio>

namespace {

std::string Pad(std::string text, size_t width) {
    if (text.size() < width) text.resize(width, ' ');
    return text;
}

int Run(const std::vector<std::string>& args) {
    auto pos = kdb::Positional(args, {});
    if (pos.size() != 4) {
        std::fprintf(stderr, "kestrel-db price: give DIR CUSTOMER ITEM UNIT\n");
        return 2;
    }
    // Item number and unit as a recipe line holds them: blank-filled to 12 and 3.
    CDefaultItemInfo info;
    info.Load(pos[1], Pad(pos[2], 12), Pad(pos[3], 3), pos[0]);
    std::printf("found             %s\n", info.m_bFound ? "yes" : "no");
    std::printf("description       %s\n", kdb::Escaped(info.m_strDescription).c_str());
    std::printf("units of sale     %s | %s | %s\n", kdb::Escaped(info.m_strUnits[0]).c_str(),
                kdb::Escaped(info.m_strUnits[1]).c_str(), kdb::Escaped(info.m_strUnits[2]).c_str());
    std::printf("portion type      %s\n", kdb::Escaped(info.m_strDefaultPtnType).c_str());
    std::printf("brand             %s\n", kdb::Escaped(info.m_strBrand).c_str());
    std::printf("cost              %.2f\n", info.m_dCost);
    std::printf("portions per item %g\n", info.m_dPtnPerItem);
    std::printf("weight per unit   %g\n", info.m_dWeightPerUnit);
    std::printf("volume per unit   %g mL\n", info.m_dVolumePerUnit);
    return info.m_bFound ? 0 : 1;
}

kdb::CommandRegistration
    reg({"price", "price DIR CUSTOMER ITEM UNIT",
         "Looks up the costing defaults of ITEM in UNIT for CUSTOMER in the database in\n"
         "DIR (item master, item unit, item history and the pricing rule) and prints\n"
         "every field. Exit status 1 when the item master lacks the item.",
         Run});

} // namespace
