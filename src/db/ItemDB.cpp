#include "ItemDB.h"

std::vector<BtrKeySegment> CItemDB::KeySegments() {
    // 0: item; 1: code at 15 and item; 2: code at 20; 3: codes at 12 and 15, then item
    return {Segment("m_strItemNumber", 0, btr::KT_STRING),
            Segment("m_strCode15", 19, btr::KT_STRING),
            Segment("m_strItemNumber", 3, btr::KT_STRING),
            Segment("m_strCode20", 3, btr::KT_STRING),
            Segment("m_strCode12", 19, btr::KT_STRING, "m_strCode15"),
            Segment("m_strItemNumber", 3, btr::KT_STRING)};
}

void CItemDB::ImportLine(int firstChar) {
    // An item already on file keeps what this version's line does not carry (and its notes).
    CItem item;
    ImportKeyedLine(firstChar, m_strImportLine, item, "m_strItemNumber", "m_strItemNumber",
                    "Error %d Deleting Item %s", "Error %d Writing to Database");
}
