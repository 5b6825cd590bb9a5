#include "MenuHdrDB.h"

#include <ctime>

std::vector<BtrKeySegment> CMenuHdrDB::KeySegments() {
    // 0: record type and customer; 1: recipe key
    return {
        Segment("m_cRecordType", btr::KF_DUPLICATES | btr::KF_MODIFIABLE, btr::KT_STRING, "m_strCustomer"),
        Segment("m_strRecipeKey", 0, btr::KT_STRING)};
}

int CMenuHdrDB::UpdateRecipe(CMenuHdr& header) {
    int64_t before = header.m_nLastWrite;
    header.m_nLastWrite = std::time(nullptr);
    int status = UpdateRecord(header);
    if (status != 0) header.m_nLastWrite = before;
    return status;
}

int CMenuHdrDB::InsertRecipe(CMenuHdr& header) {
    header.m_nLastWrite = std::time(nullptr);
    return InsertRecord(header);
}
