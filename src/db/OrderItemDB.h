// ORDRITEM.DB: the suite's order lines, 176-byte records keyed by order and line number.
#pragma once

#include <array>

#include "RecordFile.h"

class COrderItem {
public:
    KR_RECORD(COrderItem);
    KR_FIELD(int32_t, m_nOrderNumber, 0, 4, I32) = 0;
    KR_FIELD(int32_t, m_nLineNumber, 4, 4, I32) = -1;        // -1 until the line is stored
    KR_FIELD(std::string, m_strItemID, 8, 15, UpperOnWrite); // the item number in its first 12 characters
    KR_FIELD(std::string, m_strDescription, 23, 30, Text);
    KR_FIELD(std::string, m_strUnit, 53, 3, UpperOnWrite);
    KR_FIELD(int32_t, m_nNumber1, 56, 4, I32) = 0;
    KR_ARRAY(int32_t, 3, m_arrNumbers, 60, 4, I32){};
    KR_FIELD(double, m_dAmount1, 72, 4, Float) = -1.0; // single
    KR_FIELD(double, m_dAmount2, 76, 4, Float) = -1.0; // single
    KR_FIELD(double, m_dAmount3, 80, 4, Float) = -1.0; // single
    KR_FIELD(double, m_dAmount4, 84, 4, Float) = 0;    // single
    KR_FIELD(std::string, m_strCode1, 88, 4, UpperOnWrite);
    KR_FIELD(std::string, m_strComment, 92, 60, Text);
    KR_FIELD(int32_t, m_nNumber2, 152, 4, I32) = 0;
    KR_FIELD(bool, m_bFlag1, 156, 1, Flag) = false;
    KR_FIELD(char, m_cCode, 157, 1, CodeOnWrite) = ' ';
    KR_FIELD(bool, m_bFlag2, 158, 1, Flag) = false;
    KR_FIELD(bool, m_bFlag3, 159, 1, Flag) = false;
    KR_FIELD(std::string, m_strCode2, 160, 2, UpperOnWrite);
    KR_FIELD(int32_t, m_nNumber3, 164, 4, I32) = 0;
    KR_FIELD(double, m_dAmount5, 168, 4, Float) = -1.0; // single
    KR_FIELD(std::string, m_strCode3, 172, 4, UpperOnWrite);

    bool m_bChanged = false; // not stored
};

class COrderDB;

class COrderItemDB : public CRecordFile<COrderItem, COrderItemDB> {
public:
    static constexpr uint16_t kRecordLength = 176;

    static constexpr rec::FileFacts kFacts{"ORDRITEM.DB", "Order Item", false, false};

    static std::vector<BtrKeySegment> KeySegments();

protected:
    // The order file works the lines through this object's position and key buffers.
    friend class COrderDB;
};
