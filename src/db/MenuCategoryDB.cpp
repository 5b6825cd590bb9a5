#include "MenuCategoryDB.h"

#include <cstring>
#include <vector>

#include "RecordFields.h"
#include "RecordLayout.h"
#include "btrieve/btrcall.h"

CMenuCategoryDB::CMenuCategoryDB() {
    m_bReload = false;
    std::memset(m_key0, 0, sizeof m_key0);
    std::memset(m_key1, 0, sizeof m_key1);
}

int CMenuCategoryDB::Create(const char* path) {
    return CreateAndOpen(
        path, kRecordSize, 2, 0,
        {// 0: record type and customer; 1: category key
         rec::Segment(Fields(), "m_cRecordType", btr::KF_DUPLICATES | btr::KF_MODIFIABLE, btr::KT_STRING, 9),
         rec::Segment(Fields(), "m_strCategoryKey", 0, btr::KT_STRING)});
}

#define KR_RECORD CMenuCategory
const rec::Layout<CMenuCategory>& CMenuCategoryDB::Fields() {
    static const rec::Layout<CMenuCategory> layout = {
        KR_AT(m_cRecordType, 0, 1, Byte),
        KR_AT(m_strCustomer, 1, 8, UpperBlank),
        KR_AT(m_strCategoryKey, 9, 14, Upper),
        KR_AT(m_strName, 23, 30, Text),
    };
    return layout;
}
#undef KR_RECORD

int CMenuCategoryDB::FindFirstCategory(CMenuCategory& category, const std::string& customer) {
    // Record type and at most six characters of the customer, as given.
    uint8_t built[9];
    built[0] = 'C';
    fields::PutText(built, 1, customer.substr(0, 6), 8, ' ');
    std::memcpy(m_key0, built, sizeof built);
    uint8_t record[kRecordSize] = {};
    uint16_t length = kRecordSize;
    int status = GetGreaterOrEqual(record, &length, m_key0, 0);
    if (status != 0) return status;
    if (length != kRecordSize) return btr::B_DATALENGTH_ERROR;
    if (std::memcmp(m_key0, built, sizeof built) != 0) return btr::B_KEY_VALUE_NOT_FOUND;
    Unpack(category, record);
    return 0;
}

int CMenuCategoryDB::FindNextCategory(CMenuCategory& category) {
    uint8_t record[kRecordSize] = {};
    uint16_t length = kRecordSize;
    int status = GetNext(record, &length, m_key0, 0);
    if (status != 0) return status;
    if (length != kRecordSize) return btr::B_DATALENGTH_ERROR;
    Unpack(category, record);
    return 0;
}

int CMenuCategoryDB::UpdateCategory(CMenuCategory& category) {
    // The key as given, zero-filled like the stored field.
    fields::PutText(m_key1, 0, category.m_strCategoryKey, 14, '\0');
    m_key1[14] = 0;
    uint8_t record[kRecordSize] = {};
    uint16_t length = kRecordSize;
    int status = GetEqual(record, &length, m_key1, 1);
    if (status != 0) return status;
    Pack(category, record);
    length = kRecordSize;
    status = Update(record, &length, m_key1, 1);
    if (status == 0 && length != kRecordSize) return btr::B_DATALENGTH_ERROR;
    return status;
}

int CMenuCategoryDB::InsertCategory(CMenuCategory& category) {
    uint8_t record[kRecordSize] = {};
    Pack(category, record);
    uint16_t length = kRecordSize;
    int status = Insert(record, &length, m_key1, 1);
    if (status == 0 && length != kRecordSize) return btr::B_DATALENGTH_ERROR;
    return status;
}
