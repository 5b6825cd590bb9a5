#include "MenuItemDB.h"

#include <cstring>
#include <vector>

#include "RecordFields.h"
#include "btrieve/btrcall.h"

CMenuItemDB::CMenuItemDB() {
    m_bReload = false;
    std::memset(m_key0, 0, sizeof m_key0);
}

int CMenuItemDB::FormatLine(const uint8_t*, std::string&) {
    return 0;
}

// Not reloaded from an interchange download.
void CMenuItemDB::ImportLine(int) {}

int CMenuItemDB::Create(const char* path) {
    // No path: the default name, as for OpenFile.
    if (!path) path = GetFileName();
    std::vector<uint8_t> spec;
    uint16_t length = BuildFileSpec(spec, kRecordSize, 1, 0,
                                    {{1, 14, btr::KF_DUPLICATES | btr::KF_MODIFIABLE, btr::KT_STRING}});
    int status = CreateFile(spec.data(), length, path, btr::kCreateReplace);
    if (status != 0) return status;
    return OpenFile(path);
}

void CMenuItemDB::Pack(CMenuItem& line, uint8_t* record) {
    fields::MakeUpper(line.m_strRecipeKey);
    if (line.m_strRecipeKey.size() < 14) line.m_strRecipeKey.resize(14, ' ');
    fields::PutText(record, 0, line.m_strRecipeKey, 14, ' ');
    fields::MakeUpper(line.m_strItem);
    fields::PutText(record, 14, line.m_strItem, 12, ' ');
    fields::MakeUpper(line.m_strUnit);
    fields::PutText(record, 27, line.m_strUnit, 3, ' ');
    fields::PutText(record, 31, line.m_strDescription, 30, '\0');
    fields::PutText(record, 62, line.m_strPtnType, 8, '\0');
    fields::PutF64(record, 72, line.m_dItemCost);
    fields::PutF64(record, 80, line.m_dPtnPerItem);
    fields::PutF64(record, 88, line.m_dPtns);
}

void CMenuItemDB::Unpack(CMenuItem& line, const uint8_t* record) {
    line.m_strRecipeKey = fields::Upper(fields::GetText(record, 0, 14));
    line.m_strItem = fields::Upper(fields::GetText(record, 14, 12));
    line.m_strUnit = fields::Upper(fields::GetText(record, 27, 3));
    line.m_strDescription = fields::GetText(record, 31, 30);
    line.m_strPtnType = fields::GetText(record, 62, 8);
    line.m_dItemCost = fields::GetF64(record, 72);
    line.m_dPtnPerItem = fields::GetF64(record, 80);
    line.m_dPtns = fields::GetF64(record, 88);
}

void CMenuItemDB::FillKey(const std::string& recipeKey, uint8_t* built) {
    fields::PutText(built, 0, recipeKey.substr(0, 14), 14, ' ');
    std::memcpy(m_key0, built, 14);
    m_key0[14] = 0;
}

int CMenuItemDB::FindFirstLine(CMenuItem& line, const std::string& recipeKey) {
    uint8_t built[14];
    FillKey(recipeKey, built);
    uint8_t record[kRecordSize] = {};
    uint16_t length = kRecordSize;
    int status = GetGreaterOrEqual(record, &length, m_key0, 0);
    if (status != 0) return status;
    if (length != kRecordSize) return btr::B_DATALENGTH_ERROR;
    if (std::memcmp(m_key0, built, 14) != 0) return btr::B_KEY_VALUE_NOT_FOUND;
    Unpack(line, record);
    return 0;
}

int CMenuItemDB::FindNextLine(CMenuItem& line) {
    uint8_t record[kRecordSize] = {};
    uint16_t length = kRecordSize;
    int status = GetNext(record, &length, m_key0, 0);
    if (status != 0) return status;
    if (length != kRecordSize) return btr::B_DATALENGTH_ERROR;
    Unpack(line, record);
    return 0;
}

int CMenuItemDB::DeleteLines(const std::string& recipeKey) {
    uint8_t built[14];
    FillKey(recipeKey, built);
    uint8_t record[kRecordSize] = {};
    uint16_t length = kRecordSize;
    int status = GetGreaterOrEqual(record, &length, m_key0, 0);
    if (status != 0) return status;
    if (length != kRecordSize) return btr::B_DATALENGTH_ERROR;
    while (std::memcmp(m_key0, built, 14) == 0) {
        status = Delete();
        if (status != 0) return status;
        length = kRecordSize;
        status = GetNext(record, &length, m_key0, 0);
        if (status != 0) return status;
    }
    // The next record belongs to another recipe.
    return btr::B_KEY_VALUE_NOT_FOUND;
}

int CMenuItemDB::InsertLine(CMenuItem& line) {
    uint8_t record[kRecordSize] = {};
    Pack(line, record);
    uint16_t length = kRecordSize;
    return Insert(record, &length, m_key0, 0);
}
