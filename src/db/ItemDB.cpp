#include "ItemDB.h"

#include <algorithm>

#include "RecordFields.h"
#include "btrieve/btrcall.h"

#include <vector>

using namespace fields;

CItemDB::CItemDB() { m_bReload = false; }
CItemDB::~CItemDB() = default;

int CItemDB::GetLineLength() const {
    if (m_nVersion < 777)
        return 369;
    if (m_nVersion <= 1024)
        return 484;
    return 538;
}

int CItemDB::Create(const char* path) {
    std::vector<uint8_t> spec;
    uint16_t length = BuildFileSpec(spec, kFixedLength, 4, btr::kFileVariableLength,
                                    {{1, 12, 0, btr::KT_STRING},
                                     {16, 5, 19, btr::KT_STRING},
                                     {1, 12, 3, btr::KT_STRING},
                                     {21, 10, 3, btr::KT_STRING},
                                     {13, 8, 19, btr::KT_STRING},
                                     {1, 12, 3, btr::KT_STRING}});
    int status = CreateFile(spec.data(), length, path, 0);
    if (status != 0)
        return status;
    return OpenFile(path);
}

namespace {
#define KR_FIELD(member) [](CItem& r) -> void* { return &r.member; }
using ichg::Kind;
} // namespace

// The leading columns carry what the editor and the item search use; each older, shorter
// version carries the leading columns that fit its line.
const std::vector<ichg::Column<CItem>>& CItemDB::LineColumns() {
    static const std::vector<ichg::Column<CItem>> columns = {
        {"item number (key 0)", Kind::Key, 12, KR_FIELD(m_strItemNumber)},
        {"code at 12 (key 3)", Kind::Text, 3, KR_FIELD(m_strCode12)},
        {"code at 15 (keys 1, 3)", Kind::Text, 5, KR_FIELD(m_strCode15)},
        {"code at 20 (key 2)", Kind::Text, 10, KR_FIELD(m_strCode20)},
        {"description", Kind::Text, 50, KR_FIELD(m_strDescription)},
        {"brand", Kind::Text, 15, KR_FIELD(m_strBrand)},
        {"default portion type", Kind::Text, 3, KR_FIELD(m_strPortionType)},
        {"pack quantity (184)", Kind::Number, 0, KR_FIELD(m_nPackQuantity)},
        {"unit 1 (225)", Kind::Key, 3, KR_FIELD(m_arrUnits[0])},
        {"unit 2 (228)", Kind::Key, 3, KR_FIELD(m_arrUnits[1])},
        {"unit 3 (231)", Kind::Key, 3, KR_FIELD(m_arrUnits[2])},
        {"factor of unit 1 (260)", Kind::Amount, 0, KR_FIELD(m_arrUnitFactors[0])},
        {"factor of unit 2 (264)", Kind::Amount, 0, KR_FIELD(m_arrUnitFactors[1])},
        {"factor of unit 3 (268)", Kind::Amount, 0, KR_FIELD(m_arrUnitFactors[2])},
        {"amount 1 (32)", Kind::Amount, 0, KR_FIELD(m_fAmount1)},
        {"amount 2 (36)", Kind::Amount, 0, KR_FIELD(m_fAmount2)},
        {"flag 1 (40)", Kind::Flag, 0, KR_FIELD(m_bFlag1)},
        {"code at 41", Kind::Text, 4, KR_FIELD(m_strCode41)},
        {"number 2 (48)", Kind::Number, 0, KR_FIELD(m_nNumber2)},
        {"number 3 (52)", Kind::Number, 0, KR_FIELD(m_nNumber3)},
        {"code at 56", Kind::Text, 2, KR_FIELD(m_strCode56)},
        {"number 4 (76)", Kind::Number, 0, KR_FIELD(m_nNumber4)},
        {"flag 9 (80)", Kind::Flag, 0, KR_FIELD(m_bFlag9)},
        {"code character 3 (81)", Kind::Char, 0, KR_FIELD(m_cCode3)},
        {"amount 3 (84)", Kind::Amount, 0, KR_FIELD(m_fAmount3)},
        {"number 1 (88)", Kind::Number, 0, KR_FIELD(m_nNumber1)},
        {"amount 4 (92)", Kind::Amount, 0, KR_FIELD(m_fAmount4)},
        {"flag 2 (146)", Kind::Flag, 0, KR_FIELD(m_bFlag2)},
        {"amount 5 (148)", Kind::Amount, 0, KR_FIELD(m_fAmount5)},
        {"code at 152", Kind::Text, 3, KR_FIELD(m_strCode152)},
        {"code character 1 (155)", Kind::Char, 0, KR_FIELD(m_cCode1)},
        {"amount 7 (156)", Kind::Amount, 0, KR_FIELD(m_fAmount7)},
        {"amount 8 (160)", Kind::Amount, 0, KR_FIELD(m_fAmount8)},
        {"amount 6 (164)", Kind::Amount, 0, KR_FIELD(m_fAmount6)},
        {"code at 168", Kind::Text, 3, KR_FIELD(m_strCode168)},
        {"flag 3 (171)", Kind::Flag, 0, KR_FIELD(m_bFlag3)},
        {"flag 4 (172)", Kind::Flag, 0, KR_FIELD(m_bFlag4)},
        {"amount 9 (176)", Kind::Amount, 0, KR_FIELD(m_fAmount9)},
        {"number 6 (188)", Kind::Number, 0, KR_FIELD(m_nNumber6)},
        {"amount 10 (192)", Kind::Amount, 0, KR_FIELD(m_fAmount10)},
        {"flag 5 (196)", Kind::Flag, 0, KR_FIELD(m_bFlag5)},
        {"flag 6 (197)", Kind::Flag, 0, KR_FIELD(m_bFlag6)},
        {"code character 2 (198)", Kind::Char, 0, KR_FIELD(m_cCode2)},
        {"code at 199", Kind::Text, 12, KR_FIELD(m_strCode199)},
        {"code at 211", Kind::Text, 12, KR_FIELD(m_strCode211)},
        {"flag 7 (223)", Kind::Flag, 0, KR_FIELD(m_bFlag7)},
        {"flag 8 (224)", Kind::Flag, 0, KR_FIELD(m_bFlag8)},
        {"code at 234", Kind::Text, 6, KR_FIELD(m_strCode234)},
        {"code at 240", Kind::Text, 15, KR_FIELD(m_strCode240)},
        {"code at 255", Kind::Text, 2, KR_FIELD(m_strCode255)},
        {"time (272)", Kind::Date, 0, KR_FIELD(m_tTime)},
        // Version 777 and later.
        {"code at 276", Kind::Text, 2, KR_FIELD(m_strCode276)},
        {"text at 278", Kind::Text, 50, KR_FIELD(m_strText278)},
        {"text at 328", Kind::Text, 15, KR_FIELD(m_strText328)},
        {"amount 11 (344)", Kind::Amount, 0, KR_FIELD(m_fAmount11)},
        {"text at 348", Kind::Text, 25, KR_FIELD(m_strText348)},
        {"number 7 (376)", Kind::Number, 0, KR_FIELD(m_nNumber7)},
        // Version 1025 and later.
        {"amount 12 (380)", Kind::Amount, 0, KR_FIELD(m_fAmount12)},
    };
    return columns;
}
#undef KR_FIELD

std::string CItemDB::WriteLine(const CItem& item, int version) {
    CItemDB sizing;
    sizing.m_nVersion = version;
    size_t length = static_cast<size_t>(sizing.GetLineLength());
    std::string line;
    line.reserve(length);
    ichg::WriteColumns(LineColumns(), length - 1, item, line);
    line += '\n';
    return line;
}

void CItemDB::ImportLine(int firstChar) {
    long at = LineOffset();
    std::string& line = m_strImportLine;
    auto erase = [this](const std::string& key) { return DeleteItem(key); };
    if (StartLine(firstChar, 12, line, erase, "Error %d Deleting Item %s") != LineStart::Record)
        return;
    char text[96];
    std::string number = line.substr(0, 12);
    size_t length = static_cast<size_t>(GetLineLength());
    if (!ReadLineRest(line, length)) {
        RejectFormat(at);
        return;
    }
    // An item already on file keeps what this version's line does not carry (and its notes).
    m_importBuffer.assign(kBufferSize, 0);
    uint8_t* record = m_importBuffer.data();
    FillKey0(number);
    uint16_t recordLength = static_cast<uint16_t>(kBufferSize);
    int status = GetEqual(record, &recordLength, m_key0, 0);
    CItem item;
    if (status == 0)
        Unpack(record, item);
    ichg::ValueError error;
    if (status != 0 && status != btr::B_KEY_VALUE_NOT_FOUND) {
        // Reported as a failed write below.
    } else if (!ichg::ReadColumns(LineColumns(), line.data(), length - 1, item, error)) {
        AddLineError(error.what, at);
        return;
    } else if (status == 0) {
        recordLength = Pack(item, record);
        status = Update(record, &recordLength, m_key0, 0);
    } else {
        status = InsertItem(item);
    }
    if (status != 0) {
        std::snprintf(text, sizeof text, "Error %d Writing to Database", status);
        AddError(text);
    }
}

void CItemDB::FillKey0(const std::string& itemNumber) {
    PutText(m_key0, 0, Upper(itemNumber), 12, '\0');
    m_key0[12] = 0;
}

uint16_t CItemDB::Pack(CItem& item, uint8_t* r) {
    for (std::string* s : {&item.m_strCode41, &item.m_strCode56, &item.m_strCode15, &item.m_strCode20,
                           &item.m_strItemNumber, &item.m_strCode152, &item.m_strCode12, &item.m_strCode168,
                           &item.m_strPortionType, &item.m_strCode199, &item.m_strCode211, &item.m_arrUnits[0],
                           &item.m_arrUnits[1], &item.m_arrUnits[2], &item.m_strCode234, &item.m_strCode240,
                           &item.m_strCode255, &item.m_strCode276, &item.m_strText278, &item.m_strText328})
        MakeUpper(*s);
    PutText(r, 0, item.m_strItemNumber, 12, '\0');
    PutText(r, 12, item.m_strCode12, 3, '\0');
    PutText(r, 15, item.m_strCode15, 5, '\0');
    PutText(r, 20, item.m_strCode20, 10, '\0');
    PutF32(r, 32, item.m_fAmount1);
    PutF32(r, 36, item.m_fAmount2);
    PutFlag(r, 40, item.m_bFlag1);
    PutText(r, 41, item.m_strCode41, 4, '\0');
    PutI32(r, 48, item.m_nNumber2);
    PutI32(r, 52, item.m_nNumber3);
    PutText(r, 56, item.m_strCode56, 2, '\0');
    PutText(r, 58, item.m_strBrand, 15, '\0');
    PutI32(r, 76, item.m_nNumber4);
    PutFlag(r, 80, item.m_bFlag9);
    PutCode(r, 81, item.m_cCode3);
    PutF32(r, 84, item.m_fAmount3);
    PutI32(r, 88, item.m_nNumber1);
    PutF32(r, 92, item.m_fAmount4);
    PutText(r, 96, item.m_strDescription, 50, '\0');
    PutFlag(r, 146, item.m_bFlag2);
    PutF32(r, 148, item.m_fAmount5);
    PutText(r, 152, item.m_strCode152, 3, '\0');
    PutCode(r, 155, item.m_cCode1);
    PutF32(r, 156, item.m_fAmount7);
    PutF32(r, 160, item.m_fAmount8);
    PutF32(r, 164, item.m_fAmount6);
    PutText(r, 168, item.m_strCode168, 3, '\0');
    PutFlag(r, 171, item.m_bFlag3);
    PutFlag(r, 172, item.m_bFlag4);
    PutF32(r, 176, item.m_fAmount9);
    PutText(r, 180, item.m_strPortionType, 3, '\0');
    PutI32(r, 184, item.m_nPackQuantity);
    PutI32(r, 188, item.m_nNumber6);
    PutF32(r, 192, item.m_fAmount10);
    PutFlag(r, 196, item.m_bFlag5);
    PutFlag(r, 197, item.m_bFlag6);
    PutCode(r, 198, item.m_cCode2);
    PutText(r, 199, item.m_strCode199, 12, '\0');
    PutText(r, 211, item.m_strCode211, 12, '\0');
    PutFlag(r, 223, item.m_bFlag7);
    PutFlag(r, 224, item.m_bFlag8);
    for (size_t i = 0; i < 3; ++i) {
        PutText(r, 225 + 3 * i, item.m_arrUnits[i], 3, '\0');
        PutF32(r, 260 + 4 * i, item.m_arrUnitFactors[i]);
    }
    PutText(r, 234, item.m_strCode234, 6, '\0');
    PutText(r, 240, item.m_strCode240, 15, '\0');
    PutText(r, 255, item.m_strCode255, 2, '\0');
    PutTime(r, 272, item.m_tTime);
    PutText(r, 276, item.m_strCode276, 2, '\0');
    PutText(r, 278, item.m_strText278, 50, '\0');
    PutText(r, 328, item.m_strText328, 15, '\0');
    PutF32(r, 344, item.m_fAmount11);
    PutText(r, 348, item.m_strText348, 25, '\0');
    PutI32(r, 376, item.m_nNumber7);
    PutF32(r, 380, item.m_fAmount12);
    // Notes end at their first zero byte; everything after them up to the buffer's end is zero.
    std::string notes = GetText(reinterpret_cast<const uint8_t*>(item.m_strNotes.c_str()), 0, kMaxNotes);
    PutText(r, kNotesOffset, notes, kBufferSize - kNotesOffset, '\0');
    return static_cast<uint16_t>(388 + notes.size());
}

void CItemDB::Unpack(const uint8_t* r, CItem& item) {
    item.m_strItemNumber = GetUpper(r, 0, 12);
    item.m_strCode12 = GetUpper(r, 12, 3);
    item.m_strCode15 = GetUpper(r, 15, 5);
    item.m_strCode20 = GetUpper(r, 20, 10);
    item.m_fAmount1 = GetF32(r, 32);
    item.m_fAmount2 = GetF32(r, 36);
    item.m_bFlag1 = GetFlag(r, 40);
    item.m_strCode41 = GetUpper(r, 41, 4);
    item.m_nNumber2 = GetI32(r, 48);
    item.m_nNumber3 = GetI32(r, 52);
    item.m_strCode56 = GetUpper(r, 56, 2);
    item.m_strBrand = GetText(r, 58, 15);
    item.m_nNumber4 = GetI32(r, 76);
    item.m_bFlag9 = GetFlag(r, 80);
    item.m_cCode3 = GetCode(r, 81);
    item.m_fAmount3 = GetF32(r, 84);
    item.m_nNumber1 = GetI32(r, 88);
    item.m_fAmount4 = GetF32(r, 92);
    item.m_strDescription = GetText(r, 96, 50);
    item.m_bFlag2 = GetFlag(r, 146);
    item.m_fAmount5 = GetF32(r, 148);
    item.m_strCode152 = GetUpper(r, 152, 3);
    item.m_cCode1 = GetCode(r, 155);
    item.m_fAmount7 = GetF32(r, 156);
    item.m_fAmount8 = GetF32(r, 160);
    item.m_fAmount6 = GetF32(r, 164);
    item.m_strCode168 = GetUpper(r, 168, 3);
    item.m_bFlag3 = GetFlag(r, 171);
    item.m_bFlag4 = GetFlag(r, 172);
    item.m_fAmount9 = GetF32(r, 176);
    item.m_strPortionType = GetUpper(r, 180, 3);
    item.m_nPackQuantity = GetI32(r, 184);
    item.m_nNumber6 = GetI32(r, 188);
    item.m_fAmount10 = GetF32(r, 192);
    item.m_bFlag5 = GetFlag(r, 196);
    item.m_bFlag6 = GetFlag(r, 197);
    item.m_cCode2 = GetCode(r, 198);
    item.m_strCode199 = GetUpper(r, 199, 12);
    item.m_strCode211 = GetUpper(r, 211, 12);
    item.m_bFlag7 = GetFlag(r, 223);
    item.m_bFlag8 = GetFlag(r, 224);
    for (size_t i = 0; i < 3; ++i) {
        item.m_arrUnits[i] = GetUpper(r, 225 + 3 * i, 3);
        item.m_arrUnitFactors[i] = GetF32(r, 260 + 4 * i);
    }
    item.m_strCode234 = GetUpper(r, 234, 6);
    item.m_strCode240 = GetUpper(r, 240, 15);
    item.m_strCode255 = GetUpper(r, 255, 2);
    item.m_tTime = GetTime(r, 272);
    item.m_strCode276 = GetUpper(r, 276, 2);
    item.m_strText278 = GetText(r, 278, 50);
    item.m_strText328 = GetText(r, 328, 15);
    item.m_fAmount11 = GetF32(r, 344);
    item.m_strText348 = GetText(r, 348, 25);
    item.m_nNumber7 = GetI32(r, 376);
    item.m_fAmount12 = GetF32(r, 380);
    item.m_strNotes = GetText(r, kNotesOffset, kMaxNotes);
}

int CItemDB::FindItem(CItem& item, const std::string& itemNumber) {
    // One buffer for the object's life: the item search reads hundreds of items in a row.
    m_findBuffer.resize(kBufferSize);
    FillKey0(itemNumber);
    uint16_t length = 0;
    int status = ReadByKey(m_findBuffer.data(), static_cast<uint16_t>(kBufferSize), m_key0, 0, &length);
    if (status == 0) {
        // Nothing past the record returned belongs to it: the notes end there.
        std::fill(m_findBuffer.begin() + std::min<size_t>(length, kBufferSize), m_findBuffer.end(), 0);
        Unpack(m_findBuffer.data(), item);
    }
    return status;
}

int CItemDB::UpdateItem(CItem& item, CItem* previous) {
    std::vector<uint8_t> buffer(kBufferSize, 0);
    MakeUpper(item.m_strItemNumber);
    FillKey0(item.m_strItemNumber);
    return UpdateByKey(buffer.data(), static_cast<uint16_t>(kBufferSize), m_key0, 0,
                       [&](uint8_t* record, uint16_t) {
                           if (previous)
                               Unpack(record, *previous);
                           return Pack(item, record);
                       });
}

int CItemDB::InsertItem(CItem& item) {
    std::vector<uint8_t> buffer(kBufferSize, 0);
    uint16_t length = Pack(item, buffer.data());
    FillKey0(item.m_strItemNumber);
    return Insert(buffer.data(), &length, m_key0, 0);
}

int CItemDB::DeleteItem(const std::string& itemNumber) {
    std::vector<uint8_t> buffer(kBufferSize, 0);
    FillKey0(itemNumber);
    return DeleteByKey(buffer.data(), static_cast<uint16_t>(kBufferSize), m_key0, 0);
}
