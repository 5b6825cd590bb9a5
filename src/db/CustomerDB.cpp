#include "CustomerDB.h"

#include "RecordFields.h"
#include "btrieve/btrcall.h"

#include <vector>

using namespace fields;

namespace fields {

namespace {
std::string Without(const std::string& text, const char* drop) {
    std::string out;
    for (char c : text)
        if (!std::strchr(drop, c) || c == '\0')
            out += c;
    return out;
}
} // namespace

std::string PostalToDisk(const std::string& postal) { return Padded(Without(postal, " -"), 9, ' '); }

std::string PostalFromDisk(const uint8_t* r, size_t at) { return GetText(r, at, 5) + "-" + GetText(r, at + 5, 4); }

std::string PhoneToDisk(const std::string& phone) { return Padded(Without(phone, " -()"), 10, ' '); }

std::string PhoneFromDisk(const uint8_t* r, size_t at) {
    return "(" + GetText(r, at, 3) + ") " + GetText(r, at + 3, 3) + "-" + GetText(r, at + 6, 4);
}

} // namespace fields

CCustomerDB::CCustomerDB() { m_bReload = false; }
CCustomerDB::~CCustomerDB() = default;

int CCustomerDB::Create(const char* path) {
    std::vector<uint8_t> spec;
    uint16_t length = BuildFileSpec(spec, kRecordLength, kKeys, 0,
                                    {{3, 6, 0, btr::KT_STRING},
                                     {9, 25, 3, btr::KT_STRING},
                                     {34, 4, 3, btr::KT_STRING},
                                     {38, 8, 3, btr::KT_STRING},
                                     {34, 12, 3, btr::KT_STRING}});
    int status = CreateFile(spec.data(), length, path, 0);
    if (status != 0)
        return status;
    return OpenFile(path);
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
        {"phone 3 (226), 10 digits", Kind::RText, 10, KR_FIELD(m_strPhone3)},
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
        {"phone 1 (166), 10 digits", Kind::RText, 10, KR_FIELD(m_strPhone1)},
        {"phone 2 (176), 10 digits", Kind::RText, 10, KR_FIELD(m_strPhone2)},
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
    auto erase = [this](const std::string& key) { return DeleteCustomer(key); };
    if (StartLine(firstChar, 6, line, erase, "Error %d Deleting Customer %s") != LineStart::Record)
        return;
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
    int status = GetCustomer(customer, number, 0);
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
    status = UpdateCustomer(customer);
    if (status == btr::B_KEY_VALUE_NOT_FOUND)
        status = InsertCustomer(customer);
    if (status != 0) {
        std::snprintf(text, sizeof text, "Error %d Writing to Database", status);
        AddError(text);
    }
}

void CCustomerDB::Pack(CCustomer& c, uint8_t* r) {
    for (std::string* s : {&c.m_strNumber, &c.m_strCode33, &c.m_strCode37, &c.m_strCode236, &c.m_strCode256,
                           &c.m_strCode323})
        MakeUpper(*s);
    PutText(r, 0, c.m_strCode0, 2, '\0');
    PutText(r, 2, c.m_strNumber, 6, '\0');
    PutText(r, 8, c.m_strName, 25, '\0');
    PutText(r, 33, c.m_strCode33, 4, '\0');
    PutText(r, 37, c.m_strCode37, 8, '\0');
    for (size_t i = 0; i < 3; ++i)
        PutText(r, 45 + 25 * i, c.m_arrAddress[i], 25, '\0');
    PutText(r, 120, c.m_strCity, 15, '\0');
    PutText(r, 135, c.m_strState, 2, '\0');
    PutText(r, 137, PostalToDisk(c.m_strPostal), 9, ' ');
    PutText(r, 146, c.m_strText146, 20, '\0');
    PutText(r, 166, PhoneToDisk(c.m_strPhone1), 10, ' ');
    PutText(r, 176, PhoneToDisk(c.m_strPhone2), 10, ' ');
    PutText(r, 186, c.m_strPhone1Text, 20, '\0');
    PutText(r, 206, c.m_strPhone2Text, 20, '\0');
    PutText(r, 226, PhoneToDisk(c.m_strPhone3), 10, ' ');
    PutText(r, 236, c.m_strCode236, 6, '\0');
    PutText(r, 242, c.m_strCode242, 3, '\0');
    r[245] = static_cast<uint8_t>(c.m_cRaw245);
    PutI32(r, 248, c.m_n248);
    PutF32(r, 252, c.m_f252);
    PutText(r, 256, c.m_strCode256, 2, '\0');
    PutText(r, 258, c.m_strText258, 10, '\0');
    PutText(r, 268, c.m_strText268, 8, '\0');
    PutFlag(r, 276, c.m_b276);
    PutI32(r, 280, c.m_n280);
    r[284] = static_cast<uint8_t>(c.m_cRaw284);
    PutText(r, 285, c.m_strText285, 8, '\0');
    for (size_t i = 0; i < 6; ++i)
        PutF32(r, 296 + 4 * i, c.m_arrAmounts296[i]);
    PutFlag(r, 320, c.m_b320);
    PutFlag(r, 321, c.m_bKeepOnReload);
    PutFlag(r, 322, c.m_b322);
    PutText(r, 323, c.m_strCode323, 4, '\0');
    PutFlag(r, 327, c.m_b327);
    PutText(r, 328, c.m_strCode328, 3, '\0');
    PutCode(r, 331, c.m_c331);
    PutI32(r, 332, c.m_n332);
    PutCode(r, 336, c.m_c336);
    PutI32(r, 340, c.m_n340);
    PutCode(r, 344, c.m_c344);
    PutText(r, 345, c.m_strText345, 8, '\0');
    PutCode(r, 353, c.m_c353);
    PutText(r, 354, c.m_strText354, 14, '\0');
    PutF32(r, 368, c.m_f368);
    PutF32(r, 372, c.m_f372);
    PutFlag(r, 376, c.m_b376);
    PutCode(r, 377, c.m_c377);
    PutCode(r, 378, c.m_c378);
    PutFlag(r, 379, c.m_b379);
    PutFlag(r, 380, c.m_b380);
    PutText(r, 381, c.m_strText381, 8, '\0');
    PutFlag(r, 389, c.m_b389);
    PutF32(r, 392, c.m_f392);
    PutFlag(r, 396, c.m_b396);
    PutFlag(r, 397, c.m_b397);
    PutText(r, 398, c.m_strText398, 8, '\0');
    PutFlag(r, 406, c.m_b406);
    PutText(r, 407, c.m_strText407, 8, '\0');
    PutText(r, 415, c.m_strCode415, 3, '\0');
    PutCode(r, 418, c.m_c418);
    PutCode(r, 419, c.m_c419);
    PutText(r, 420, c.m_strText420, 8, '\0');
    PutF32(r, 428, c.m_f428);
    PutCode(r, 432, c.m_c432);
    PutFlag(r, 433, c.m_b433);
    PutText(r, 434, c.m_strText434, 8, '\0');
    PutText(r, 442, c.m_strText442, 8, '\0');
    PutFlag(r, 450, c.m_b450);
    PutCode(r, 451, c.m_c451);
    PutFlag(r, 452, c.m_b452);
    PutFlag(r, 453, c.m_b453);
    for (size_t i = 0; i < 6; ++i)
        PutText(r, 454 + 4 * i, c.m_arrCodes454[i], 4, '\0');
    PutFlag(r, 478, c.m_b478);
    for (size_t i = 0; i < 4; ++i)
        PutF32(r, 480 + 4 * i, c.m_arrAmounts480[i]);
    PutI32(r, 496, c.m_n496);
    PutFlag(r, 500, c.m_b500);
}

void CCustomerDB::Unpack(const uint8_t* r, CCustomer& c) {
    c.m_strCode0 = GetText(r, 0, 2);
    c.m_strNumber = GetUpper(r, 2, 6);
    c.m_strName = GetText(r, 8, 25);
    c.m_strCode33 = GetUpper(r, 33, 4);
    c.m_strCode37 = GetUpper(r, 37, 8);
    for (size_t i = 0; i < 3; ++i)
        c.m_arrAddress[i] = GetText(r, 45 + 25 * i, 25);
    c.m_strCity = GetText(r, 120, 15);
    c.m_strState = GetText(r, 135, 2);
    c.m_strPostal = PostalFromDisk(r, 137);
    c.m_strText146 = GetText(r, 146, 20);
    c.m_strPhone1 = PhoneFromDisk(r, 166);
    c.m_strPhone2 = PhoneFromDisk(r, 176);
    c.m_strPhone1Text = GetText(r, 186, 20);
    c.m_strPhone2Text = GetText(r, 206, 20);
    c.m_strPhone3 = PhoneFromDisk(r, 226);
    c.m_strCode236 = GetUpper(r, 236, 6);
    c.m_strCode242 = GetText(r, 242, 3);
    c.m_cRaw245 = static_cast<char>(r[245]);
    c.m_n248 = GetI32(r, 248);
    c.m_f252 = GetF32(r, 252);
    c.m_strCode256 = GetUpper(r, 256, 2);
    c.m_strText258 = GetText(r, 258, 10);
    c.m_strText268 = GetText(r, 268, 8);
    c.m_b276 = GetFlag(r, 276);
    c.m_n280 = GetI32(r, 280);
    c.m_cRaw284 = static_cast<char>(r[284]);
    c.m_strText285 = GetText(r, 285, 8);
    for (size_t i = 0; i < 6; ++i)
        c.m_arrAmounts296[i] = GetF32(r, 296 + 4 * i);
    c.m_b320 = GetFlag(r, 320);
    c.m_bKeepOnReload = GetFlag(r, 321);
    c.m_b322 = GetFlag(r, 322);
    c.m_strCode323 = GetUpper(r, 323, 4);
    c.m_b327 = GetFlag(r, 327);
    c.m_strCode328 = GetText(r, 328, 3);
    c.m_c331 = GetCode(r, 331);
    c.m_n332 = GetI32(r, 332);
    c.m_c336 = GetCode(r, 336);
    c.m_n340 = GetI32(r, 340);
    c.m_c344 = GetCode(r, 344);
    c.m_strText345 = GetText(r, 345, 8);
    c.m_c353 = GetCode(r, 353);
    c.m_strText354 = GetText(r, 354, 14);
    c.m_f368 = GetF32(r, 368);
    c.m_f372 = GetF32(r, 372);
    c.m_b376 = GetFlag(r, 376);
    c.m_c377 = GetCode(r, 377);
    c.m_c378 = GetCode(r, 378);
    c.m_b379 = GetFlag(r, 379);
    c.m_b380 = GetFlag(r, 380);
    c.m_strText381 = GetText(r, 381, 8);
    c.m_b389 = GetFlag(r, 389);
    c.m_f392 = GetF32(r, 392);
    c.m_b396 = GetFlag(r, 396);
    c.m_b397 = GetFlag(r, 397);
    c.m_strText398 = GetText(r, 398, 8);
    c.m_b406 = GetFlag(r, 406);
    c.m_strText407 = GetText(r, 407, 8);
    c.m_strCode415 = GetText(r, 415, 3);
    c.m_c418 = GetCode(r, 418);
    c.m_c419 = GetCode(r, 419);
    c.m_strText420 = GetText(r, 420, 8);
    c.m_f428 = GetF32(r, 428);
    c.m_c432 = GetCode(r, 432);
    c.m_b433 = GetFlag(r, 433);
    c.m_strText434 = GetText(r, 434, 8);
    c.m_strText442 = GetText(r, 442, 8);
    c.m_b450 = GetFlag(r, 450);
    c.m_c451 = GetCode(r, 451);
    c.m_b452 = GetFlag(r, 452);
    c.m_b453 = GetFlag(r, 453);
    for (size_t i = 0; i < 6; ++i)
        c.m_arrCodes454[i] = GetText(r, 454 + 4 * i, 4);
    c.m_b478 = GetFlag(r, 478);
    for (size_t i = 0; i < 4; ++i)
        c.m_arrAmounts480[i] = GetF32(r, 480 + 4 * i);
    c.m_n496 = GetI32(r, 496);
    c.m_b500 = GetFlag(r, 500);
}

int CCustomerDB::FormatLine(const uint8_t* raw, std::string& output) {
    CCustomer c;
    Unpack(raw, c);
    std::string line;
    line.reserve(624);
    auto text = [&](const std::string& s, size_t width) { AppendText(line, s, width); };
    auto amount = [&](float v) { AppendAmount(line, v); };
    auto number = [&](int32_t v) { AppendNumber(line, v); };
    auto flag = [&](bool b) { line += b ? 'Y' : 'N'; };
    auto chr = [&](char ch) { line += ch; };
    auto blanks = [&](size_t n) { line.append(n, ' '); };

    for (const std::string& address : c.m_arrAddress)
        text(address, 25);
    for (size_t i : {2, 3, 4, 5, 1, 0})
        amount(c.m_arrAmounts296[i]);
    text(c.m_strText146, 20);
    flag(c.m_b380);
    flag(c.m_b322);
    flag(c.m_b397);
    text(c.m_strCode33, 4);
    text(c.m_strCity, 15);
    for (size_t i : {1, 3, 5})
        text(c.m_arrCodes454[i], 5);
    text(c.m_strCode0, 2);
    amount(c.m_f428);
    chr(c.m_c432);
    flag(c.m_b433);
    chr(c.m_c419);
    chr(c.m_c451);
    number(c.m_n340);
    flag(c.m_b327);
    text(c.m_strText345, 8);
    flag(c.m_b276);
    number(c.m_n248);
    // Key columns are left-aligned and blank-padded, the form a download holds them in.
    line += Padded(c.m_strNumber, 6, ' ');
    number(c.m_n280);
    flag(c.m_b406);
    text(c.m_strText258, 10);
    text(c.m_strText268, 8);
    text(PhoneToDisk(c.m_strPhone3), 10);
    flag(c.m_b453);
    text(c.m_strText442, 8);
    text(c.m_strText434, 8);
    text(c.m_strText420, 8);
    blanks(3);
    text(c.m_strText381, 8);
    text(c.m_strText285, 8);
    amount(c.m_f368);
    text(c.m_strName, 25);
    text(c.m_strText407, 8);
    amount(c.m_f392);
    for (size_t i : {0, 2, 4})
        text(c.m_arrCodes454[i], 5);
    flag(c.m_b320);
    flag(c.m_b452);
    text(c.m_strPhone1Text, 20);
    text(c.m_strPhone2Text, 20);
    text(PhoneToDisk(c.m_strPhone1), 10);
    text(PhoneToDisk(c.m_strPhone2), 10);
    amount(c.m_f372);
    flag(c.m_b389);
    blanks(2);
    flag(c.m_b478);
    chr(c.m_c331);
    number(c.m_n332);
    text(c.m_strCode415, 3);
    text(c.m_strCode242, 3);
    chr(c.m_c336);
    chr(c.m_c418);
    blanks(4);
    flag(c.m_b376);
    text(c.m_strState, 2);
    flag(c.m_b450);
    chr(c.m_cRaw284);
    chr(c.m_cRaw245);
    text(c.m_strText398, 8);
    flag(c.m_b396);
    amount(c.m_f252);
    chr(c.m_c344);
    text(c.m_strCode256, 2);
    flag(c.m_b379);
    text(c.m_strPostal, 10);
    for (float v : c.m_arrAmounts480)
        amount(v);
    text(c.m_strCode37, 8);
    chr(c.m_c353);
    chr(c.m_c377);
    chr(c.m_c378);
    text(c.m_strText354, 14);
    text(c.m_strCode323, 4);
    text(c.m_strCode236, 6);
    text(c.m_strCode328, 8);
    flag(c.m_b500);
    number(c.m_n496);
    // A zero byte or line break inside a field would split the line for the reader.
    for (char& ch : line)
        if (ch == '\0' || ch == '\n' || ch == '\r')
            ch = ' ';
    line += '\n';
    output = line;
    return 0;
}

uint8_t* CCustomerDB::KeyBuffer(int keyNumber) {
    switch (keyNumber) {
    case 0:
        return m_key0;
    case 1:
        return m_key1;
    case 2:
        return m_key2;
    case 3:
        return m_key3;
    case 4:
        return m_key4;
    default:
        return nullptr;
    }
}

int CCustomerDB::ReadChecked(int status, uint16_t length, const uint8_t* record, CCustomer& customer) {
    if (status != 0)
        return status;
    if (length != kRecordLength)
        return btr::B_DATALENGTH_ERROR;
    Unpack(record, customer);
    return 0;
}

int CCustomerDB::GetCustomer(CCustomer& customer, const std::string& keyValue, int keyNumber) {
    static constexpr size_t kKeyLength[kKeys] = {6, 25, 4, 8, 12};
    uint8_t* key = KeyBuffer(keyNumber);
    if (!key)
        return btr::B_INVALID_KEYNUMBER;
    PutText(key, 0, keyValue, kKeyLength[keyNumber], '\0');
    key[kKeyLength[keyNumber]] = 0;
    uint8_t record[kRecordLength] = {};
    uint16_t length = kRecordLength;
    int status = GetEqual(record, &length, key, keyNumber);
    return ReadChecked(status, length, record, customer);
}

int CCustomerDB::GetFirstCustomer(CCustomer& customer, int keyNumber) {
    uint8_t* key = KeyBuffer(keyNumber);
    if (!key)
        return btr::B_INVALID_KEYNUMBER;
    uint8_t record[kRecordLength] = {};
    uint16_t length = kRecordLength;
    int status = GetFirst(record, &length, key, keyNumber);
    return ReadChecked(status, length, record, customer);
}

int CCustomerDB::GetNextCustomer(CCustomer& customer, int keyNumber) {
    uint8_t* key = KeyBuffer(keyNumber);
    if (!key)
        return btr::B_INVALID_KEYNUMBER;
    uint8_t record[kRecordLength] = {};
    uint16_t length = kRecordLength;
    int status = GetNext(record, &length, key, keyNumber);
    return ReadChecked(status, length, record, customer);
}

int CCustomerDB::UpdateCustomer(CCustomer& customer) {
    // The stored number is upper case; look it up in that form.
    MakeUpper(customer.m_strNumber);
    PutText(m_key0, 0, customer.m_strNumber, 6, '\0');
    m_key0[6] = 0;
    uint8_t record[kRecordLength] = {};
    return UpdateByKey(record, kRecordLength, m_key0, 0, [&](uint8_t* r, uint16_t) {
        Pack(customer, r);
        return kRecordLength;
    });
}

int CCustomerDB::InsertCustomer(CCustomer& customer) {
    uint8_t record[kRecordLength] = {};
    Pack(customer, record);
    std::memcpy(m_key0, record + 2, 6);
    m_key0[6] = 0;
    uint16_t length = kRecordLength;
    return Insert(record, &length, m_key0, 0);
}

int CCustomerDB::DeleteCustomer(const std::string& number) {
    // Stored numbers are upper case: a lower-case request must not report a deletion it missed.
    PutText(m_key0, 0, Upper(number), 6, '\0');
    m_key0[6] = 0;
    uint8_t record[kRecordLength] = {};
    return DeleteByKey(record, kRecordLength, m_key0, 0);
}
