#include "ManualPriceDB.h"
#include "Interchange.h"

#include "RecordFields.h"
#include "RecordLayout.h"
#include "btrieve/btrcall.h"

#include <cmath>
#include <vector>

using namespace fields;

const std::vector<BtrKeySegment>& CManualPriceDB::KeySegments() {
    // 0: selectors, customer, item and unit; 1: item; 2: quote id
    static const std::vector<BtrKeySegment> segments = {
        rec::Segment(Fields(), "m_strSelector4", 0, btr::KT_STRING, kKeyLength),
        rec::Segment(Fields(), "m_strItem", 3, btr::KT_STRING),
        rec::Segment(Fields(), "m_strQuoteId", 3, btr::KT_STRING)};
    return segments;
}

void CManualPriceDB::ImportLine(int firstChar) {
    long at = LineOffset();
    // The key part of a deletion line: the 33 key characters and the quote identifier (shorter
    // in the oldest versions), then the line feed.
    size_t keyPart = m_nVersion <= 515 ? 56 : 68;
    std::string line;
    auto erase = [this](const std::string& key) { return DeleteByKeyText(key); };
    if (StartLine(firstChar, keyPart, line, erase, "Error %d Deleting Price Quote %s") != LineStart::Record)
        return;
    char text[160];
    if (!ReadLineRest(line, 73)) {
        RejectFormat(at);
        return;
    }
    double price = 0;
    if (!ichg::ParseAmount(line.substr(61, 6), line[67], price)) {
        AddLineError("Invalid Amount \"" + line.substr(61, 7) + "\"", at);
        return;
    }
    // Imported quotes carry blank selectors: the form the import and the item history merge
    // look quotes up by.
    static const std::string kBlank4(4, ' '), kBlank8(8, ' ');
    CManualPrice quote;
    quote.m_strSelector4 = kBlank4;
    quote.m_strSelector8 = kBlank8;
    quote.m_strCustomer = line.substr(0, 6);
    quote.m_strItem = line.substr(6, 12);
    quote.m_strUnit = line.substr(18, 3);
    quote.m_strQuoteId = line.substr(21, kQuoteIdLength);
    quote.m_c84 = fields::UpperChar(line[56]);
    quote.m_fPrice = LimitPrice(static_cast<float>(price));
    quote.m_strCode80 = ichg::TrimText(line.substr(68, 4));
    CManualPrice stored;
    int status = GetQuote(stored, kBlank4, kBlank8, quote.m_strCustomer, quote.m_strItem, quote.m_strUnit);
    if (status == btr::B_KEY_VALUE_NOT_FOUND) {
        status = InsertRecord(quote);
    } else if (status == 0) {
        // A quote edited since (another identifier) stays as it is.
        std::string storedId = ichg::TrimText(stored.m_strQuoteId);
        if (storedId.empty() || storedId == ichg::TrimText(fields::Upper(quote.m_strQuoteId))) {
            quote.m_n68 = stored.m_n68;
            quote.m_c72 = stored.m_c72;
            status = UpdateOrInsertQuote(quote);
        }
    }
    if (status != 0) {
        std::snprintf(text, sizeof text, "Error %d Writing to Database", status);
        AddError(text);
    }
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
    return id.substr(0, kQuoteIdLength);
}

#define KR_RECORD CManualPrice
const rec::Layout<CManualPrice>& CManualPriceDB::Fields() {
    static const rec::Layout<CManualPrice> layout = {
        KR_AT(m_strSelector4, 0, 4, Upper), KR_AT(m_strSelector8, 4, 8, Upper),
        KR_AT(m_strCustomer, 12, 6, Upper), KR_AT(m_strItem, 18, 12, Upper),
        KR_AT(m_strUnit, 30, 3, Upper),     KR_AT(m_strQuoteId, 33, kQuoteIdLength, Upper),
        KR_AT(m_n68, 68, 4, I32),           KR_AT(m_c72, 72, 1, Byte),
        KR_AT(m_fPrice, 76, 4, F32),        KR_AT(m_strCode80, 80, 4, Upper),
        KR_AT(m_c84, 84, 1, Byte),          KR_AT(m_bWithdrawn, 85, 1, Flag),
    };
    return layout;
}
#undef KR_RECORD

// Prices are held within the limit both ways; the quote object keeps the price it was given.
void CManualPriceDB::Pack(CManualPrice& quote, uint8_t* record) {
    float price = quote.m_fPrice;
    quote.m_fPrice = LimitPrice(price);
    rec::Pack(Fields(), quote, record);
    quote.m_fPrice = price;
}

void CManualPriceDB::Unpack(const uint8_t* record, CManualPrice& quote) {
    rec::Unpack(Fields(), record, quote);
    quote.m_fPrice = LimitPrice(quote.m_fPrice);
}

void CManualPriceDB::FillKey0(const std::string& selector4, const std::string& selector8,
                              const std::string& customer, const std::string& item, const std::string& unit) {
    FillKey(0, Padded(selector4, 4, '\0') + Padded(selector8, 8, '\0') + Padded(customer, 6, '\0') +
                   Padded(item, 12, '\0') + unit);
}

int CManualPriceDB::ReadQuote(uint8_t* record) {
    uint16_t length = kRecordLength;
    int status = GetEqual(record, &length, KeyBuffer(0), 0);
    if (status == 0 && length != kRecordLength) return btr::B_DATALENGTH_ERROR;
    return status;
}

int CManualPriceDB::GetQuote(CManualPrice& quote, const std::string& selector4, const std::string& selector8,
                             const std::string& customer, const std::string& item, const std::string& unit) {
    uint8_t record[kRecordLength] = {};
    FillKey0(selector4, selector8, customer, item, unit);
    int status = ReadQuote(record);
    if (status == 0) Unpack(record, quote);
    return status;
}

int CManualPriceDB::UpdateOrInsertQuote(CManualPrice& quote) {
    uint8_t record[kRecordLength] = {};
    FillKey0(quote.m_strSelector4, quote.m_strSelector8, quote.m_strCustomer, quote.m_strItem,
             quote.m_strUnit);
    int status = ReadQuote(record);
    if (status == btr::B_KEY_VALUE_NOT_FOUND) return InsertRecord(quote);
    if (status != 0) return status;
    Pack(quote, record);
    uint16_t length = kRecordLength;
    return Update(record, &length, KeyBuffer(0), 0);
}

int CManualPriceDB::DeleteByKeyText(const std::string& text) {
    std::string key = Padded(Upper(text.substr(0, kKeyLength)), kKeyLength, '\0');
    std::memcpy(KeyBuffer(0), key.data(), kKeyLength);
    uint8_t record[kRecordLength] = {};
    int status = ReadQuote(record);
    if (status != 0) return status;
    std::string requested = text.size() > kKeyLength ? Upper(text.substr(kKeyLength, kQuoteIdLength)) : "";
    std::string stored = GetUpper(record, At("m_strQuoteId"), kQuoteIdLength);
    size_t first = stored.find_first_not_of(' ');
    bool emptyId = first == std::string::npos;
    if (GetFlag(record, At("m_bWithdrawn")) || emptyId || stored == requested) return Delete();
    return btr::B_KEY_VALUE_NOT_FOUND;
}

int CManualPriceDB::WithdrawOrDelete(const std::string& selector4, const std::string& selector8,
                                     const std::string& customer, const std::string& item,
                                     const std::string& unit, bool deleteQuote) {
    uint8_t record[kRecordLength] = {};
    FillKey0(selector4, selector8, customer, item, unit);
    int status = ReadQuote(record);
    if (status != 0) return status;
    if (deleteQuote) return Delete();
    if (GetFlag(record, At("m_bWithdrawn"))) return 0;
    record[At("m_bWithdrawn")] = 'Y';
    std::string id =
        MakeQuoteId(GetText(record, At("m_strCustomer"), 6), GetText(record, At("m_strItem"), 12),
                    GetText(record, At("m_strUnit"), 3), std::time(nullptr));
    PutText(record, At("m_strQuoteId"), id, kQuoteIdLength, '\0');
    uint16_t length = kRecordLength;
    return Update(record, &length, KeyBuffer(0), 0);
}
