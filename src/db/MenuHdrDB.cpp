#include "MenuHdrDB.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <vector>

#include "RecordFields.h"
#include "btrieve/btrcall.h"

CMenuHdrDB::CMenuHdrDB() {
    m_bReload = false;
    std::memset(m_key0, 0, sizeof m_key0);
    std::memset(m_key1, 0, sizeof m_key1);
}

int CMenuHdrDB::FormatLine(const uint8_t*, std::string&) {
    return 0;
}

// Not reloaded from an interchange download.
void CMenuHdrDB::ImportLine(int) {}

int CMenuHdrDB::Create(const char* path) {
    // No path: the default name, as for OpenFile.
    if (!path) path = GetFileName();
    std::vector<uint8_t> spec;
    uint16_t length = BuildFileSpec(
        spec, kFixedLength, 2, btr::kFileVariableLength,
        {{1, 9, btr::KF_DUPLICATES | btr::KF_MODIFIABLE, btr::KT_STRING}, {10, 14, 0, btr::KT_STRING}});
    int status = CreateFile(spec.data(), length, path, btr::kCreateReplace);
    if (status != 0) return status;
    return OpenFile(path);
}

uint16_t CMenuHdrDB::Pack(CMenuHdr& header, uint8_t* record) {
    fields::MakeUpper(header.m_strCustomer);
    fields::MakeUpper(header.m_strRecipeKey);
    fields::MakeUpper(header.m_strCategoryKey);
    fields::PutText(record, 1, header.m_strCustomer, 8, ' ');
    fields::PutText(record, 9, header.m_strRecipeKey, 14, ' ');
    fields::PutText(record, 23, header.m_strCategoryKey, 14, ' ');
    fields::PutText(record, 37, header.m_strRecipeName, 30, '\0');
    fields::PutText(record, 67, header.m_strRecipeID, 20, '\0');
    record[0] = static_cast<uint8_t>(header.m_cRecordType);
    fields::PutF64(record, 88, header.m_dSellPrice);
    fields::PutF64(record, 96, header.m_dDesiredFC);
    fields::PutF64(record, 104, header.m_dAmount3);
    fields::PutF64(record, 112, header.m_dAmount4);
    fields::PutTime(record, 120, header.m_nLastWrite);
    // The notes end at their first zero byte, as they are read back.
    size_t notes = std::min(std::strlen(header.m_strNotes.c_str()), kMaxNotes);
    std::memset(record + kNotesOffset, 0, kRecordSize - kNotesOffset);
    std::memcpy(record + kNotesOffset, header.m_strNotes.data(), notes);
    return static_cast<uint16_t>(128 + notes);
}

void CMenuHdrDB::Unpack(CMenuHdr& header, const uint8_t* record, uint16_t length) {
    header.m_cRecordType = static_cast<char>(record[0]);
    header.m_strCustomer = fields::Upper(fields::GetText(record, 1, 8));
    header.m_strRecipeKey = fields::Upper(fields::GetText(record, 9, 14));
    header.m_strCategoryKey = fields::Upper(fields::GetText(record, 23, 14));
    header.m_strRecipeName = fields::GetText(record, 37, 30);
    header.m_strRecipeID = fields::GetText(record, 67, 20);
    header.m_dSellPrice = fields::GetF64(record, 88);
    header.m_dDesiredFC = fields::GetF64(record, 96);
    header.m_dAmount3 = fields::GetF64(record, 104);
    header.m_dAmount4 = fields::GetF64(record, 112);
    header.m_nLastWrite = fields::GetTime(record, 120);
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
