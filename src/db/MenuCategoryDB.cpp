#include "MenuCategoryDB.h"

std::vector<BtrKeySegment> CMenuCategoryDB::KeySegments() {
    // 0: record type and customer; 1: category key
    return {
        Segment("m_cRecordType", btr::KF_DUPLICATES | btr::KF_MODIFIABLE, btr::KT_STRING, "m_strCustomer"),
        Segment("m_strCategoryKey", 0, btr::KT_STRING)};
}
