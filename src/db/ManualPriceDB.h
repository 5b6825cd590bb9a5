// MNPRICE.DB: price quotes entered by hand for one customer, item and unit.
#pragma once

#include "RecordFile.h"

#include <ctime>

class CManualPrice {
public:
    KR_RECORD(CManualPrice);
    KR_FIELD(std::string, m_strSelector4, 0, 4, Upper);
    KR_FIELD(std::string, m_strSelector8, 4, 8, Upper);
    KR_FIELD(std::string, m_strCustomer, 12, 6, Upper, 0, Kind::Key);
    KR_FIELD(std::string, m_strItem, 18, 12, Upper, 6, Kind::Key);
    KR_FIELD(std::string, m_strUnit, 30, 3, Upper, 18, Kind::Key);
    // Customer, item, unit and a 14-digit local time stamp.
    KR_FIELD(std::string, m_strQuoteId, 33, 35, Upper, 21, Kind::Key);
    KR_FIELD(int32_t, m_n68, 68, 4, I32) = 0;
    KR_FIELD(char, m_c72, 72, 1, Byte) = ' ';
    // Within -9999.99 to 9999.99: six characters and the sign on the line.
    KR_FIELD(float, m_fPrice, 76, 4, F32, 61, Kind::Amount, 7) = 0;
    KR_FIELD(std::string, m_strCode80, 80, 4, Upper, 68);
    KR_FIELD(char, m_c84, 84, 1, Byte, 56) = ' ';
    KR_FIELD(bool, m_bWithdrawn, 85, 1, Flag) = false;
};

class CManualPriceDB : public CRecordFile<CManualPrice, CManualPriceDB> {
public:
    static constexpr uint16_t kRecordLength = 88;
    static constexpr float kPriceLimit = 9999.99f;

    static constexpr rec::FileFacts kFacts{"MNPRICE.DB", "Manual Prices", false, true};
    static constexpr rec::LineVersion kLines[] = {{INT_MAX, 73}};
    void ImportLine(int firstChar) override;

    int GetQuote(CManualPrice& quote, const std::string& selector4, const std::string& selector8,
                 const std::string& customer, const std::string& item, const std::string& unit);
    // The text holds the 33 key characters followed by a quote identifier.
    int DeleteByKeyText(const std::string& text);
    int WithdrawOrDelete(const std::string& selector4, const std::string& selector8,
                         const std::string& customer, const std::string& item, const std::string& unit,
                         bool deleteQuote);

    static std::vector<BtrKeySegment> KeySegments();
    static uint16_t Pack(CManualPrice& quote, uint8_t* record);
    static void Unpack(const uint8_t* record, CManualPrice& quote);
    static float LimitPrice(float price);
    // Customer, item and unit with the local time as "%4.4d%2.2d%2.2d%2.2d%2.2d%2.2d".
    static std::string MakeQuoteId(const std::string& customer, const std::string& item,
                                   const std::string& unit, std::time_t when);
};
