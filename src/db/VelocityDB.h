// VELOCITY.DB, the item history: one record per customer, item and unit bought.
#pragma once

#include "RecordFile.h"

#include <array>

class CVelocity {
public:
    std::string m_strCustomer;
    std::string m_strCode5;
    std::string m_strCode3;
    std::string m_strItem;
    std::string m_strUnit;
    std::string m_strText;
    std::string m_strQuoteCode;
    std::string m_strPriceCode;
    std::string m_strCode9;
    int64_t m_tLastDate = 0; // -1 means none
    int64_t m_tSecondDate = 0;
    int32_t m_n36 = 0;
    char m_c40 = 0;
    float m_fAmount1 = 0, m_fAmount2 = 0, m_fAmount3 = 0, m_fAmount4 = 0;
    float m_fQuotedPrice = 0;
    bool m_bFlag92 = false;
    std::array<int32_t, 6> m_arrNumbers{};
    int32_t m_n136 = 0;
    int32_t m_n140 = 0;
    bool m_bActive = false; // 'N' once withdrawn
    int32_t m_n156 = 0;
};

// The interchange line FormatLine writes and ImportLine reads is 164 characters with the line feed;
// an older version's shorter line carries the leading columns that fit it.
class CVelocityDB : public CRecordFile<CVelocity, CVelocityDB> {
public:
    static constexpr uint16_t kRecordLength = 160;
    static constexpr int kUniqueKey = 1; // customer, item and unit

    static constexpr rec::FileFacts kFacts{"VELOCITY.DB", "Item History", true, true};
    int GetLineLength() const override;
    // The newest version's line.
    int FormatLine(const uint8_t* raw, std::string& output) override {
        output = rec::FormatLine(Fields(), raw, 164);
        return 0;
    }
    void ImportLine(int firstChar) override;
    // The base preparation, then the quote-editing setting of the control file.
    bool BeginReload(const char* textPath, int64_t headerLength, int version, int purge) override;

    int GetHistory(CVelocity& history, const std::string& customer, const std::string& item,
                   const std::string& unit);
    // Withdraws the record (active flag 'N') or, with deleteRecord, deletes it.
    int ClearOrDelete(const std::string& customer, const std::string& item, const std::string& unit,
                      bool deleteRecord);
    // Withdraws every record of the item in that unit.
    int ClearItemUnit(const std::string& item, const std::string& unit);
    // Writes an imported record over the stored one of the same customer, item and unit.
    int MergeHistory(CVelocity& history, bool replace);

    // Reads "CALL_REMOTE.EDIT_QUOTE" from the control file beside this one: with it set, a merge
    // that drops a quote leaves the manual price file alone.
    void LoadEditQuote();
    bool GetEditQuote() const { return m_bEditQuote; }

    static const rec::Layout<CVelocity>& Fields();
    static const std::vector<BtrKeySegment>& KeySegments();

protected:
    // Reports a line that cannot be read and moves on past the next line feed (looked for from the
    // line's start when rescan is set, else from the position), or ends the reload.
    void SkipBadLine(long offset, bool rescan);

    bool m_bEditQuote = false;
};
