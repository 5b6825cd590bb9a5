// ITEMUNIT.DB: one record per item and unit of sale, shared with the order-entry programs.
#pragma once

#include "RecordFile.h"

#include <array>

class CItemUnit {
public:
    KR_RECORD(CItemUnit);
    KR_FIELD(std::string, m_strItemNumber, 0, 12, Upper, 0, Kind::Key); // keys 0, 1, 2
    KR_FIELD(char, m_cCode1, 12, 1, Code, 15) = ' ';
    KR_FIELD(std::string, m_strUnit, 13, 3, Upper, 12, Kind::Key); // key 2
    KR_FIELD(std::string, m_strCode16, 16, 10, Upper, 83);
    KR_FIELD(float, m_fAmount28, 28, 4, F32, 136) = 0;
    KR_FIELD(float, m_fVolume, 32, 4, F32, 28) = 0;
    KR_FIELD(std::string, m_strText36, 36, 8, Text, 169);
    KR_FIELD(float, m_fAmount44, 44, 4, F32, 147) = 0;
    KR_FIELD(std::string, m_strText48, 48, 8, Text, 177);
    KR_FIELD(int32_t, m_nNumber56, 56, 4, I32, 185) = 0;
    KR_FIELD(float, m_fPricing60, 60, 4, F32, 50) = 0;
    KR_FIELD(float, m_fAmount64, 64, 4, F32, 158) = 0;
    KR_FIELD(std::string, m_strText68, 68, 30, Text, 93);
    KR_FIELD(std::string, m_strCode98, 98, 13, Upper, 123);
    KR_FIELD(bool, m_bFlag1, 111, 1, Flag, 16) = false;
    KR_FIELD(float, m_fAmount112, 112, 4, F32, 72) = 0;
    KR_FIELD(float, m_fPricing116, 116, 4, F32, 39) = 0;
    KR_FIELD(bool, m_bFlag2, 120, 1, Flag, 191) = false;
    KR_FIELD(float, m_fWeight, 124, 4, F32, 17) = 0;
    KR_FILL("unused at 128", 128, 3, Blanks);
    KR_FIELD(bool, m_bFlag3, 131, 1, Flag, 192) = false;
    KR_FILL("unused at 132", 132, 4, Zeros);
    KR_ARRAY(std::string, 10, m_arrTexts, 136, 8, Text, 341, 19);
    KR_FIELD(std::string, m_strText216, 216, 8, Text, 293);
    KR_ARRAY(float, 10, m_arrAmounts, 224, 4, F32, 349, 19){}; // in the order of the ten texts
    KR_FIELD(float, m_fAmount264, 264, 4, F32, 194) = 0;
    KR_FIELD(float, m_fAmount268, 268, 4, F32, 205) = 0;
    KR_FIELD(float, m_fPricing272, 272, 4, F32, 61) = 0;
    KR_FIELD(float, m_fAmount276, 276, 4, F32, 216) = 0;
    KR_FIELD(float, m_fAmount280, 280, 4, F32, 227) = 0;
    KR_FIELD(char, m_cCode2, 284, 1, Code, 193) = ' '; // the first in key 0
    KR_FIELD(float, m_fAmount288, 288, 4, F32, 238) = 0;
    KR_FIELD(float, m_fAmount292, 292, 4, F32, 249) = 0;
    KR_FIELD(float, m_fAmount296, 296, 4, F32, 260) = 0;
    KR_FIELD(float, m_fAmount300, 300, 4, F32, 271) = 0;
    KR_FIELD(float, m_fAmount304, 304, 4, F32, 282) = 0;
    KR_FIELD(std::string, m_strText308, 308, 8, Text, 531);
    KR_FIELD(std::string, m_strText316, 316, 20, UpperOnRead, 301);
    KR_FIELD(std::string, m_strText336, 336, 20, UpperOnRead, 321);
};

class CItemUnitDB : public CRecordFile<CItemUnit, CItemUnitDB> {
public:
    static constexpr uint16_t kRecordLength = 356;
    static constexpr int kUniqueKey = 2; // item and unit

    static constexpr rec::FileFacts kFacts{"ITEMUNIT.DB", "Item Unit", true, true};
    static constexpr rec::LineVersion kLines[] = {
        {770, 452}, {777, 463}, {1024, 504}, {1025, 524}, {INT_MAX, 544}};
    void ImportLine(int firstChar) override;

    int FindUnit(CItemUnit& unit, const std::string& itemNumber, const std::string& unitCode);

    static std::vector<BtrKeySegment> KeySegments();

protected:
    std::string m_strImportLine;
};
