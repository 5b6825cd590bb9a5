// ITEM.DB, the distributor's item master, shared with the order-entry programs.
#pragma once

#include "RecordFile.h"

#include <array>

class CItem {
public:
    std::string m_strCode41; // 4 characters, upper
    std::string m_strBrand;
    std::string m_strCode56;
    std::string m_strCode15; // upper (keys 1 and 3)
    std::string m_strCode20; // key 2
    std::string m_strDescription;
    std::string m_strItemNumber; // key 0
    std::string m_strCode152;
    std::string m_strCode12; // key 3
    std::string m_strNotes;  // up to 4096, zero-terminated
    std::string m_strCode168;
    std::string m_strPortionType;
    std::string m_strCode199;
    std::string m_strCode211;
    std::array<std::string, 3> m_arrUnits;
    std::string m_strCode234;
    std::string m_strCode240;
    std::string m_strCode255;
    std::string m_strCode276;
    std::string m_strText278;
    std::string m_strText328;
    std::string m_strText348;
    bool m_bFlag1 = false, m_bFlag2 = false, m_bFlag3 = false, m_bFlag4 = false, m_bFlag5 = false,
         m_bFlag6 = false, m_bFlag7 = false, m_bFlag8 = false, m_bFlag9 = false;
    int32_t m_nNumber1 = 0, m_nNumber2 = 0, m_nNumber3 = 0, m_nNumber4 = 0, m_nPackQuantity = 0,
            m_nNumber6 = 0, m_nNumber7 = 0;
    char m_cCode1 = ' ', m_cCode2 = ' ', m_cCode3 = ' ';
    float m_fAmount1 = 0, m_fAmount2 = 0, m_fAmount3 = 0, m_fAmount4 = 0, m_fAmount5 = 0, m_fAmount6 = 0,
          m_fAmount7 = 0, m_fAmount8 = 0, m_fAmount9 = 0, m_fAmount10 = 0;
    std::array<float, 3> m_arrUnitFactors{};
    float m_fAmount11 = 0, m_fAmount12 = 0;
    int64_t m_tTime = 0;
};

class CItemDB : public CRecordFile<CItem, CItemDB> {
public:
    static constexpr uint16_t kRecordLength = 387; // the fixed part
    static constexpr size_t kBufferSize = 4484;
    static constexpr size_t kNotesOffset = 384;
    static constexpr size_t kMaxNotes = 4096;

    static constexpr rec::FileFacts kFacts{"ITEM.DB", "Item", true, true};
    int GetLineLength() const override;
    void ImportLine(int firstChar) override;
    // The newest version's line, from the fixed part (the notes are not on the line).
    int FormatLine(const uint8_t* raw, std::string& output) override {
        CItem item;
        rec::Unpack(Fields(), raw, item, kRecordLength);
        output = rec::WriteLine(Fields(), item, 538);
        return 0;
    }

    // Record conversion; Pack returns the record length to write.
    static const rec::Layout<CItem>& Fields();
    static const std::vector<BtrKeySegment>& KeySegments();
    static uint16_t Pack(CItem& item, uint8_t* record);
    static void Unpack(const uint8_t* record, CItem& item);
    static int UnpackRecord(const uint8_t* record, uint16_t, CItem& item) {
        Unpack(record, item);
        return 0;
    }
    static void ShowMore(const CItem& item, std::vector<ShownField>& out) {
        out.push_back({"notes", item.m_strNotes, true});
    }

    // The interchange line of a version for an item, line feed included.
    static std::string WriteLine(const CItem& item, int version);

protected:
    std::string m_strImportLine;
};
