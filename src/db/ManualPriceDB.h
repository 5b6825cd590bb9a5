// MNPRICE.DB: price quotes entered by hand for one customer, item and unit.
#pragma once

#include "RecordFile.h"

#include <ctime>

class CManualPrice {
public:
    std::string m_strCustomer;
    std::string m_strSelector4;
    std::string m_strSelector8;
    std::string m_strItem;
    std::string m_strUnit;
    std::string m_strQuoteId; // 35: customer, item, unit and a 14-digit local time stamp
    int32_t m_n68 = 0;
    char m_c72 = ' ';
    char m_c84 = ' ';
    float m_fPrice = 0; // within -9999.99 to 9999.99
    std::string m_strCode80;
    bool m_bWithdrawn = false;
};

class CManualPriceDB : public CRecordFile<CManualPrice, CManualPriceDB> {
public:
    static constexpr uint16_t kRecordLength = 88;
    static constexpr size_t kQuoteIdLength = 35;
    static constexpr float kPriceLimit = 9999.99f;

    static constexpr rec::FileFacts kFacts{"MNPRICE.DB", "Manual Prices", false, true};
    int GetLineLength() const override { return 73; }
    void ImportLine(int firstChar) override;

    int GetQuote(CManualPrice& quote, const std::string& selector4, const std::string& selector8,
                 const std::string& customer, const std::string& item, const std::string& unit);
    int UpdateOrInsertQuote(CManualPrice& quote);
    // The text holds the 33 key characters followed by a quote identifier.
    int DeleteByKeyText(const std::string& text);
    int WithdrawOrDelete(const std::string& selector4, const std::string& selector8,
                         const std::string& customer, const std::string& item, const std::string& unit,
                         bool deleteQuote);

    static const rec::Layout<CManualPrice>& Fields();
    static const std::vector<BtrKeySegment>& KeySegments();
    static void Pack(CManualPrice& quote, uint8_t* record);
    static void Unpack(const uint8_t* record, CManualPrice& quote);
    static float LimitPrice(float price);
    // Customer, item and unit with the local time as "%4.4d%2.2d%2.2d%2.2d%2.2d%2.2d".
    static std::string MakeQuoteId(const std::string& customer, const std::string& item,
                                   const std::string& unit, std::time_t when);
};
