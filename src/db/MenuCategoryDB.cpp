#include "MenuCategoryDB.h"

const std::vector<BtrKeySegment>& CMenuCategoryDB::KeySegments() {
    // 0: record type and customer; 1: category key
    static const std::vector<BtrKeySegment> segments = {
        rec::Segment(Fields(), "m_cRecordType", btr::KF_DUPLICATES | btr::KF_MODIFIABLE, btr::KT_STRING,
                     "m_strCustomer"),
        rec::Segment(Fields(), "m_strCategoryKey", 0, btr::KT_STRING)};
    return segments;
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
    uint8_t* key = KeyBuffer(0);
    key[0] = 'C';
    fields::PutText(key, 1, customer.substr(0, 6), 8, ' ');
    return GetFirstWithPrefix(category, 0, 9);
}
