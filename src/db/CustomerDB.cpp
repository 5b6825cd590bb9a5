#include "CustomerDB.h"

std::vector<BtrKeySegment> CCustomerDB::KeySegments() {
    // Key 4 runs on from the code at 33 over the code at 37.
    return {Segment("m_strNumber", 0, btr::KT_STRING), Segment("m_strName", 3, btr::KT_STRING),
            Segment("m_strCode33", 3, btr::KT_STRING), Segment("m_strCode37", 3, btr::KT_STRING),
            Segment("m_strCode33", 3, btr::KT_STRING, "m_strCode37")};
}

bool CCustomerDB::KeepOnPurge(const uint8_t* record, uint16_t length) const {
    static const size_t keep = At("m_bKeepOnReload");
    return length >= kRecordLength && record[keep] == 'Y';
}

void CCustomerDB::ImportLine(int firstChar) {
    // The number sits inside the line; a customer on file keeps what the line does not carry
    // (the keep-on-reload flag, and the last fields in the older version).
    std::string line;
    CCustomer customer;
    ImportKeyedLine(firstChar, line, customer, "m_strNumber", "m_strNumber", "Error %d Deleting Customer %s",
                    "Error %d Writing to Database");
}
