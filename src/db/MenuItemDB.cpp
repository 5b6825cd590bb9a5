#include "MenuItemDB.h"

#include <cstring>
#include <vector>

#include "RecordFields.h"
#include "RecordLayout.h"
#include "btrieve/btrcall.h"

CMenuItemDB::CMenuItemDB() {
    m_bReload = false;
    std::memset(m_key0, 0, sizeof m_key0);
}

int CMenuItemDB::Create(const char* path) {
    return CreateAndOpen(
        path, kRecordSize, 1, 0,
        {rec::Segment(Fields(), "m_strRecipeKey", btr::KF_DUPLICATES | btr::KF_MODIFIABLE, btr::KT_STRING)});
}

#define KR_RECORD CMenuItem
const rec::Layout<CMenuItem>& CMenuItemDB::Fields() {
    static const rec::Layout<CMenuItem> layout = {
        KR_AT(m_strRecipeKey, 0, 14, UpperBlank), KR_AT(m_strItem, 14, 12, UpperBlank),
        KR_AT(m_strUnit, 27, 3, UpperBlank),      KR_AT(m_strDescription, 31, 30, Text),
        KR_AT(m_strPtnType, 62, 8, Text),         KR_AT(m_dItemCost, 72, 8, F64),
        KR_AT(m_dPtnPerItem, 80, 8, F64),         KR_AT(m_dPtns, 88, 8, F64),
    };
    return layout;
}
#undef KR_RECORD

void CMenuItemDB::Pack(CMenuItem& line, uint8_t* record) {
    // The line keeps its recipe key in the padded form it is looked up by.
    if (line.m_strRecipeKey.size() < 14) line.m_strRecipeKey.resize(14, ' ');
    rec::Pack(Fields(), line, record);
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
