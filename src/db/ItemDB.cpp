#include "ItemDB.h"

using namespace fields;

int CItemDB::GetLineLength() const {
    if (m_nVersion < 777) return 369;
    if (m_nVersion <= 1024) return 484;
    return 538;
}

std::vector<BtrKeySegment> CItemDB::KeySegments() {
    // 0: item; 1: code at 15 and item; 2: code at 20; 3: codes at 12 and 15, then item
    return {rec::Segment(Fields(), "m_strItemNumber", 0, btr::KT_STRING),
            rec::Segment(Fields(), "m_strCode15", 19, btr::KT_STRING),
            rec::Segment(Fields(), "m_strItemNumber", 3, btr::KT_STRING),
            rec::Segment(Fields(), "m_strCode20", 3, btr::KT_STRING),
            rec::Segment(Fields(), "m_strCode12", 19, btr::KT_STRING, "m_strCode15"),
            rec::Segment(Fields(), "m_strItemNumber", 3, btr::KT_STRING)};
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

uint16_t CItemDB::Pack(CItem& item, uint8_t* r) {
    rec::Pack(Fields(), item, r);
    // Notes end at their first zero byte; everything after them up to the buffer's end is zero.
    std::string notes = GetText(reinterpret_cast<const uint8_t*>(item.m_strNotes.c_str()), 0, kMaxNotes);
    PutText(r, kNotesOffset, notes, kBufferSize - kNotesOffset, '\0');
    // The record runs four bytes past the notes: their terminating zero and three more.
    return static_cast<uint16_t>(kNotesOffset + 4 + notes.size());
}

int CItemDB::UnpackRecord(const uint8_t* r, uint16_t, CItem& item) {
    rec::Unpack(Fields(), r, item);
    item.m_strNotes = GetText(r, kNotesOffset, kMaxNotes);
    return 0;
}
