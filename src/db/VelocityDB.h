// VELOCITY.DB, the item history: one record per customer, item and unit bought.
#pragma once

#include "RecordFile.h"

#include <array>

class CVelocity {
public:
    KR_RECORD(CVelocity);
    KR_FIELD(std::string, m_strCustomer, 0, 6, Upper, 0, Kind::Key);
    KR_FIELD(std::string, m_strItem, 6, 12, Upper, 6, Kind::Key);
    KR_FIELD(std::string, m_strUnit, 18, 3, Upper, 18, Kind::Key);
    KR_FIELD(std::string, m_strCode5, 21, 5, Upper);
    KR_FIELD(std::string, m_strCode3, 26, 3, Upper);
    // The last date again as a Btrieve date, for the date key.
    KR_ALSO("last date (key)", m_tLastDate, 29, 4, BDate);
    KR_FIELD(int32_t, m_n36, 36, 4, I32) = 0;
    KR_FIELD(char, m_c40, 40, 1, Byte) = 0;
    KR_FIELD(std::string, m_strText, 41, 30, Text);
    KR_FIELD(float, m_fAmount1, 72, 4, F32, 31) = 0;
    KR_FIELD(float, m_fAmount2, 76, 4, F32, 42) = 0;
    KR_FIELD(float, m_fAmount3, 80, 4, F32, 53) = 0;
    KR_FIELD(float, m_fAmount4, 84, 4, F32, 64) = 0;
    KR_FIELD(std::string, m_strPriceCode, 88, 4, Upper, 75, Kind::RText);
    KR_FIELD(bool, m_bFlag92, 92, 1, FlagY, 79) = false;
    KR_FIELD(std::string, m_strCode9, 93, 9, Upper, 80, Kind::RText);
    KR_FIELD(int64_t, m_tLastDate, 104, 4, Time, 21) = 0; // -1 means none
    KR_FIELD(int64_t, m_tSecondDate, 108, 4, Time) = 0;
    KR_ARRAY(int32_t, 6, m_arrNumbers, 112, 4, I32, 89, 6){};
    KR_FIELD(int32_t, m_n136, 136, 4, I32, 125) = 0;
    KR_FIELD(int32_t, m_n140, 140, 4, I32, 131) = 0;
    KR_FIELD(float, m_fQuotedPrice, 144, 4, F32, 137) = 0;
    KR_FIELD(std::string, m_strQuoteCode, 148, 4, Upper, 148, Kind::RText);
    KR_FIELD(bool, m_bActive, 152, 1, FlagY, 152) = false; // 'N' once withdrawn
    KR_FIELD(int32_t, m_n156, 156, 4, I32, 153) = 0;
};

class CVelocityDB : public CRecordFile<CVelocity, CVelocityDB> {
public:
    static constexpr uint16_t kRecordLength = 160;
    static constexpr int kUniqueKey = 1; // customer, item and unit

    static constexpr rec::FileFacts kFacts{"VELOCITY.DB", "Item History", true, true};
    static constexpr rec::LineVersion kLines[] = {{521, 126}, {773, 136}, {1026, 158}, {INT_MAX, 164}};
    void ImportLine(int firstChar) override;
    // The base preparation, then "CALL_REMOTE.EDIT_QUOTE" from the control file beside this one:
    // with it set, a merge that drops a quote leaves the manual price file alone.
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

    bool GetEditQuote() const { return m_bEditQuote; }

    static std::vector<BtrKeySegment> KeySegments();

protected:
    // Reports a line that cannot be read and moves on past the next line feed (looked for from the
    // line's start when rescan is set, else from the position), or ends the reload.
    void SkipBadLine(long offset, bool rescan);

    bool m_bEditQuote = false;
};
