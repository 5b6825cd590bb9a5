// ITEM.DB, the distributor's item master, shared with the order-entry programs.
#pragma once

#include "RecordFile.h"

#include <array>

class CItem {
public:
    KR_RECORD(CItem);
    KR_FIELD(std::string, m_strItemNumber, 0, 12, Upper, 0, Kind::Key); // key 0
    KR_FIELD(std::string, m_strCode12, 12, 3, Upper, 12);               // key 3
    KR_FIELD(std::string, m_strCode15, 15, 5, Upper, 15);               // keys 1 and 3
    KR_FIELD(std::string, m_strCode20, 20, 10, Upper, 20);              // key 2
    KR_FIELD(float, m_fAmount1, 32, 4, F32, 146) = 0;
    KR_FIELD(float, m_fAmount2, 36, 4, F32, 157) = 0;
    KR_FIELD(bool, m_bFlag1, 40, 1, Flag, 168) = false;
    KR_FIELD(std::string, m_strCode41, 41, 4, Upper, 169);
    KR_FIELD(int32_t, m_nNumber2, 48, 4, I32, 173) = 0;
    KR_FIELD(int32_t, m_nNumber3, 52, 4, I32, 179) = 0;
    KR_FIELD(std::string, m_strCode56, 56, 2, Upper, 185);
    KR_FIELD(std::string, m_strBrand, 58, 15, Text, 80);
    KR_FIELD(int32_t, m_nNumber4, 76, 4, I32, 187) = 0;
    KR_FIELD(bool, m_bFlag9, 80, 1, Flag, 193) = false;
    KR_FIELD(char, m_cCode3, 81, 1, Code, 194) = ' ';
    KR_FIELD(float, m_fAmount3, 84, 4, F32, 195) = 0;
    KR_FIELD(int32_t, m_nNumber1, 88, 4, I32, 206) = 0;
    KR_FIELD(float, m_fAmount4, 92, 4, F32, 212) = 0;
    KR_FIELD(std::string, m_strDescription, 96, 50, Text, 30);
    KR_FIELD(bool, m_bFlag2, 146, 1, Flag, 223) = false;
    KR_FIELD(float, m_fAmount5, 148, 4, F32, 224) = 0;
    KR_FIELD(std::string, m_strCode152, 152, 3, Upper, 235);
    KR_FIELD(char, m_cCode1, 155, 1, Code, 238) = ' ';
    KR_FIELD(float, m_fAmount7, 156, 4, F32, 239) = 0;
    KR_FIELD(float, m_fAmount8, 160, 4, F32, 250) = 0;
    KR_FIELD(float, m_fAmount6, 164, 4, F32, 261) = 0;
    KR_FIELD(std::string, m_strCode168, 168, 3, Upper, 272);
    KR_FIELD(bool, m_bFlag3, 171, 1, Flag, 275) = false;
    KR_FIELD(bool, m_bFlag4, 172, 1, Flag, 276) = false;
    KR_FIELD(float, m_fAmount9, 176, 4, F32, 277) = 0;
    KR_FIELD(std::string, m_strPortionType, 180, 3, Upper, 95);
    KR_FIELD(int32_t, m_nPackQuantity, 184, 4, I32, 98) = 0;
    KR_FIELD(int32_t, m_nNumber6, 188, 4, I32, 288) = 0;
    KR_FIELD(float, m_fAmount10, 192, 4, F32, 294) = 0;
    KR_FIELD(bool, m_bFlag5, 196, 1, Flag, 305) = false;
    KR_FIELD(bool, m_bFlag6, 197, 1, Flag, 306) = false;
    KR_FIELD(char, m_cCode2, 198, 1, Code, 307) = ' ';
    KR_FIELD(std::string, m_strCode199, 199, 12, Upper, 308);
    KR_FIELD(std::string, m_strCode211, 211, 12, Upper, 320);
    KR_FIELD(bool, m_bFlag7, 223, 1, Flag, 332) = false;
    KR_FIELD(bool, m_bFlag8, 224, 1, Flag, 333) = false;
    KR_ARRAY(std::string, 3, m_arrUnits, 225, 3, Upper, 104, 3, Kind::Key);
    KR_FIELD(std::string, m_strCode234, 234, 6, Upper, 334);
    KR_FIELD(std::string, m_strCode240, 240, 15, Upper, 340);
    KR_FIELD(std::string, m_strCode255, 255, 2, Upper, 355);
    KR_ARRAY(float, 3, m_arrUnitFactors, 260, 4, F32, 113, 11){};
    KR_FIELD(int64_t, m_tTime, 272, 4, Time, 357) = 0;
    KR_FIELD(std::string, m_strCode276, 276, 2, Upper, 367);
    KR_FIELD(std::string, m_strText278, 278, 50, UpperOnWrite, 369);
    KR_FIELD(std::string, m_strText328, 328, 15, UpperOnWrite, 419);
    KR_FIELD(float, m_fAmount11, 344, 4, F32, 434) = 0;
    KR_FIELD(std::string, m_strText348, 348, 25, Text, 445);
    KR_FIELD(int32_t, m_nNumber7, 376, 4, I32, 470) = 0;
    KR_FIELD(float, m_fAmount12, 380, 4, F32, 476) = 0;
    KR_FIELD(std::string, m_strNotes, 384, 4096 + rec::kNotesEnd, Notes);
};

class CItemDB : public CRecordFile<CItem, CItemDB> {
public:
    static constexpr uint16_t kRecordLength = 387; // the fixed part
    static constexpr size_t kBufferSize = 4484;
    static constexpr size_t kPastNotes = 4; // their terminating zero and three more

    static constexpr rec::FileFacts kFacts{"ITEM.DB", "Item", true, true};
    static constexpr rec::LineVersion kLines[] = {{777, 369}, {1025, 484}, {INT_MAX, 538}};
    void ImportLine(int firstChar) override;

    static std::vector<BtrKeySegment> KeySegments();

protected:
    std::string m_strImportLine;
};
