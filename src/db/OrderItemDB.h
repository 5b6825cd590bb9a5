// ORDRITEM.DB: the suite's order lines, 176-byte records keyed by order and line number.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "BtrieveDB.h"
#include "RecordLayout.h"

class COrderItem {
public:
    COrderItem() = default;
    virtual ~COrderItem() = default;
    COrderItem(const COrderItem&) = default;
    COrderItem& operator=(const COrderItem&) = default;

    int32_t m_nOrderNumber = 0;            // 0
    int32_t m_nLineNumber = -1;            // 4; -1 until the line is stored
    std::string m_strItemID;               // 8, 15, upper; the item number in its first 12
    std::string m_strDescription;          // 23, 30
    std::string m_strUnit;                 // 53, 3, upper
    int32_t m_nNumber1 = 0;                // 56
    std::array<int32_t, 3> m_arrNumbers{}; // 60, 64, 68
    double m_dAmount1 = -1.0;              // 72, single
    double m_dAmount2 = -1.0;              // 76, single
    double m_dAmount3 = -1.0;              // 80, single
    double m_dAmount4 = 0;                 // 84, single
    std::string m_strCode1;                // 88, 4, upper
    std::string m_strComment;              // 92, 60
    int32_t m_nNumber2 = 0;                // 152
    bool m_bFlag1 = false;                 // 156
    char m_cCode = ' ';                    // 157, upper
    bool m_bFlag2 = false;                 // 158
    bool m_bFlag3 = false;                 // 159
    std::string m_strCode2;                // 160, 2, upper
    int32_t m_nNumber3 = 0;                // 164
    double m_dAmount5 = -1.0;              // 168, single
    std::string m_strCode3;                // 172, 4, upper
    bool m_bChanged = false;               // not stored
};

class COrderDB;

class COrderItemDB : public CBtrieveDB {
public:
    static constexpr uint16_t kRecordSize = 176;

    COrderItemDB();

    const char* GetFileName() const override { return "ORDRITEM.DB"; }
    const char* GetDescription() const override { return "Order Item"; }
    bool CanExport() override { return false; }
    bool CanReload() const override { return false; }
    int Create(const char* path) override;
    void ImportLine(int firstChar) override;

    // Writes the line over a 176-byte record (the upper-case fields are converted in the line
    // itself); reserved bytes keep what the buffer held.
    static const rec::Layout<COrderItem>& Fields();
    static void Pack(COrderItem& line, uint8_t* record);
    static void Unpack(COrderItem& line, const uint8_t* record);

protected:
    // The order file works the lines through this object's position and key buffers.
    friend class COrderDB;

    uint8_t m_key0[8];  // order number, line number
    uint8_t m_key1[20]; // order number, item identifier
    uint8_t m_key2[17]; // order number, item number
    uint8_t m_key3[13]; // item number
};
