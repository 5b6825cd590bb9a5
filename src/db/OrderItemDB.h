// ORDRITEM.DB: the suite's order lines, 176-byte records keyed by order and line number.
#pragma once

#include <array>

#include "RecordFile.h"

class COrderItem {
public:
    int32_t m_nOrderNumber = 0;
    int32_t m_nLineNumber = -1; // 4; -1 until the line is stored
    std::string m_strItemID;    // the item number in its first 12 characters
    std::string m_strDescription;
    std::string m_strUnit;
    int32_t m_nNumber1 = 0;
    std::array<int32_t, 3> m_arrNumbers{};
    double m_dAmount1 = -1.0; // single
    double m_dAmount2 = -1.0; // single
    double m_dAmount3 = -1.0; // single
    double m_dAmount4 = 0;    // single
    std::string m_strCode1;
    std::string m_strComment;
    int32_t m_nNumber2 = 0;
    bool m_bFlag1 = false;
    char m_cCode = ' ';
    bool m_bFlag2 = false;
    bool m_bFlag3 = false;
    std::string m_strCode2;
    int32_t m_nNumber3 = 0;
    double m_dAmount5 = -1.0; // single
    std::string m_strCode3;
    bool m_bChanged = false; // not stored
};

class COrderDB;

class COrderItemDB : public CRecordFile<COrderItem, COrderItemDB> {
public:
    static constexpr uint16_t kRecordSize = 176;
    static constexpr uint16_t kRecordLength = kRecordSize;

    static constexpr rec::FileFacts kFacts{"ORDRITEM.DB", "Order Item", false, false};

    static const rec::Layout<COrderItem>& Fields();
    static const std::vector<BtrKeySegment>& KeySegments();

protected:
    // The order file works the lines through this object's position and key buffers.
    friend class COrderDB;
};
