// ITEMUNIT.DB: one record per item and unit of sale, shared with the order-entry programs.
#pragma once

#include "RecordFile.h"

#include <array>

class CItemUnit {
public:
    std::string m_strCode16;
    std::string m_strItemNumber; // keys 0, 1, 2
    std::string m_strText68;
    std::string m_strCode98;
    std::string m_strUnit; // key 2
    std::array<std::string, 10> m_arrTexts;
    std::string m_strText216;
    std::string m_strText36;
    std::string m_strText48;
    std::string m_strText308;
    std::string m_strText316;
    std::string m_strText336;
    bool m_bFlag1 = false, m_bFlag2 = false, m_bFlag3 = false;
    char m_cCode1 = ' ', m_cCode2 = ' '; // the first in key 0
    int32_t m_nNumber56 = 0;
    float m_fAmount28 = 0;
    float m_fVolume = 0;
    float m_fAmount44 = 0, m_fAmount276 = 0, m_fAmount268 = 0;
    float m_fPricing272 = 0, m_fPricing60 = 0;
    float m_fAmount64 = 0, m_fAmount112 = 0;
    float m_fPricing116 = 0;
    float m_fWeight = 0;
    float m_fAmount288 = 0, m_fAmount292 = 0, m_fAmount280 = 0;
    float m_fAmount296 = 0, m_fAmount300 = 0, m_fAmount304 = 0;
    std::array<float, 10> m_arrAmounts{}; // in the order of the ten texts
    float m_fAmount264 = 0;
};

class CItemUnitDB : public CRecordFile<CItemUnit, CItemUnitDB> {
public:
    static constexpr uint16_t kRecordLength = 356;
    static constexpr int kUniqueKey = 2; // item and unit

    static constexpr rec::FileFacts kFacts{"ITEMUNIT.DB", "Item Unit", true, true};
    int GetLineLength() const override;
    // The newest version's line.
    int FormatLine(const uint8_t* raw, std::string& output) override {
        output = rec::FormatLine(Fields(), raw, 544);
        return 0;
    }
    void ImportLine(int firstChar) override;

    int FindUnit(CItemUnit& unit, const std::string& itemNumber, const std::string& unitCode);

    static const rec::Layout<CItemUnit>& Fields();
    static const std::vector<BtrKeySegment>& KeySegments();

    // The interchange line of a version for a unit, line feed included.
    static std::string WriteLine(const CItemUnit& unit, int version);

protected:
    std::string m_strImportLine;
};
