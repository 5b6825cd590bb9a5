#include "ManualPriceDB.h"
#include "Interchange.h"

#include <cmath>

using namespace fields;

std::vector<BtrKeySegment> CManualPriceDB::KeySegments() {
    // 0: selectors, customer, item and unit; 1: item; 2: quote id
    return {Segment("m_strSelector4", 0, btr::KT_STRING, "m_strUnit"),
            Segment("m_strItem", 3, btr::KT_STRING), Segment("m_strQuoteId", 3, btr::KT_STRING)};
}

void CManualPriceDB::ImportLine(int firstChar) {
    // A deletion line holds the 33 key characters and the quote identifier (shorter in the oldest
    // versions). Imported quotes carry blank selectors: the form the import and the item history
    // merge look quotes up by. A quote edited since (another identifier) stays as it is.
    static const std::string kBlank4(4, ' '), kBlank8(8, ' ');
    CManualPrice quote, stored;
    quote.m_strSelector4 = kBlank4;
    quote.m_strSelector8 = kBlank8;
    auto column = [](const std::string& l, const char* name) { return rec::LineText(Fields(), l, name); };
    std::string line;
    ImportRecordLine(firstChar, line,
                     {m_nVersion <= 515 ? 56u : 68u, "Error %d Deleting Price Quote %s",
                      "Error %d Writing to Database",
                      [this](const std::string& key) { return DeleteByKeyText(key); },
                      [&](const std::string& l) {
                          return GetQuote(stored, kBlank4, kBlank8, column(l, "m_strCustomer"),
                                          column(l, "m_strItem"), column(l, "m_strUnit"));
                      },
                      [&](const std::string& l, size_t length, std::string& error) {
                          bool read = rec::ReadLine(Fields(), l, length, quote, error);
                          quote.m_c84 = UpperChar(quote.m_c84);
                          return read;
                      },
                      [&](bool found) {
                          if (!found) return InsertRecord(quote);
                          std::string storedId = ichg::TrimText(stored.m_strQuoteId);
                          if (!storedId.empty() && storedId != ichg::TrimText(Upper(quote.m_strQuoteId)))
                              return 0;
                          quote.m_n68 = stored.m_n68;
                          quote.m_c72 = stored.m_c72;
                          return UpdateOrInsert(quote);
                      }});
}

float CManualPriceDB::LimitPrice(float price) {
    // A price that is not a number has no meaning in a quote: it counts as 0.
    if (std::isnan(price)) return 0;
    if (price >= kPriceLimit) return kPriceLimit;
    if (price <= -kPriceLimit) return -kPriceLimit;
    return price;
}

std::string CManualPriceDB::MakeQuoteId(const std::string& customer, const std::string& item,
                                        const std::string& unit, std::time_t when) {
    std::tm local{};
    char stamp[32] = "00000000000000";
    if (localtime_r(&when, &local))
        std::snprintf(stamp, sizeof stamp, "%4.4d%2.2d%2.2d%2.2d%2.2d%2.2d", local.tm_year + 1900,
                      local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    std::string id = customer.substr(0, 6) + item.substr(0, 12) + unit.substr(0, 3) + std::string(stamp, 14);
    return id.substr(0, KeyLength(2));
}

// Prices are held within the limit both ways; the quote object keeps the price it was given.
uint16_t CManualPriceDB::Pack(CManualPrice& quote, uint8_t* record) {
    float price = quote.m_fPrice;
    quote.m_fPrice = LimitPrice(price);
    rec::Pack(Fields(), quote, record);
    quote.m_fPrice = price;
    return kRecordLength;
}

void CManualPriceDB::Unpack(const uint8_t* record, CManualPrice& quote) {
    rec::Unpack(Fields(), record, quote);
    quote.m_fPrice = LimitPrice(quote.m_fPrice);
}

int CManualPriceDB::GetQuote(CManualPrice& quote, const std::string& selector4, const std::string& selector8,
                             const std::string& customer, const std::string& item, const std::string& unit) {
    CManualPrice found;
    found.m_strSelector4 = selector4;
    found.m_strSelector8 = selector8;
    found.m_strCustomer = customer;
    found.m_strItem = item;
    found.m_strUnit = unit;
    return GetSame(std::move(found), quote, 0);
}

int CManualPriceDB::DeleteByKeyText(const std::string& text) {
    CManualPrice stored;
    const size_t keyLength = KeyLength(0);
    int status = GetRecord(stored, text.substr(0, keyLength));
    if (status != 0) return status;
    std::string requested = text.size() > keyLength ? Upper(text.substr(keyLength, KeyLength(2))) : "";
    bool emptyId = stored.m_strQuoteId.find_first_not_of(' ') == std::string::npos;
    if (stored.m_bWithdrawn || emptyId || stored.m_strQuoteId == requested) return Delete();
    return btr::B_KEY_VALUE_NOT_FOUND;
}

// Withdrawing changes the flag and the identifier alone: the other stored bytes stay as written.
int CManualPriceDB::WithdrawOrDelete(const std::string& selector4, const std::string& selector8,
                                     const std::string& customer, const std::string& item,
                                     const std::string& unit, bool deleteQuote) {
    CManualPrice quote;
    int status = GetQuote(quote, selector4, selector8, customer, item, unit);
    if (status != 0 || deleteQuote) return status != 0 ? status : Delete();
    if (quote.m_bWithdrawn) return 0;
    std::string id = MakeQuoteId(quote.m_strCustomer, quote.m_strItem, quote.m_strUnit, std::time(nullptr));
    return UpdateStored(0, [&](uint8_t* record) {
        record[At("m_bWithdrawn")] = 'Y';
        PutText(record, At("m_strQuoteId"), id, KeyLength(2), '\0');
    });
}
