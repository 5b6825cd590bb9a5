// VELOCITY.DB, the item history: one record per customer, item and unit bought.
#pragma once

#include "Interchange.h"
#include "RecordFile.h"
#include "RecordLayout.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CVelocity {
public:
    CVelocity() = default;
    virtual ~CVelocity() = default;

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

// Interchange line written by FormatLine (columns from 0, 164 characters with the line feed):
// 0-5 customer, 6-17 item, 18-20 unit (left-aligned, blank-padded), 21-30 last date mm/dd/yyyy (blank when
// none), 31-74 amounts 1 to 4 (ten characters and a sign each), 75-78 price code, 79 flag at 92, 80-88 code
// at 93, 89-124 the six numbers (five characters and a sign each), 125-130 and 131-136 the numbers at 136 and
// 140, 137-147 quoted price, 148-151 quote code, 152 active flag, 153-158 the number at 156, 159-162 blank,
// 163 line feed. ImportLine reads the same columns; an older version's shorter line carries the leading
// columns that fit it (see LineColumns), and a line of customer, item and unit alone withdraws that record.
class CVelocityDB : public CRecordFile<CVelocity, CVelocityDB> {
public:
    static constexpr uint16_t kRecordLength = 160;
    static constexpr int kUniqueKey = 1; // customer, item and unit

    CVelocityDB();
    ~CVelocityDB() override;

    const char* GetFileName() const override { return "VELOCITY.DB"; }
    const char* GetDescription() const override { return "Item History"; }
    bool CanExport() override { return true; }
    bool CanReload() const override { return true; }
    uint32_t GetRecordLength() const override { return kRecordLength; }
    int GetLineLength() const override;
    int FormatLine(const uint8_t* raw, std::string& output) override;
    void ImportLine(int firstChar) override;
    // The base preparation, then the quote-editing setting of the control file.
    bool BeginReload(const char* textPath, int64_t headerLength, int version, int purge) override;
    static const std::vector<ichg::Column<CVelocity>>& LineColumns();

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
    static void Pack(CVelocity& history, uint8_t* record);
    static void Unpack(const uint8_t* record, CVelocity& history);

protected:
    void FillKey1(const std::string& customer, const std::string& item, const std::string& unit);
    int ReadKey1(uint8_t* record);
    // A file of the suite in the directory this one was opened from.
    std::string SiblingPath(const char* name) const;
    // Reports a line that cannot be read and moves on past the next line feed (looked for from the
    // line's start when rescan is set, else from the position), or ends the reload.
    void SkipBadLine(long offset, bool rescan);

    bool m_bEditQuote = false;
};
