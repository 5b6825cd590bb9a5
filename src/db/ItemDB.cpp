#include "ItemDB.h"

using namespace fields;

std::vector<BtrKeySegment> CItemDB::KeySegments() {
    // 0: item; 1: code at 15 and item; 2: code at 20; 3: codes at 12 and 15, then item
    return {rec::Segment(Fields(), "m_strItemNumber", 0, btr::KT_STRING),
            rec::Segment(Fields(), "m_strCode15", 19, btr::KT_STRING),
            rec::Segment(Fields(), "m_strItemNumber", 3, btr::KT_STRING),
            rec::Segment(Fields(), "m_strCode20", 3, btr::KT_STRING),
            rec::Segment(Fields(), "m_strCode12", 19, btr::KT_STRING, "m_strCode15"),
            rec::Segment(Fields(), "m_strItemNumber", 3, btr::KT_STRING)};
}

void CItemDB::ImportLine(int firstChar) {
    // An item already on file keeps what this version's line does not carry (and its notes).
    CItem item;
    ImportKeyedLine(firstChar, m_strImportLine, item, "m_strItemNumber", "m_strItemNumber",
                    "Error %d Deleting Item %s", "Error %d Writing to Database");
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
