#include "MenuCategoryDB.h"

std::vector<BtrKeySegment> CMenuCategoryDB::KeySegments() {
    // 0: record type and customer; 1: category key
    return {rec::Segment(Fields(), "m_cRecordType", btr::KF_DUPLICATES | btr::KF_MODIFIABLE, btr::KT_STRING,
                         "m_strCustomer"),
            rec::Segment(Fields(), "m_strCategoryKey", 0, btr::KT_STRING)};
}

int CMenuCategoryDB::FindFirstCategory(CMenuCategory& category, const std::string& customer) {
    uint8_t* key = KeyBuffer(0);
    key[0] = 'C';
    fields::PutText(key, 1, customer.substr(0, 6), 8, ' ');
    return GetFirstWithPrefix(category, 0, 9);
}
