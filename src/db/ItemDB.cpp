#include "ItemDB.h"

#include <algorithm>

#include "RecordFields.h"
#include "RecordLayout.h"
#include "btrieve/btrcall.h"

#include <vector>

using namespace fields;

CItemDB::CItemDB() {
    m_bReload = false;
}
CItemDB::~CItemDB() = default;

int CItemDB::GetLineLength() const {
    if (m_nVersion < 777) return 369;
    if (m_nVersion <= 1024) return 484;
    return 538;
}

const std::vector<BtrKeySegment>& CItemDB::KeySegments() {
    // 0: item; 1: code at 15 and item; 2: code at 20; 3: codes at 12 and 15, then item
    static const std::vector<BtrKeySegment> segments = {
        rec::Segment(Fields(), "m_strItemNumber", 0, btr::KT_STRING),
        rec::Segment(Fields(), "m_strCode15", 19, btr::KT_STRING),
        rec::Segment(Fields(), "m_strItemNumber", 3, btr::KT_STRING),
        rec::Segment(Fields(), "m_strCode20", 3, btr::KT_STRING),
        rec::Segment(Fields(), "m_strCode12", 19, btr::KT_STRING, 8),
        rec::Segment(Fields(), "m_strItemNumber", 3, btr::KT_STRING)};
    return segments;
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
    auto erase = [this](const std::string& key) { return DeleteRecord(key); };
    if (StartLine(firstChar, 12, line, erase, "Error %d Deleting Item %s") != LineStart::Record) return;
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
    FillKey(0, number);
    uint16_t recordLength = static_cast<uint16_t>(kBufferSize);
    int status = GetEqual(record, &recordLength, KeyBuffer(0), 0);
    CItem item;
    if (status == 0) Unpack(record, item);
    ichg::ValueError error;
    if (status != 0 && status != btr::B_KEY_VALUE_NOT_FOUND) {
        // Reported as a failed write below.
    } else if (!ichg::ReadColumns(LineColumns(), line.data(), length - 1, item, error)) {
        AddLineError(error.what, at);
        return;
    } else if (status == 0) {
        recordLength = Pack(item, record);
        status = Update(record, &recordLength, KeyBuffer(0), 0);
    } else {
        status = InsertRecord(item);
    }
    if (status != 0) {
        std::snprintf(text, sizeof text, "Error %d Writing to Database", status);
        AddError(text);
    }
}

#define KR_RECORD CItem
// The fixed part of the record; the notes follow it up to the record's end.
const rec::Layout<CItem>& CItemDB::Fields() {
    static const rec::Layout<CItem> layout = {
        KR_AT(m_strItemNumber, 0, 12, Upper),
        KR_AT(m_strCode12, 12, 3, Upper),
        KR_AT(m_strCode15, 15, 5, Upper),
        KR_AT(m_strCode20, 20, 10, Upper),
        KR_AT(m_fAmount1, 32, 4, F32),
        KR_AT(m_fAmount2, 36, 4, F32),
        KR_AT(m_bFlag1, 40, 1, Flag),
        KR_AT(m_strCode41, 41, 4, Upper),
        KR_AT(m_nNumber2, 48, 4, I32),
        KR_AT(m_nNumber3, 52, 4, I32),
        KR_AT(m_strCode56, 56, 2, Upper),
        KR_AT(m_strBrand, 58, 15, Text),
        KR_AT(m_nNumber4, 76, 4, I32),
        KR_AT(m_bFlag9, 80, 1, Flag),
        KR_AT(m_cCode3, 81, 1, Code),
        KR_AT(m_fAmount3, 84, 4, F32),
        KR_AT(m_nNumber1, 88, 4, I32),
        KR_AT(m_fAmount4, 92, 4, F32),
        KR_AT(m_strDescription, 96, 50, Text),
        KR_AT(m_bFlag2, 146, 1, Flag),
        KR_AT(m_fAmount5, 148, 4, F32),
        KR_AT(m_strCode152, 152, 3, Upper),
        KR_AT(m_cCode1, 155, 1, Code),
        KR_AT(m_fAmount7, 156, 4, F32),
        KR_AT(m_fAmount8, 160, 4, F32),
        KR_AT(m_fAmount6, 164, 4, F32),
        KR_AT(m_strCode168, 168, 3, Upper),
        KR_AT(m_bFlag3, 171, 1, Flag),
        KR_AT(m_bFlag4, 172, 1, Flag),
        KR_AT(m_fAmount9, 176, 4, F32),
        KR_AT(m_strPortionType, 180, 3, Upper),
        KR_AT(m_nPackQuantity, 184, 4, I32),
        KR_AT(m_nNumber6, 188, 4, I32),
        KR_AT(m_fAmount10, 192, 4, F32),
        KR_AT(m_bFlag5, 196, 1, Flag),
        KR_AT(m_bFlag6, 197, 1, Flag),
        KR_AT(m_cCode2, 198, 1, Code),
        KR_AT(m_strCode199, 199, 12, Upper),
        KR_AT(m_strCode211, 211, 12, Upper),
        KR_AT(m_bFlag7, 223, 1, Flag),
        KR_AT(m_bFlag8, 224, 1, Flag),
        KR_AT(m_arrUnits[0], 225, 3, Upper),
        KR_AT(m_arrUnits[1], 228, 3, Upper),
        KR_AT(m_arrUnits[2], 231, 3, Upper),
        KR_AT(m_strCode234, 234, 6, Upper),
        KR_AT(m_strCode240, 240, 15, Upper),
        KR_AT(m_strCode255, 255, 2, Upper),
        KR_AT(m_arrUnitFactors[0], 260, 4, F32),
        KR_AT(m_arrUnitFactors[1], 264, 4, F32),
        KR_AT(m_arrUnitFactors[2], 268, 4, F32),
        KR_AT(m_tTime, 272, 4, Time),
        KR_AT(m_strCode276, 276, 2, Upper),
        // Upper-cased when written, read as stored.
        KR_AT(m_strText278, 278, 50, UpperOnWrite),
        KR_AT(m_strText328, 328, 15, UpperOnWrite),
        KR_AT(m_fAmount11, 344, 4, F32),
        KR_AT(m_strText348, 348, 25, Text),
        KR_AT(m_nNumber7, 376, 4, I32),
        KR_AT(m_fAmount12, 380, 4, F32),
    };
    return layout;
}
#undef KR_RECORD

uint16_t CItemDB::Pack(CItem& item, uint8_t* r) {
    rec::Pack(Fields(), item, r);
    // Notes end at their first zero byte; everything after them up to the buffer's end is zero.
    std::string notes = GetText(reinterpret_cast<const uint8_t*>(item.m_strNotes.c_str()), 0, kMaxNotes);
    PutText(r, kNotesOffset, notes, kBufferSize - kNotesOffset, '\0');
    // The record runs four bytes past the notes: their terminating zero and three more.
    return static_cast<uint16_t>(kNotesOffset + 4 + notes.size());
}

void CItemDB::Unpack(const uint8_t* r, CItem& item) {
    rec::Unpack(Fields(), r, item);
    item.m_strNotes = GetText(r, kNotesOffset, kMaxNotes);
}
