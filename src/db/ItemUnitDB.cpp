#include "ItemUnitDB.h"

#include "VelocityDB.h"

int CItemUnitDB::GetLineLength() const {
    if (m_nVersion < 770) return 452;
    if (m_nVersion < 777) return 463;
    if (m_nVersion < 1024) return 504;
    if (m_nVersion == 1024) return 524;
    return 544;
}

std::vector<BtrKeySegment> CItemUnitDB::KeySegments() {
    // 0: item and code character; 1: item; 2: item and unit
    return {rec::Segment(Fields(), "m_strItemNumber", 3, btr::KT_STRING, "m_cCode1"),
            rec::Segment(Fields(), "m_strItemNumber", 1, btr::KT_STRING),
            rec::Segment(Fields(), "m_strItemNumber", 16, btr::KT_STRING),
            rec::Segment(Fields(), "m_strUnit", 0, btr::KT_STRING)};
}

std::string CItemUnitDB::WriteLine(const CItemUnit& unit, int version) {
    CItemUnitDB sizing;
    sizing.m_nVersion = version;
    return rec::WriteLine(Fields(), unit, static_cast<size_t>(sizing.GetLineLength()));
}

void CItemUnitDB::ImportLine(int firstChar) {
    // A unit already on file keeps what this version's line does not carry.
    std::string& line = m_strImportLine;
    CItemUnit unit;
    bool written = ImportRecordLine(
        firstChar, line,
        {rec::LineWidth(Fields(), "m_strItemNumber", "m_strUnit"), "Error %d Deleting Item Unit %s",
         "Error %d Writing to Unit Database", [this](const std::string& key) { return DeleteRecord(key); },
         [&](const std::string& l) {
             std::string key =
                 rec::LineText(Fields(), l, "m_strItemNumber") + rec::LineText(Fields(), l, "m_strUnit");
             return GetRecord(unit, key, 2);
         },
         [&](const std::string& l, size_t length, std::string& error) {
             return rec::ReadLine(Fields(), l, length, unit, error);
         },
         [&](bool found) { return found ? UpdateRead(unit, 2) : InsertRecord(unit); }});
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
    int status = GetSame(found, 2);
    if (status == 0) unit = found;
    return status;
}
