#include "ItemDB.h"

using namespace fields;

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
        rec::Segment(Fields(), "m_strCode12", 19, btr::KT_STRING, "m_strCode15"),
        rec::Segment(Fields(), "m_strItemNumber", 3, btr::KT_STRING)};
    return segments;
}

std::string CItemDB::WriteLine(const CItem& item, int version) {
    CItemDB sizing;
    sizing.m_nVersion = version;
    return rec::WriteLine(Fields(), item, static_cast<size_t>(sizing.GetLineLength()));
}

void CItemDB::ImportLine(int firstChar) {
    // An item already on file keeps what this version's line does not carry (and its notes).
    CItem item;
    ImportRecordLine(firstChar, m_strImportLine,
                     {rec::LineWidth(Fields(), "m_strItemNumber", "m_strItemNumber"),
                      "Error %d Deleting Item %s", "Error %d Writing to Database",
                      [this](const std::string& key) { return DeleteRecord(key); },
                      [&](const std::string& line) {
                          return GetRecord(item, rec::LineText(Fields(), line, "m_strItemNumber"));
                      },
                      [&](const std::string& line, size_t length, std::string& error) {
                          return rec::ReadLine(Fields(), line, length, item, error);
                      },
                      [&](bool found) { return found ? UpdateRead(item, 0) : InsertRecord(item); }});
}

#define KR_RECORD CItem
using ichg::Kind;
// The fixed part of the record; the notes follow it up to the record's end.
const rec::Layout<CItem>& CItemDB::Fields() {
    static const rec::Layout<CItem> layout = {
        KR_AT(m_strItemNumber, 0, 12, Upper, 0, Kind::Key),
        KR_AT(m_strCode12, 12, 3, Upper, 12),
        KR_AT(m_strCode15, 15, 5, Upper, 15),
        KR_AT(m_strCode20, 20, 10, Upper, 20),
        KR_AT(m_fAmount1, 32, 4, F32, 146),
        KR_AT(m_fAmount2, 36, 4, F32, 157),
        KR_AT(m_bFlag1, 40, 1, Flag, 168),
        KR_AT(m_strCode41, 41, 4, Upper, 169),
        KR_AT(m_nNumber2, 48, 4, I32, 173),
        KR_AT(m_nNumber3, 52, 4, I32, 179),
        KR_AT(m_strCode56, 56, 2, Upper, 185),
        KR_AT(m_strBrand, 58, 15, Text, 80),
        KR_AT(m_nNumber4, 76, 4, I32, 187),
        KR_AT(m_bFlag9, 80, 1, Flag, 193),
        KR_AT(m_cCode3, 81, 1, Code, 194),
        KR_AT(m_fAmount3, 84, 4, F32, 195),
        KR_AT(m_nNumber1, 88, 4, I32, 206),
        KR_AT(m_fAmount4, 92, 4, F32, 212),
        KR_AT(m_strDescription, 96, 50, Text, 30),
        KR_AT(m_bFlag2, 146, 1, Flag, 223),
        KR_AT(m_fAmount5, 148, 4, F32, 224),
        KR_AT(m_strCode152, 152, 3, Upper, 235),
        KR_AT(m_cCode1, 155, 1, Code, 238),
        KR_AT(m_fAmount7, 156, 4, F32, 239),
        KR_AT(m_fAmount8, 160, 4, F32, 250),
        KR_AT(m_fAmount6, 164, 4, F32, 261),
        KR_AT(m_strCode168, 168, 3, Upper, 272),
        KR_AT(m_bFlag3, 171, 1, Flag, 275),
        KR_AT(m_bFlag4, 172, 1, Flag, 276),
        KR_AT(m_fAmount9, 176, 4, F32, 277),
        KR_AT(m_strPortionType, 180, 3, Upper, 95),
        KR_AT(m_nPackQuantity, 184, 4, I32, 98),
        KR_AT(m_nNumber6, 188, 4, I32, 288),
        KR_AT(m_fAmount10, 192, 4, F32, 294),
        KR_AT(m_bFlag5, 196, 1, Flag, 305),
        KR_AT(m_bFlag6, 197, 1, Flag, 306),
        KR_AT(m_cCode2, 198, 1, Code, 307),
        KR_AT(m_strCode199, 199, 12, Upper, 308),
        KR_AT(m_strCode211, 211, 12, Upper, 320),
        KR_AT(m_bFlag7, 223, 1, Flag, 332),
        KR_AT(m_bFlag8, 224, 1, Flag, 333),
        KR_AT(m_arrUnits[0], 225, 3, Upper, 104, Kind::Key),
        KR_AT(m_arrUnits[1], 228, 3, Upper, 107, Kind::Key),
        KR_AT(m_arrUnits[2], 231, 3, Upper, 110, Kind::Key),
        KR_AT(m_strCode234, 234, 6, Upper, 334),
        KR_AT(m_strCode240, 240, 15, Upper, 340),
        KR_AT(m_strCode255, 255, 2, Upper, 355),
        KR_AT(m_arrUnitFactors[0], 260, 4, F32, 113),
        KR_AT(m_arrUnitFactors[1], 264, 4, F32, 124),
        KR_AT(m_arrUnitFactors[2], 268, 4, F32, 135),
        KR_AT(m_tTime, 272, 4, Time, 357),
        KR_AT(m_strCode276, 276, 2, Upper, 367),
        // Upper-cased when written, read as stored.
        KR_AT(m_strText278, 278, 50, UpperOnWrite, 369),
        KR_AT(m_strText328, 328, 15, UpperOnWrite, 419),
        KR_AT(m_fAmount11, 344, 4, F32, 434),
        KR_AT(m_strText348, 348, 25, Text, 445),
        KR_AT(m_nNumber7, 376, 4, I32, 470),
        KR_AT(m_fAmount12, 380, 4, F32, 476),
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
