#include "MenuHdrDB.h"

#include <ctime>

std::vector<BtrKeySegment> CMenuHdrDB::KeySegments() {
    // 0: record type and customer; 1: recipe key
    return {rec::Segment(Fields(), "m_cRecordType", btr::KF_DUPLICATES | btr::KF_MODIFIABLE, btr::KT_STRING,
                         "m_strCustomer"),
            rec::Segment(Fields(), "m_strRecipeKey", 0, btr::KT_STRING)};
}

uint16_t CMenuHdrDB::Pack(CMenuHdr& header, uint8_t* record) {
    rec::Pack(Fields(), header, record);
    // The notes end at their first zero byte, as they are read back.
    size_t notes = std::min(std::strlen(header.m_strNotes.c_str()), kMaxNotes);
    std::memset(record + kNotesOffset, 0, kBufferSize - kNotesOffset);
    std::memcpy(record + kNotesOffset, header.m_strNotes.data(), notes);
    // The record runs four bytes past the notes: their terminating zero and three more.
    return static_cast<uint16_t>(kNotesOffset + 4 + notes);
}

int CMenuHdrDB::UnpackRecord(const uint8_t* record, uint16_t length, CMenuHdr& header) {
    rec::Unpack(Fields(), record, header);
    // Never past the record returned nor the notes area, even when the stored notes lack their zero.
    size_t end = std::min<size_t>(length, kBufferSize);
    size_t width = end > kNotesOffset ? std::min(end - kNotesOffset, kMaxNotes) : 0;
    header.m_strNotes = fields::GetText(record, kNotesOffset, width);
    return 0;
}

int CMenuHdrDB::FindFirstRecipe(CMenuHdr& header, const std::string& customer) {
    fields::PutText(KeyBuffer(0), 0, "C" + customer.substr(0, 6), KeyLength(0), ' ');
    return GetFirstWithPrefix(header, 0, KeyLength(0));
}

int CMenuHdrDB::UpdateRecipe(CMenuHdr& header) {
    int64_t before = header.m_nLastWrite;
    header.m_nLastWrite = std::time(nullptr);
    int status = UpdateRecord(header);
    if (status != 0) header.m_nLastWrite = before;
    return status;
}

int CMenuHdrDB::InsertRecipe(CMenuHdr& header) {
    header.m_nLastWrite = std::time(nullptr);
    return InsertRecord(header);
}
