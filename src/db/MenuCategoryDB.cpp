#include "MenuCategoryDB.h"

#include <cstring>
#include <vector>

#include "RecordFields.h"
#include "btrieve/btrcall.h"

CMenuCategoryDB::CMenuCategoryDB() {
    m_bReload = false;
    std::memset(m_key0, 0, sizeof m_key0);
    std::memset(m_key1, 0, sizeof m_key1);
}

int CMenuCategoryDB::FormatLine(const uint8_t*, std::string&) {
    return 0;
}

// Not reloaded from an interchange download.
void CMenuCategoryDB::ImportLine(int) {}

int CMenuCategoryDB::Create(const char* path) {
    // No path: the default name, as for OpenFile.
    if (!path) path = GetFileName();
    std::vector<uint8_t> spec;
    uint16_t length = BuildFileSpec(
        spec, kRecordSize, 2, 0,
        {{1, 9, btr::KF_DUPLICATES | btr::KF_MODIFIABLE, btr::KT_STRING}, {10, 14, 0, btr::KT_STRING}});
    int status = CreateFile(spec.data(), length, path, btr::kCreateReplace);
    if (status != 0) return status;
    return OpenFile(path);
}

void CMenuCategoryDB::Pack(CMenuCategory& category, uint8_t* record) {
    fields::MakeUpper(category.m_strCustomer);
    fields::MakeUpper(category.m_strCategoryKey);
    fields::PutText(record, 1, category.m_strCustomer, 8, ' ');
    fields::PutText(record, 9, category.m_strCategoryKey, 14, '\0');
    fields::PutText(record, 23, category.m_strName, 30, '\0');
    record[0] = static_cast<uint8_t>(category.m_cRecordType);
}

void CMenuCategoryDB::Unpack(CMenuCategory& category, const uint8_t* record) {
    category.m_cRecordType = static_cast<char>(record[0]);
    category.m_strCustomer = fields::Upper(fields::GetText(record, 1, 8));
    category.m_strCategoryKey = fields::Upper(fields::GetText(record, 9, 14));
    category.m_strName = fields::GetText(record, 23, 30);
}

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
