#include "VelocityDB.h"

#include "ControlDB.h"
#include "ManualPriceDB.h"
#include "RecordFields.h"
#include "btrieve/btrcall.h"

#include <ctime>
#include <vector>

using namespace fields;

namespace {
constexpr uint16_t kMore = 0x13; // duplicates, modifiable, another segment follows
constexpr uint16_t kLast = 3;    // duplicates, modifiable

bool LocalDate(int64_t t, std::tm& out) {
    std::time_t when = static_cast<std::time_t>(t);
    return localtime_r(&when, &out) != nullptr;
}
} // namespace

CVelocityDB::CVelocityDB() { m_bReload = false; }
CVelocityDB::~CVelocityDB() = default;

int CVelocityDB::GetLineLength() const {
    if (m_nVersion < 521)
        return 126;
    if (m_nVersion < 773)
        return 136;
    if (m_nVersion < 1026)
        return 158;
    return 164;
}

int CVelocityDB::Create(const char* path) {
    const uint8_t s = btr::KT_STRING;
    std::vector<uint8_t> spec;
    uint16_t length = BuildFileSpec(spec, kRecordLength, 6, 0,
                                    {// 0: customer, 5-character code, item and unit
                                     {1, 6, kMore, s},
                                     {22, 5, kMore, s},
                                     {7, 15, kLast, s},
                                     // 1: customer, item, unit (unique)
                                     {1, 21, 0, s},
                                     // 2: item
                                     {7, 12, kLast, s},
                                     // 3: customer, 3-character code, item and unit
                                     {1, 6, kMore, s},
                                     {27, 3, kMore, s},
                                     {7, 15, kLast, s},
                                     // 4: customer, both codes, item and unit
                                     {1, 6, kMore, s},
                                     {27, 3, kMore, s},
                                     {22, 5, kMore, s},
                                     {7, 15, kLast, s},
                                     // 5: customer, last date, 5-character code, item and unit
                                     {1, 6, kMore, s},
                                     {30, 4, btr::KF_EXTENDED_TYPE | kMore, btr::KT_DATE},
                                     {22, 5, kMore, s},
                                     {7, 15, kLast, s}});
    int status = CreateFile(spec.data(), length, path, 0);
    if (status != 0)
        return status;
    return OpenFile(path);
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
    if (ready)
        LoadEditQuote();
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
    if (status == btr::B_KEY_VALUE_NOT_FOUND)
        status = InsertHistory(history);
    if (status != 0) {
        std::snprintf(text, sizeof text, "Error %d Writing to database at offset %ld", status, at);
        AddError(text);
    }
}

void CVelocityDB::Pack(CVelocity& h, uint8_t* r) {
    for (std::string* s : {&h.m_strCustomer, &h.m_strItem, &h.m_strUnit, &h.m_strCode5, &h.m_strCode3,
                           &h.m_strPriceCode, &h.m_strCode9, &h.m_strQuoteCode})
        MakeUpper(*s);
    PutText(r, 0, h.m_strCustomer, 6, '\0');
    PutText(r, 6, h.m_strItem, 12, '\0');
    PutText(r, 18, h.m_strUnit, 3, '\0');
    PutText(r, 21, h.m_strCode5, 5, '\0');
    PutText(r, 26, h.m_strCode3, 3, '\0');
    // The Btrieve date of the last date, in local time; all zero when there is none.
    std::tm local{};
    if (h.m_tLastDate != -1 && LocalDate(h.m_tLastDate, local)) {
        r[29] = static_cast<uint8_t>(local.tm_mday);
        r[30] = static_cast<uint8_t>(local.tm_mon + 1);
        PutI16(r, 31, static_cast<int16_t>(local.tm_year + 1900));
    } else {
        std::memset(r + 29, 0, 4);
    }
    PutI32(r, 36, h.m_n36);
    r[40] = static_cast<uint8_t>(h.m_c40);
    PutText(r, 41, h.m_strText, 30, '\0');
    PutF32(r, 72, h.m_fAmount1);
    PutF32(r, 76, h.m_fAmount2);
    PutF32(r, 80, h.m_fAmount3);
    PutF32(r, 84, h.m_fAmount4);
    PutText(r, 88, h.m_strPriceCode, 4, '\0');
    PutFlag(r, 92, h.m_bFlag92);
    PutText(r, 93, h.m_strCode9, 9, '\0');
    PutTime(r, 104, h.m_tLastDate);
    PutTime(r, 108, h.m_tSecondDate);
    for (size_t i = 0; i < 6; ++i)
        PutI32(r, 112 + 4 * i, h.m_arrNumbers[i]);
    PutI32(r, 136, h.m_n136);
    PutI32(r, 140, h.m_n140);
    PutF32(r, 144, h.m_fQuotedPrice);
    PutText(r, 148, h.m_strQuoteCode, 4, '\0');
    PutFlag(r, 152, h.m_bActive);
    PutI32(r, 156, h.m_n156);
}

void CVelocityDB::Unpack(const uint8_t* r, CVelocity& h) {
    h.m_strCustomer = GetUpper(r, 0, 6);
    h.m_strItem = GetUpper(r, 6, 12);
    h.m_strUnit = GetUpper(r, 18, 3);
    h.m_strCode5 = GetUpper(r, 21, 5);
    h.m_strCode3 = GetUpper(r, 26, 3);
    h.m_n36 = GetI32(r, 36);
    h.m_c40 = static_cast<char>(r[40]);
    h.m_strText = GetText(r, 41, 30);
    h.m_fAmount1 = GetF32(r, 72);
    h.m_fAmount2 = GetF32(r, 76);
    h.m_fAmount3 = GetF32(r, 80);
    h.m_fAmount4 = GetF32(r, 84);
    h.m_strPriceCode = GetUpper(r, 88, 4);
    h.m_bFlag92 = GetFlagY(r, 92);
    h.m_strCode9 = GetUpper(r, 93, 9);
    h.m_tLastDate = GetTime(r, 104);
    h.m_tSecondDate = GetTime(r, 108);
    for (size_t i = 0; i < 6; ++i)
        h.m_arrNumbers[i] = GetI32(r, 112 + 4 * i);
    h.m_n136 = GetI32(r, 136);
    h.m_n140 = GetI32(r, 140);
    h.m_fQuotedPrice = GetF32(r, 144);
    h.m_strQuoteCode = GetUpper(r, 148, 4);
    h.m_bActive = GetFlagY(r, 152);
    h.m_n156 = GetI32(r, 156);
}

int CVelocityDB::FormatLine(const uint8_t* raw, std::string& output) {
    CVelocity h;
    Unpack(raw, h);
    std::string line;
    line.reserve(165);
    // Key columns are left-aligned and blank-padded, the form a download holds them in.
    line += Padded(h.m_strCustomer, 6, ' ');
    line += Padded(h.m_strItem, 12, ' ');
    line += Padded(h.m_strUnit, 3, ' ');
    std::tm local{};
    if (h.m_tLastDate != -1 && LocalDate(h.m_tLastDate, local)) {
        char date[32];
        std::snprintf(date, sizeof date, "%02d/%02d/%04d", local.tm_mon + 1, local.tm_mday, local.tm_year + 1900);
        AppendText(line, date, 10);
    } else {
        line.append(10, ' ');
    }
    for (float v : {h.m_fAmount1, h.m_fAmount2, h.m_fAmount3, h.m_fAmount4})
        AppendAmount(line, v);
    AppendText(line, h.m_strPriceCode, 4);
    line += h.m_bFlag92 ? 'Y' : 'N';
    AppendText(line, h.m_strCode9, 9);
    for (int32_t n : h.m_arrNumbers)
        AppendNumber(line, n);
    AppendNumber(line, h.m_n136);
    AppendNumber(line, h.m_n140);
    AppendAmount(line, h.m_fQuotedPrice);
    AppendText(line, h.m_strQuoteCode, 4);
    line += h.m_bActive ? 'Y' : 'N';
    AppendNumber(line, h.m_n156);
    line.append(4, ' ');
    // A zero byte or line break inside a field would split the line for the reader.
    for (char& ch : line)
        if (ch == '\0' || ch == '\n' || ch == '\r')
            ch = ' ';
    line += '\n';
    output = line;
    return 0;
}

void CVelocityDB::FillKey1(const std::string& customer, const std::string& item, const std::string& unit) {
    PutText(m_key1, 0, Upper(customer), 6, '\0');
    PutText(m_key1, 6, Upper(item), 12, '\0');
    PutText(m_key1, 18, Upper(unit), 3, '\0');
    m_key1[21] = 0;
}

int CVelocityDB::ReadKey1(uint8_t* record) {
    m_nKeyNumber = 1;
    uint16_t length = kRecordLength;
    int status = GetEqual(record, &length, m_key1, 1);
    if (status == 0 && length != kRecordLength)
        return btr::B_DATALENGTH_ERROR;
    return status;
}

int CVelocityDB::GetHistory(CVelocity& history, const std::string& customer, const std::string& item,
                            const std::string& unit) {
    uint8_t record[kRecordLength] = {};
    FillKey1(customer, item, unit);
    int status = ReadKey1(record);
    if (status == 0)
        Unpack(record, history);
    return status;
}

int CVelocityDB::ClearOrDelete(const std::string& customer, const std::string& item, const std::string& unit,
                               bool deleteRecord) {
    uint8_t record[kRecordLength] = {};
    FillKey1(customer, item, unit);
    int status = ReadKey1(record);
    if (status != 0)
        return status;
    if (deleteRecord)
        return Delete();
    record[152] = 'N';
    uint16_t length = kRecordLength;
    return Update(record, &length, m_key1, 1);
}

int CVelocityDB::ClearItemUnit(const std::string& item, const std::string& unit) {
    uint8_t itemKey[12];
    uint8_t unitKey[3];
    PutText(itemKey, 0, Upper(item), 12, '\0');
    PutText(unitKey, 0, Upper(unit), 3, '\0');
    std::memcpy(m_key2, itemKey, 12);
    m_key2[12] = 0;
    m_nKeyNumber = 2;
    uint8_t record[kRecordLength] = {};
    uint16_t length = kRecordLength;
    int status = GetEqual(record, &length, m_key2, 2);
    while (status == 0) {
        if (length != kRecordLength)
            return btr::B_DATALENGTH_ERROR;
        if (std::memcmp(record + 6, itemKey, 12) != 0)
            return 0;
        if (std::memcmp(record + 18, unitKey, 3) == 0 && record[152] != 'N') {
            record[152] = 'N';
            status = Update(record, &length, m_key2, 2);
            if (status != 0)
                return status;
        }
        length = kRecordLength;
        status = GetNext(record, &length, m_key2, 2);
    }
    if (status == btr::B_KEY_VALUE_NOT_FOUND || status == btr::B_END_OF_FILE || status == btr::B_FILE_NOT_FOUND)
        return 0;
    return status;
}

int CVelocityDB::InsertHistory(CVelocity& history) {
    uint8_t record[kRecordLength] = {};
    Pack(history, record);
    std::memcpy(m_key1, record, 21);
    m_key1[21] = 0;
    m_nKeyNumber = 1;
    uint16_t length = kRecordLength;
    return Insert(record, &length, m_key1, 1);
}

std::string CVelocityDB::SiblingPath(const char* name) const {
    const std::string& open = m_strOpenName;
    size_t slash = open.find_last_of('/');
    if (slash == std::string::npos)
        return name;
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
    if (status != 0)
        return status;
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
    bool dropQuote = history.m_fAmount1 != stored.m_fAmount1 || prefix == "PC" || prefix == "FM" || prefix == "BT";
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
    status = Update(record, &length, m_key1, 1);
    if (status == 0 && length != kRecordLength)
        return btr::B_DATALENGTH_ERROR;
    return status;
}
