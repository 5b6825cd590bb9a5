#include "MenuHdrDB.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <vector>

#include "RecordFields.h"
#include "RecordLayout.h"
#include "btrieve/btrcall.h"

CMenuHdrDB::CMenuHdrDB() {
    m_bReload = false;
    std::memset(m_key0, 0, sizeof m_key0);
    std::memset(m_key1, 0, sizeof m_key1);
}

int CMenuHdrDB::Create(const char* path) {
    return CreateAndOpen(
        path, kFixedLength, 2, btr::kFileVariableLength,
        {// 0: record type and customer; 1: recipe key
         rec::Segment(Fields(), "m_cRecordType", btr::KF_DUPLICATES | btr::KF_MODIFIABLE, btr::KT_STRING, 9),
         rec::Segment(Fields(), "m_strRecipeKey", 0, btr::KT_STRING)});
}

#define KR_RECORD CMenuHdr
// The fixed part of the record; the notes follow it.
const rec::Layout<CMenuHdr>& CMenuHdrDB::Fields() {
    static const rec::Layout<CMenuHdr> layout = {
        KR_AT(m_cRecordType, 0, 1, Byte),         KR_AT(m_strCustomer, 1, 8, UpperBlank),
        KR_AT(m_strRecipeKey, 9, 14, UpperBlank), KR_AT(m_strCategoryKey, 23, 14, UpperBlank),
        KR_AT(m_strRecipeName, 37, 30, Text),     KR_AT(m_strRecipeID, 67, 20, Text),
        KR_AT(m_dSellPrice, 88, 8, F64),          KR_AT(m_dDesiredFC, 96, 8, F64),
        KR_AT(m_dAmount3, 104, 8, F64),           KR_AT(m_dAmount4, 112, 8, F64),
        KR_AT(m_nLastWrite, 120, 4, Time),
    };
    return layout;
}
#undef KR_RECORD

uint16_t CMenuHdrDB::Pack(CMenuHdr& header, uint8_t* record) {
    rec::Pack(Fields(), header, record);
    // The notes end at their first zero byte, as they are read back.
    size_t notes = std::min(std::strlen(header.m_strNotes.c_str()), kMaxNotes);
    std::memset(record + kNotesOffset, 0, kRecordSize - kNotesOffset);
    std::memcpy(record + kNotesOffset, header.m_strNotes.data(), notes);
    // The record runs four bytes past the notes: their terminating zero and three more.
    return static_cast<uint16_t>(kNotesOffset + 4 + notes);
}

void CMenuHdrDB::Unpack(CMenuHdr& header, const uint8_t* record, uint16_t length) {
    rec::Unpack(Fields(), record, header);
    // Never past the record returned nor the notes area, even when the stored notes lack their zero.
    size_t end = std::min<size_t>(length, kRecordSize);
    size_t width = end > kNotesOffset ? std::min(end - kNotesOffset, kMaxNotes) : 0;
    header.m_strNotes = fields::GetText(record, kNotesOffset, width);
}

void CMenuHdrDB::FillRecipeKey(const std::string& recipeKey) {
    fields::PutText(m_key1, 0, fields::Upper(recipeKey.substr(0, 14)), 14, ' ');
    m_key1[14] = 0;
}

int CMenuHdrDB::FindFirstRecipe(CMenuHdr& header, const std::string& customer) {
    // Record type and at most six characters of the customer, as given.
    std::memset(m_key0, 0, sizeof m_key0);
    m_key0[0] = 'C';
    fields::PutText(m_key0, 1, customer.substr(0, 6), 8, ' ');
    std::vector<uint8_t> record(kRecordSize, 0);
    uint16_t length = 0;
    int status = ReadFirstWithPrefix(record.data(), kRecordSize, m_key0, 0, 9, &length);
    if (status != 0) return status;
    Unpack(header, record.data(), length);
    return 0;
}

int CMenuHdrDB::FindNextRecipe(CMenuHdr& header) {
    std::vector<uint8_t> record(kRecordSize, 0);
    uint16_t length = kRecordSize;
    int status = GetNext(record.data(), &length, m_key0, 0);
    if (status != 0) return status;
    Unpack(header, record.data(), length);
    return 0;
}

int CMenuHdrDB::FindRecipe(CMenuHdr& header, const std::string& recipeKey) {
    FillRecipeKey(recipeKey);
    std::vector<uint8_t> record(kRecordSize, 0);
    uint16_t length = 0;
    int status = ReadByKey(record.data(), kRecordSize, m_key1, 1, &length);
    if (status != 0) return status;
    Unpack(header, record.data(), length);
    return 0;
}

int CMenuHdrDB::UpdateRecipe(CMenuHdr& header) {
    FillRecipeKey(header.m_strRecipeKey);
    std::vector<uint8_t> record(kRecordSize, 0);
    return UpdateByKey(record.data(), kRecordSize, m_key1, 1, [&](uint8_t* data, uint16_t) {
        header.m_nLastWrite = std::time(nullptr);
        return Pack(header, data);
    });
}

int CMenuHdrDB::InsertRecipe(CMenuHdr& header) {
    std::vector<uint8_t> record(kRecordSize, 0);
    header.m_nLastWrite = std::time(nullptr);
    uint16_t length = Pack(header, record.data());
    return Insert(record.data(), &length, m_key1, 1);
}

int CMenuHdrDB::DeleteRecipe(const std::string& recipeKey) {
    FillRecipeKey(recipeKey);
    std::vector<uint8_t> record(kRecordSize, 0);
    return DeleteByKey(record.data(), kRecordSize, m_key1, 1);
}
