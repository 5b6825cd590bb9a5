#include "VelocityDB.h"

#include "ControlDB.h"
#include "ManualPriceDB.h"
#include "RecordFields.h"
#include "RecordLayout.h"
#include "btrieve/btrcall.h"

#include <ctime>
#include <vector>

using namespace fields;

namespace {
constexpr uint16_t kMore = 0x13; // duplicates, modifiable, another segment follows
constexpr uint16_t kLast = 3;    // duplicates, modifiable

} // namespace

CVelocityDB::CVelocityDB() {
    m_bReload = false;
}
CVelocityDB::~CVelocityDB() = default;

int CVelocityDB::GetLineLength() const {
    if (m_nVersion < 521) return 126;
    if (m_nVersion < 773) return 136;
    if (m_nVersion < 1026) return 158;
    return 164;
}

const std::vector<BtrKeySegment>& CVelocityDB::KeySegments() {
    const uint8_t s = btr::KT_STRING;
    const auto& f = Fields();
    auto part = [&](const char* name, uint16_t flags, uint16_t span = 0) {
        return rec::Segment(f, name, flags, s, span);
    };
    // Item and unit sit together: one segment of both.
    const uint16_t itemUnit = 15;
    BtrKeySegment date = rec::Segment(f, "last date (key)", btr::KF_EXTENDED_TYPE | kMore, btr::KT_DATE);
    static const std::vector<BtrKeySegment> segments = {
        // 0: customer, 5-character code, item and unit
        part("m_strCustomer", kMore), part("m_strCode5", kMore), part("m_strItem", kLast, itemUnit),
        // 1: customer, item, unit (unique)
        part("m_strCustomer", 0, 21),
        // 2: item
        part("m_strItem", kLast),
        // 3: customer, 3-character code, item and unit
        part("m_strCustomer", kMore), part("m_strCode3", kMore), part("m_strItem", kLast, itemUnit),
        // 4: customer, both codes, item and unit
        part("m_strCustomer", kMore), part("m_strCode3", kMore), part("m_strCode5", kMore),
        part("m_strItem", kLast, itemUnit),
        // 5: customer, last date, 5-character code, item and unit
        part("m_strCustomer", kMore), date, part("m_strCode5", kMore), part("m_strItem", kLast, itemUnit)};
    return segments;
}

namespace {
#define KR_FIELD(member) [](CVelocity& r) -> void* { return &r.member; }
using ichg::Kind;
} // namespace

// The line FormatLine writes; each older, shorter version carries the leading columns that fit.
const std::vector<ichg::Column<CVelocity>>& CVelocityDB::LineColumns() {
    static const std::vector<ichg::Column<CVelocity>> columns = {
        {"customer number", Kind::Key, 6, KR_FIELD(m_strCustomer)},
        {"item number", Kind::Key, 12, KR_FIELD(m_strItem)},
        {"unit", Kind::Key, 3, KR_FIELD(m_strUnit)},
        {"last date (104), mm/dd/yyyy, blank for none", Kind::Date, 0, KR_FIELD(m_tLastDate)},
        {"amount 1 (72)", Kind::Amount, 0, KR_FIELD(m_fAmount1)},
        {"amount 2 (76)", Kind::Amount, 0, KR_FIELD(m_fAmount2)},
        {"amount 3 (80)", Kind::Amount, 0, KR_FIELD(m_fAmount3)},
        {"amount 4 (84)", Kind::Amount, 0, KR_FIELD(m_fAmount4)},
        {"price code (88)", Kind::RText, 4, KR_FIELD(m_strPriceCode)},
        {"flag at 92", Kind::Flag, 0, KR_FIELD(m_bFlag92)},
        {"code at 93", Kind::RText, 9, KR_FIELD(m_strCode9)},
        {"number at 112", Kind::Number, 0, KR_FIELD(m_arrNumbers[0])},
        {"number at 116", Kind::Number, 0, KR_FIELD(m_arrNumbers[1])},
        {"number at 120", Kind::Number, 0, KR_FIELD(m_arrNumbers[2])},
        {"number at 124", Kind::Number, 0, KR_FIELD(m_arrNumbers[3])},
        {"number at 128", Kind::Number, 0, KR_FIELD(m_arrNumbers[4])},
        {"number at 132", Kind::Number, 0, KR_FIELD(m_arrNumbers[5])},
        // Version 521 and later.
        {"number at 136", Kind::Number, 0, KR_FIELD(m_n136)},
        // Version 773 and later.
        {"number at 140", Kind::Number, 0, KR_FIELD(m_n140)},
        {"quoted price (144)", Kind::Amount, 0, KR_FIELD(m_fQuotedPrice)},
        {"quote code (148)", Kind::RText, 4, KR_FIELD(m_strQuoteCode)},
        {"active flag (152)", Kind::Flag, 0, KR_FIELD(m_bActive)},
        // Version 1026 and later.
        {"number at 156", Kind::Number, 0, KR_FIELD(m_n156)},
        {"blank", Kind::Blank, 4, nullptr},
    };
    return columns;
}
#undef KR_FIELD

bool CVelocityDB::BeginReload(const char* textPath, int64_t headerLength, int version, int purge) {
    bool ready = CBtrieveDB::BeginReload(textPath, headerLength, version, purge);
    m_bEditQuote = false;
    if (ready) LoadEditQuote();
    return ready;
}

void CVelocityDB::SkipBadLine(long at, bool rescan) {
    char text[96];
    std::snprintf(text, sizeof text, "Error Reading item history file at offset %ld", at);
    AddError(text);
    // Resume after the first line feed from the line's start (what was read of it may have lost
    // its carriage returns, so the text itself is read again), or from here when nothing was.
    if (!SkipPastLineFeed(rescan ? static_cast<uint64_t>(at) : m_nProgressPos))
        AddError("Couldn't recover from previous errors");
}

void CVelocityDB::ImportLine(int firstChar) {
    long at = LineOffset();
    std::string line;
    if (firstChar == EOF) {
        SkipBadLine(at, false);
        return;
    }
    line += static_cast<char>(firstChar);
    // Customer, item and unit, then one more character: a line feed there withdraws the record.
    line.resize(22);
    size_t got = ReadReload(line.data() + 1, 21);
    line.resize(1 + got);
    if (got < 21 || line.find('\n') < 21) {
        SkipBadLine(at, true);
        return;
    }
    char text[96];
    std::string customer = line.substr(0, 6), item = line.substr(6, 12), unit = line.substr(18, 3);
    if (line.back() == '\n') {
        int status = ClearOrDelete(customer, item, unit, false);
        if (status != 0 && status != btr::B_KEY_VALUE_NOT_FOUND) {
            std::snprintf(text, sizeof text, "Error %d Deleting Item History for %s", status,
                          line.substr(0, 21).c_str());
            AddError(text);
        }
        return;
    }
    size_t length = static_cast<size_t>(GetLineLength());
    if (!ReadLineRest(line, length)) {
        // The line feed found ends this line; what follows it is read again as the next line.
        SkipBadLine(at, true);
        return;
    }
    // A record on file keeps what this version's line does not carry; a full line is active.
    CVelocity history;
    int status = GetHistory(history, customer, item, unit);
    if (status != 0 && status != btr::B_KEY_VALUE_NOT_FOUND) {
        std::snprintf(text, sizeof text, "Error %d Writing to database at offset %ld", status, at);
        AddError(text);
        return;
    }
    history.m_bActive = true;
    ichg::ValueError error;
    if (!ichg::ReadColumns(LineColumns(), line.data(), length - 1, history, error)) {
        AddLineError(error.what, at);
        return;
    }
    status = MergeHistory(history, false);
    if (status == btr::B_KEY_VALUE_NOT_FOUND) status = InsertRecord(history);
    if (status != 0) {
        std::snprintf(text, sizeof text, "Error %d Writing to database at offset %ld", status, at);
        AddError(text);
    }
}

#define KR_RECORD CVelocity
const rec::Layout<CVelocity>& CVelocityDB::Fields() {
    static const rec::Layout<CVelocity> layout = {
        KR_AT(m_strCustomer, 0, 6, Upper),
        KR_AT(m_strItem, 6, 12, Upper),
        KR_AT(m_strUnit, 18, 3, Upper),
        KR_AT(m_strCode5, 21, 5, Upper),
        KR_AT(m_strCode3, 26, 3, Upper),
        // The last date again as a Btrieve date, for the date key.
        KR_AT_AS("last date (key)", m_tLastDate, 29, 4, BDate),
        KR_AT(m_n36, 36, 4, I32),
        KR_AT(m_c40, 40, 1, Byte),
        KR_AT(m_strText, 41, 30, Text),
        KR_AT(m_fAmount1, 72, 4, F32),
        KR_AT(m_fAmount2, 76, 4, F32),
        KR_AT(m_fAmount3, 80, 4, F32),
        KR_AT(m_fAmount4, 84, 4, F32),
        KR_AT(m_strPriceCode, 88, 4, Upper),
        KR_AT(m_bFlag92, 92, 1, FlagY),
        KR_AT(m_strCode9, 93, 9, Upper),
        KR_AT(m_tLastDate, 104, 4, Time),
        KR_AT(m_tSecondDate, 108, 4, Time),
        KR_AT(m_arrNumbers[0], 112, 4, I32),
        KR_AT(m_arrNumbers[1], 116, 4, I32),
        KR_AT(m_arrNumbers[2], 120, 4, I32),
        KR_AT(m_arrNumbers[3], 124, 4, I32),
        KR_AT(m_arrNumbers[4], 128, 4, I32),
        KR_AT(m_arrNumbers[5], 132, 4, I32),
        KR_AT(m_n136, 136, 4, I32),
        KR_AT(m_n140, 140, 4, I32),
        KR_AT(m_fQuotedPrice, 144, 4, F32),
        KR_AT(m_strQuoteCode, 148, 4, Upper),
        KR_AT(m_bActive, 152, 1, FlagY),
        KR_AT(m_n156, 156, 4, I32),
    };
    return layout;
}
#undef KR_RECORD

void CVelocityDB::Pack(CVelocity& history, uint8_t* record) {
    rec::Pack(Fields(), history, record);
}

void CVelocityDB::Unpack(const uint8_t* record, CVelocity& history) {
    rec::Unpack(Fields(), record, history);
}

int CVelocityDB::FormatLine(const uint8_t* raw, std::string& output) {
    CVelocity history;
    Unpack(raw, history);
    output.clear();
    ichg::WriteColumns(LineColumns(), 163, history, output);
    output += '\n';
    return 0;
}

void CVelocityDB::FillKey1(const std::string& customer, const std::string& item, const std::string& unit) {
    FillKey(1, Padded(customer, 6, '\0') + Padded(item, 12, '\0') + unit);
}

int CVelocityDB::ReadKey1(uint8_t* record) {
    uint16_t length = kRecordLength;
    int status = GetEqual(record, &length, KeyBuffer(1), 1);
    if (status == 0 && length != kRecordLength) return btr::B_DATALENGTH_ERROR;
    return status;
}

int CVelocityDB::GetHistory(CVelocity& history, const std::string& customer, const std::string& item,
                            const std::string& unit) {
    uint8_t record[kRecordLength] = {};
    FillKey1(customer, item, unit);
    int status = ReadKey1(record);
    if (status == 0) Unpack(record, history);
    return status;
}

int CVelocityDB::ClearOrDelete(const std::string& customer, const std::string& item, const std::string& unit,
                               bool deleteRecord) {
    uint8_t record[kRecordLength] = {};
    FillKey1(customer, item, unit);
    int status = ReadKey1(record);
    if (status != 0) return status;
    if (deleteRecord) return Delete();
    record[152] = 'N';
    uint16_t length = kRecordLength;
    return Update(record, &length, KeyBuffer(1), 1);
}

int CVelocityDB::ClearItemUnit(const std::string& item, const std::string& unit) {
    uint8_t itemKey[12];
    uint8_t unitKey[3];
    PutText(itemKey, 0, Upper(item), 12, '\0');
    PutText(unitKey, 0, Upper(unit), 3, '\0');
    uint8_t* key = KeyBuffer(2);
    std::memcpy(key, itemKey, 12);
    uint8_t record[kRecordLength] = {};
    uint16_t length = kRecordLength;
    int status = GetEqual(record, &length, key, 2);
    while (status == 0) {
        if (length != kRecordLength) return btr::B_DATALENGTH_ERROR;
        if (std::memcmp(record + 6, itemKey, 12) != 0) return 0;
        if (std::memcmp(record + 18, unitKey, 3) == 0 && record[152] != 'N') {
            record[152] = 'N';
            status = Update(record, &length, key, 2);
            if (status != 0) return status;
        }
        length = kRecordLength;
        status = GetNext(record, &length, key, 2);
    }
    if (status == btr::B_KEY_VALUE_NOT_FOUND || status == btr::B_END_OF_FILE ||
        status == btr::B_FILE_NOT_FOUND)
        return 0;
    return status;
}

std::string CVelocityDB::SiblingPath(const char* name) const {
    const std::string& open = m_strOpenName;
    size_t slash = open.find_last_of('/');
    if (slash == std::string::npos) return name;
    return open.substr(0, slash + 1) + name;
}

void CVelocityDB::LoadEditQuote() {
    std::string path = SiblingPath("CONTROL.DB");
    m_bEditQuote = ReadControlFlag("CALL_REMOTE.EDIT_QUOTE", path.c_str());
}

int CVelocityDB::MergeHistory(CVelocity& history, bool replace) {
    uint8_t record[kRecordLength] = {};
    FillKey1(history.m_strCustomer, history.m_strItem, history.m_strUnit);
    int status = ReadKey1(record);
    if (status != 0) return status;
    CVelocity stored;
    Unpack(record, stored);
    if (!replace) {
        history.m_strText = stored.m_strText;
        history.m_strCode5 = stored.m_strCode5;
        history.m_strCode3 = stored.m_strCode3;
        history.m_n36 = stored.m_n36;
    }
    std::string priceCode = Upper(history.m_strPriceCode);
    std::string prefix = priceCode.substr(0, 2);
    bool dropQuote =
        history.m_fAmount1 != stored.m_fAmount1 || prefix == "PC" || prefix == "FM" || prefix == "BT";
    if (dropQuote) {
        if (!m_bEditQuote) {
            CManualPriceDB prices;
            std::string path = SiblingPath(prices.GetFileName());
            if (prices.OpenFile(path.c_str()) == 0) {
                prices.WithdrawOrDelete("    ", "        ", history.m_strCustomer, history.m_strItem,
                                        history.m_strUnit, true);
                prices.Close();
            }
        }
        history.m_fQuotedPrice = 0;
        history.m_strQuoteCode = "    ";
    } else {
        history.m_fQuotedPrice = stored.m_fQuotedPrice;
        history.m_strQuoteCode = stored.m_strQuoteCode;
    }
    Pack(history, record);
    uint16_t length = kRecordLength;
    status = Update(record, &length, KeyBuffer(1), 1);
    if (status == 0 && length != kRecordLength) return btr::B_DATALENGTH_ERROR;
    return status;
}
