#include "CustomerDB.h"

#include "RecordFields.h"
#include "RecordLayout.h"
#include "btrieve/btrcall.h"

#include <vector>

using namespace fields;

CCustomerDB::CCustomerDB() {
    m_bReload = false;
}
CCustomerDB::~CCustomerDB() = default;

const std::vector<BtrKeySegment>& CCustomerDB::KeySegments() {
    const auto& f = Fields();
    // Key 4 runs on from the code at 33 over the code at 37.
    static const std::vector<BtrKeySegment> segments = {
        rec::Segment(f, "m_strNumber", 0, btr::KT_STRING), rec::Segment(f, "m_strName", 3, btr::KT_STRING),
        rec::Segment(f, "m_strCode33", 3, btr::KT_STRING), rec::Segment(f, "m_strCode37", 3, btr::KT_STRING),
        rec::Segment(f, "m_strCode33", 3, btr::KT_STRING, 12)};
    return segments;
}

namespace {
#define KR_FIELD(member) [](CCustomer& r) -> void* { return &r.member; }
using ichg::Kind;
} // namespace

// The line as the suite's customer download holds it (columns from 0).
const std::vector<ichg::Column<CCustomer>>& CCustomerDB::LineColumns() {
    static const std::vector<ichg::Column<CCustomer>> columns = {
        {"address line 1 (45)", Kind::RText, 25, KR_FIELD(m_arrAddress[0])},
        {"address line 2 (70)", Kind::RText, 25, KR_FIELD(m_arrAddress[1])},
        {"address line 3 (95)", Kind::RText, 25, KR_FIELD(m_arrAddress[2])},
        {"amount at 304", Kind::Amount, 0, KR_FIELD(m_arrAmounts296[2])},
        {"amount at 308", Kind::Amount, 0, KR_FIELD(m_arrAmounts296[3])},
        {"amount at 312", Kind::Amount, 0, KR_FIELD(m_arrAmounts296[4])},
        {"amount at 316", Kind::Amount, 0, KR_FIELD(m_arrAmounts296[5])},
        {"amount at 300", Kind::Amount, 0, KR_FIELD(m_arrAmounts296[1])},
        {"amount at 296", Kind::Amount, 0, KR_FIELD(m_arrAmounts296[0])},
        {"text at 146", Kind::RText, 20, KR_FIELD(m_strText146)},
        {"flag at 380", Kind::Flag, 0, KR_FIELD(m_b380)},
        {"flag at 322", Kind::Flag, 0, KR_FIELD(m_b322)},
        {"flag at 397", Kind::Flag, 0, KR_FIELD(m_b397)},
        {"code at 33 (key 2)", Kind::RText, 4, KR_FIELD(m_strCode33)},
        {"city (120)", Kind::RText, 15, KR_FIELD(m_strCity)},
        {"code at 458", Kind::RText, 5, KR_FIELD(m_arrCodes454[1])},
        {"code at 466", Kind::RText, 5, KR_FIELD(m_arrCodes454[3])},
        {"code at 474", Kind::RText, 5, KR_FIELD(m_arrCodes454[5])},
        {"code at 0", Kind::RText, 2, KR_FIELD(m_strCode0)},
        {"amount at 428", Kind::Amount, 0, KR_FIELD(m_f428)},
        {"code character at 432", Kind::Char, 0, KR_FIELD(m_c432)},
        {"flag at 433", Kind::Flag, 0, KR_FIELD(m_b433)},
        {"code character at 419", Kind::Char, 0, KR_FIELD(m_c419)},
        {"code character at 451", Kind::Char, 0, KR_FIELD(m_c451)},
        {"number at 340", Kind::Number, 0, KR_FIELD(m_n340)},
        {"flag at 327", Kind::Flag, 0, KR_FIELD(m_b327)},
        {"text at 345", Kind::RText, 8, KR_FIELD(m_strText345)},
        {"flag at 276", Kind::Flag, 0, KR_FIELD(m_b276)},
        {"number at 248", Kind::Number, 0, KR_FIELD(m_n248)},
        {"customer number (2, key 0)", Kind::Key, 6, KR_FIELD(m_strNumber)},
        {"number at 280", Kind::Number, 0, KR_FIELD(m_n280)},
        {"flag at 406", Kind::Flag, 0, KR_FIELD(m_b406)},
        {"text at 258", Kind::RText, 10, KR_FIELD(m_strText258)},
        {"text at 268", Kind::RText, 8, KR_FIELD(m_strText268)},
        {"phone 3 (226), 10 digits", Kind::Phone, 10, KR_FIELD(m_strPhone3)},
        {"flag at 453", Kind::Flag, 0, KR_FIELD(m_b453)},
        {"text at 442", Kind::RText, 8, KR_FIELD(m_strText442)},
        {"text at 434", Kind::RText, 8, KR_FIELD(m_strText434)},
        {"text at 420", Kind::RText, 8, KR_FIELD(m_strText420)},
        {"not read", Kind::Blank, 3, nullptr},
        {"text at 381", Kind::RText, 8, KR_FIELD(m_strText381)},
        {"text at 285", Kind::RText, 8, KR_FIELD(m_strText285)},
        {"amount at 368", Kind::Amount, 0, KR_FIELD(m_f368)},
        {"customer name (8, key 1)", Kind::RText, 25, KR_FIELD(m_strName)},
        {"text at 407", Kind::RText, 8, KR_FIELD(m_strText407)},
        {"amount at 392", Kind::Amount, 0, KR_FIELD(m_f392)},
        {"code at 454", Kind::RText, 5, KR_FIELD(m_arrCodes454[0])},
        {"code at 462", Kind::RText, 5, KR_FIELD(m_arrCodes454[2])},
        {"code at 470", Kind::RText, 5, KR_FIELD(m_arrCodes454[4])},
        {"flag at 320", Kind::Flag, 0, KR_FIELD(m_b320)},
        {"flag at 452", Kind::Flag, 0, KR_FIELD(m_b452)},
        {"text paired with phone 1 (186)", Kind::RText, 20, KR_FIELD(m_strPhone1Text)},
        {"text paired with phone 2 (206)", Kind::RText, 20, KR_FIELD(m_strPhone2Text)},
        {"phone 1 (166), 10 digits", Kind::Phone, 10, KR_FIELD(m_strPhone1)},
        {"phone 2 (176), 10 digits", Kind::Phone, 10, KR_FIELD(m_strPhone2)},
        {"amount at 372", Kind::Amount, 0, KR_FIELD(m_f372)},
        {"flag at 389", Kind::Flag, 0, KR_FIELD(m_b389)},
        {"not read", Kind::Blank, 2, nullptr},
        {"flag at 478", Kind::Flag, 0, KR_FIELD(m_b478)},
        {"code character at 331", Kind::Char, 0, KR_FIELD(m_c331)},
        {"number at 332", Kind::Number, 0, KR_FIELD(m_n332)},
        {"text at 415", Kind::RText, 3, KR_FIELD(m_strCode415)},
        {"code at 242", Kind::RText, 3, KR_FIELD(m_strCode242)},
        {"code character at 336", Kind::Char, 0, KR_FIELD(m_c336)},
        {"code character at 418", Kind::Char, 0, KR_FIELD(m_c418)},
        {"not used", Kind::Blank, 4, nullptr},
        {"flag at 376", Kind::Flag, 0, KR_FIELD(m_b376)},
        {"state (135)", Kind::RText, 2, KR_FIELD(m_strState)},
        {"flag at 450", Kind::Flag, 0, KR_FIELD(m_b450)},
        {"character at 284", Kind::Char, 0, KR_FIELD(m_cRaw284)},
        {"character at 245", Kind::Char, 0, KR_FIELD(m_cRaw245)},
        {"text at 398", Kind::RText, 8, KR_FIELD(m_strText398)},
        {"flag at 396", Kind::Flag, 0, KR_FIELD(m_b396)},
        {"amount at 252", Kind::Amount, 0, KR_FIELD(m_f252)},
        {"code character at 344", Kind::Char, 0, KR_FIELD(m_c344)},
        {"code at 256", Kind::RText, 2, KR_FIELD(m_strCode256)},
        {"flag at 379", Kind::Flag, 0, KR_FIELD(m_b379)},
        {"postal code (137), 12345-6789", Kind::RText, 10, KR_FIELD(m_strPostal)},
        {"amount at 480", Kind::Amount, 0, KR_FIELD(m_arrAmounts480[0])},
        {"amount at 484", Kind::Amount, 0, KR_FIELD(m_arrAmounts480[1])},
        {"amount at 488", Kind::Amount, 0, KR_FIELD(m_arrAmounts480[2])},
        {"amount at 492", Kind::Amount, 0, KR_FIELD(m_arrAmounts480[3])},
        {"code at 37 (key 3)", Kind::RText, 8, KR_FIELD(m_strCode37)},
        {"code character at 353", Kind::Char, 0, KR_FIELD(m_c353)},
        {"code character at 377", Kind::Char, 0, KR_FIELD(m_c377)},
        {"code character at 378", Kind::Char, 0, KR_FIELD(m_c378)},
        {"text at 354", Kind::RText, 14, KR_FIELD(m_strText354)},
        {"code at 323", Kind::RText, 4, KR_FIELD(m_strCode323)},
        {"code at 236", Kind::RText, 6, KR_FIELD(m_strCode236)},
        {"code at 328", Kind::RText, 8, KR_FIELD(m_strCode328)},
        // Version 777 and later.
        {"flag at 500", Kind::Flag, 0, KR_FIELD(m_b500)},
        {"number at 496", Kind::Number, 0, KR_FIELD(m_n496)},
    };
    return columns;
}
#undef KR_FIELD

bool CCustomerDB::KeepOnPurge(const uint8_t* record, uint16_t length) const {
    return length >= kRecordLength && GetFlag(record, 321);
}

void CCustomerDB::ImportLine(int firstChar) {
    long at = LineOffset();
    std::string line;
    auto erase = [this](const std::string& key) { return DeleteRecord(key); };
    if (StartLine(firstChar, 6, line, erase, "Error %d Deleting Customer %s") != LineStart::Record) return;
    char text[96];
    size_t length = static_cast<size_t>(GetLineLength());
    if (!ReadLineRest(line, length)) {
        RejectFormat(at);
        return;
    }
    // The number sits inside the line; a customer on file keeps what the line does not carry
    // (the keep-on-reload flag, and the last fields in the older version).
    std::string number = line.substr(237, 6);
    CCustomer customer;
    int status = GetRecord(customer, number);
    if (status != 0 && status != btr::B_KEY_VALUE_NOT_FOUND) {
        std::snprintf(text, sizeof text, "Error %d Writing to Database", status);
        AddError(text);
        return;
    }
    ichg::ValueError error;
    if (!ichg::ReadColumns(LineColumns(), line.data(), length - 1, customer, error)) {
        AddLineError(error.what, at);
        return;
    }
    status = UpdateRecord(customer);
    if (status == btr::B_KEY_VALUE_NOT_FOUND) status = InsertRecord(customer);
    if (status != 0) {
        std::snprintf(text, sizeof text, "Error %d Writing to Database", status);
        AddError(text);
    }
}

#define KR_RECORD CCustomer
// The record, field by field in offset order.
const rec::Layout<CCustomer>& CCustomerDB::Fields() {
    static const rec::Layout<CCustomer> layout = {
        KR_AT(m_strCode0, 0, 2, Text),
        KR_AT(m_strNumber, 2, 6, Upper),
        KR_AT(m_strName, 8, 25, Text),
        KR_AT(m_strCode33, 33, 4, Upper),
        KR_AT(m_strCode37, 37, 8, Upper),
        KR_AT(m_arrAddress[0], 45, 25, Text),
        KR_AT(m_arrAddress[1], 70, 25, Text),
        KR_AT(m_arrAddress[2], 95, 25, Text),
        KR_AT(m_strCity, 120, 15, Text),
        KR_AT(m_strState, 135, 2, Text),
        KR_AT(m_strPostal, 137, 9, Postal),
        KR_AT(m_strText146, 146, 20, Text),
        KR_AT(m_strPhone1, 166, 10, Phone),
        KR_AT(m_strPhone2, 176, 10, Phone),
        KR_AT(m_strPhone1Text, 186, 20, Text),
        KR_AT(m_strPhone2Text, 206, 20, Text),
        KR_AT(m_strPhone3, 226, 10, Phone),
        KR_AT(m_strCode236, 236, 6, Upper),
        KR_AT(m_strCode242, 242, 3, Text),
        KR_AT(m_cRaw245, 245, 1, Byte),
        KR_AT(m_n248, 248, 4, I32),
        KR_AT(m_f252, 252, 4, F32),
        KR_AT(m_strCode256, 256, 2, Upper),
        KR_AT(m_strText258, 258, 10, Text),
        KR_AT(m_strText268, 268, 8, Text),
        KR_AT(m_b276, 276, 1, Flag),
        KR_AT(m_n280, 280, 4, I32),
        KR_AT(m_cRaw284, 284, 1, Byte),
        KR_AT(m_strText285, 285, 8, Text),
        KR_AT(m_arrAmounts296[0], 296, 4, F32),
        KR_AT(m_arrAmounts296[1], 300, 4, F32),
        KR_AT(m_arrAmounts296[2], 304, 4, F32),
        KR_AT(m_arrAmounts296[3], 308, 4, F32),
        KR_AT(m_arrAmounts296[4], 312, 4, F32),
        KR_AT(m_arrAmounts296[5], 316, 4, F32),
        KR_AT(m_b320, 320, 1, Flag),
        KR_AT(m_bKeepOnReload, 321, 1, Flag),
        KR_AT(m_b322, 322, 1, Flag),
        KR_AT(m_strCode323, 323, 4, Upper),
        KR_AT(m_b327, 327, 1, Flag),
        KR_AT(m_strCode328, 328, 3, Text),
        KR_AT(m_c331, 331, 1, Code),
        KR_AT(m_n332, 332, 4, I32),
        KR_AT(m_c336, 336, 1, Code),
        KR_AT(m_n340, 340, 4, I32),
        KR_AT(m_c344, 344, 1, Code),
        KR_AT(m_strText345, 345, 8, Text),
        KR_AT(m_c353, 353, 1, Code),
        KR_AT(m_strText354, 354, 14, Text),
        KR_AT(m_f368, 368, 4, F32),
        KR_AT(m_f372, 372, 4, F32),
        KR_AT(m_b376, 376, 1, Flag),
        KR_AT(m_c377, 377, 1, Code),
        KR_AT(m_c378, 378, 1, Code),
        KR_AT(m_b379, 379, 1, Flag),
        KR_AT(m_b380, 380, 1, Flag),
        KR_AT(m_strText381, 381, 8, Text),
        KR_AT(m_b389, 389, 1, Flag),
        KR_AT(m_f392, 392, 4, F32),
        KR_AT(m_b396, 396, 1, Flag),
        KR_AT(m_b397, 397, 1, Flag),
        KR_AT(m_strText398, 398, 8, Text),
        KR_AT(m_b406, 406, 1, Flag),
        KR_AT(m_strText407, 407, 8, Text),
        KR_AT(m_strCode415, 415, 3, Text),
        KR_AT(m_c418, 418, 1, Code),
        KR_AT(m_c419, 419, 1, Code),
        KR_AT(m_strText420, 420, 8, Text),
        KR_AT(m_f428, 428, 4, F32),
        KR_AT(m_c432, 432, 1, Code),
        KR_AT(m_b433, 433, 1, Flag),
        KR_AT(m_strText434, 434, 8, Text),
        KR_AT(m_strText442, 442, 8, Text),
        KR_AT(m_b450, 450, 1, Flag),
        KR_AT(m_c451, 451, 1, Code),
        KR_AT(m_b452, 452, 1, Flag),
        KR_AT(m_b453, 453, 1, Flag),
        KR_AT(m_arrCodes454[0], 454, 4, Text),
        KR_AT(m_arrCodes454[1], 458, 4, Text),
        KR_AT(m_arrCodes454[2], 462, 4, Text),
        KR_AT(m_arrCodes454[3], 466, 4, Text),
        KR_AT(m_arrCodes454[4], 470, 4, Text),
        KR_AT(m_arrCodes454[5], 474, 4, Text),
        KR_AT(m_b478, 478, 1, Flag),
        KR_AT(m_arrAmounts480[0], 480, 4, F32),
        KR_AT(m_arrAmounts480[1], 484, 4, F32),
        KR_AT(m_arrAmounts480[2], 488, 4, F32),
        KR_AT(m_arrAmounts480[3], 492, 4, F32),
        KR_AT(m_n496, 496, 4, I32),
        KR_AT(m_b500, 500, 1, Flag),
    };
    return layout;
}
#undef KR_RECORD

void CCustomerDB::Pack(CCustomer& customer, uint8_t* record) {
    rec::Pack(Fields(), customer, record);
}

void CCustomerDB::Unpack(const uint8_t* record, CCustomer& customer) {
    rec::Unpack(Fields(), record, customer);
}

int CCustomerDB::FormatLine(const uint8_t* raw, std::string& output) {
    CCustomer customer;
    Unpack(raw, customer);
    output.clear();
    ichg::WriteColumns(LineColumns(), 622, customer, output);
    output += '\n';
    return 0;
}
