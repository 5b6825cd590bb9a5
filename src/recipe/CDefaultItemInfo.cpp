#include "CDefaultItemInfo.h"

#include "Costing.h"
#include "DbContext.h"
#include "ItemDB.h"
#include "ItemUnitDB.h"
#include "Pricing.h"
#include "VelocityDB.h"

bool CDefaultItemInfo::Load(const std::string& customer, const std::string& item, const std::string& unit,
                            const std::string& directory) {
    // Every field starts afresh, so a reused object never carries the previous item's values.
    *this = CDefaultItemInfo();

    // The first file that cannot be read decides the status; a missing record only gives 4.
    auto note = [this](int status) {
        if (status == 0) return;
        const bool missing = status == 4 || status == 9;
        if (m_nStatus == 0 || (m_nStatus == 4 && !missing)) m_nStatus = missing ? 4 : status;
    };

    CPriceRequest request;
    request.SetItem(item);
    request.SetUnit(unit);
    request.SetCustomer(customer);

    {
        CVelocityDB history;
        const int open = history.OpenIn(CDbContext(directory));
        note(open);
        if (open == 0) {
            CVelocity record;
            const int status = history.GetHistory(record, customer, item, unit);
            // No history for this customer is usual; only a failed read counts.
            if (status != 4 && status != 9) note(status);
            if (status == 0 && record.m_tLastDate != -1)
                request.SetHistory(true, record.m_fAmount1, record.m_fAmount2);
            history.Close();
        }
    }
    {
        CItemUnitDB units;
        const int open = units.OpenIn(CDbContext(directory));
        note(open);
        if (open == 0) {
            CItemUnit record;
            const int status = units.FindUnit(record, item, unit);
            note(status);
            if (status == 0) {
                request.SetPricingFigures(record.m_fPricing116, record.m_fPricing272, record.m_fPricing60);
                m_dWeightPerUnit = record.m_fWeight;
                m_dVolumePerUnit = record.m_fVolume;
            }
            units.Close();
        }
    }
    {
        CItemDB items;
        const int open = items.OpenIn(CDbContext(directory));
        note(open);
        if (open == 0) {
            CItem record;
            const int status = items.GetRecord(record, item);
            note(status);
            if (status == 0) {
                m_strDescription = record.m_strDescription;
                m_dPtnPerItem = record.m_nPackQuantity > 1 ? record.m_nPackQuantity : 1;
                m_strDefaultPtnType = record.m_strPortionType;
                m_strBrand = record.m_strBrand;
                m_strUnits = record.m_arrUnits;
                request.SetItemFlags(record.m_bFlag7, record.m_bFlag8);
                m_bFound = true;
            }
            items.Close();
        }
    }

    m_strDefaultPtnType = TrimRight(m_strDefaultPtnType);
    if (m_strDefaultPtnType.empty()) m_strDefaultPtnType = "PC";

    if (DefaultPrice(request.Data()) != -1) m_dCost = RoundCents(request.GetPrice());
    return m_bFound;
}
