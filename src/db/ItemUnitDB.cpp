#include "ItemUnitDB.h"

#include "VelocityDB.h"

std::vector<BtrKeySegment> CItemUnitDB::KeySegments() {
    // 0: item and code character; 1: item; 2: item and unit
    return {Segment("m_strItemNumber", 3, btr::KT_STRING, "m_cCode1"),
            Segment("m_strItemNumber", 1, btr::KT_STRING), Segment("m_strItemNumber", 16, btr::KT_STRING),
            Segment("m_strUnit", 0, btr::KT_STRING)};
}

void CItemUnitDB::ImportLine(int firstChar) {
    // A unit already on file keeps what this version's line does not carry.
    std::string& line = m_strImportLine;
    CItemUnit unit;
    bool written = ImportKeyedLine(firstChar, line, unit, "m_strItemNumber", "m_strUnit",
                                   "Error %d Deleting Item Unit %s", "Error %d Writing to Unit Database");
    // A unit no longer sold withdraws the item history of that item and unit.
    if (!written || unit.m_bFlag1) return;
    CVelocityDB history;
    std::string path = SiblingFile(history.GetFileName());
    int status = history.OpenFile(path.c_str());
    if (status == 0)
        status = history.ClearItemUnit(rec::LineText(Fields(), line, "m_strItemNumber"),
                                       rec::LineText(Fields(), line, "m_strUnit"));
    if (status != 0 && status != btr::B_KEY_VALUE_NOT_FOUND && status != btr::B_FILE_NOT_FOUND) {
        char text[96];
        std::snprintf(text, sizeof text, "Error %d Deleting Item History for %s", status,
                      line.substr(0, 15).c_str());
        AddError(text);
    }
}

int CItemUnitDB::FindUnit(CItemUnit& unit, const std::string& itemNumber, const std::string& unitCode) {
    CItemUnit found;
    found.m_strItemNumber = itemNumber;
    found.m_strUnit = unitCode;
    return GetSame(std::move(found), unit, 2);
}
