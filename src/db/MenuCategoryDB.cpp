#include "MenuCategoryDB.h"

std::vector<BtrKeySegment> CMenuCategoryDB::KeySegments() {
    // 0: record type and customer; 1: category key
    return {rec::Segment(Fields(), "m_cRecordType", btr::KF_DUPLICATES | btr::KF_MODIFIABLE, btr::KT_STRING,
                         "m_strCustomer"),
            rec::Segment(Fields(), "m_strCategoryKey", 0, btr::KT_STRING)};
}

int CMenuCategoryDB::FindFirstCategory(CMenuCategory& category, const std::string& customer) {
    fields::PutText(KeyBuffer(0), 0, "C" + customer.substr(0, 6), KeyLength(0), ' ');
    return GetFirstWithPrefix(category, 0, KeyLength(0));
}
