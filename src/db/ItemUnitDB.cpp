#include "ItemUnitDB.h"

#include "VelocityDB.h"

using namespace fields;

int CItemUnitDB::GetLineLength() const {
    if (m_nVersion < 770) return 452;
    if (m_nVersion < 777) return 463;
    if (m_nVersion < 1024) return 504;
    if (m_nVersion == 1024) return 524;
    return 544;
}

const std::vector<BtrKeySegment>& CItemUnitDB::KeySegments() {
    // 0: item and code character; 1: item; 2: item and unit
    static const std::vector<BtrKeySegment> segments = {
        rec::Segment(Fields(), "m_strItemNumber", 3, btr::KT_STRING, "m_cCode1"),
        rec::Segment(Fields(), "m_strItemNumber", 1, btr::KT_STRING),
        rec::Segment(Fields(), "m_strItemNumber", 16, btr::KT_STRING),
        rec::Segment(Fields(), "m_strUnit", 0, btr::KT_STRING)};
    return segments;
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

#define KR_RECORD CItemUnit
using ichg::Kind;
const rec::Layout<CItemUnit>& CItemUnitDB::Fields() {
    static const rec::Layout<CItemUnit> layout = {
        KR_AT(m_strItemNumber, 0, 12, Upper, 0, Kind::Key),
        KR_AT(m_cCode1, 12, 1, Code, 15),
        KR_AT(m_strUnit, 13, 3, Upper, 12, Kind::Key),
        KR_AT(m_strCode16, 16, 10, Upper, 83),
        KR_AT(m_fAmount28, 28, 4, F32, 136),
        KR_AT(m_fVolume, 32, 4, F32, 28),
        KR_AT(m_strText36, 36, 8, Text, 169),
        KR_AT(m_fAmount44, 44, 4, F32, 147),
        KR_AT(m_strText48, 48, 8, Text, 177),
        KR_AT(m_nNumber56, 56, 4, I32, 185),
        KR_AT(m_fPricing60, 60, 4, F32, 50),
        KR_AT(m_fAmount64, 64, 4, F32, 158),
        KR_AT(m_strText68, 68, 30, Text, 93),
        KR_AT(m_strCode98, 98, 13, Upper, 123),
        KR_AT(m_bFlag1, 111, 1, Flag, 16),
        KR_AT(m_fAmount112, 112, 4, F32, 72),
        KR_AT(m_fPricing116, 116, 4, F32, 39),
        KR_AT(m_bFlag2, 120, 1, Flag, 191),
        KR_AT(m_fWeight, 124, 4, F32, 17),
        KR_FILL("unused at 128", 128, 3, Blanks),
        KR_AT(m_bFlag3, 131, 1, Flag, 192),
        KR_FILL("unused at 132", 132, 4, Zeros),
        KR_AT(m_arrTexts[0], 136, 8, Text, 341),
        KR_AT(m_arrTexts[1], 144, 8, Text, 360),
        KR_AT(m_arrTexts[2], 152, 8, Text, 379),
        KR_AT(m_arrTexts[3], 160, 8, Text, 398),
        KR_AT(m_arrTexts[4], 168, 8, Text, 417),
        KR_AT(m_arrTexts[5], 176, 8, Text, 436),
        KR_AT(m_arrTexts[6], 184, 8, Text, 455),
        KR_AT(m_arrTexts[7], 192, 8, Text, 474),
        KR_AT(m_arrTexts[8], 200, 8, Text, 493),
        KR_AT(m_arrTexts[9], 208, 8, Text, 512),
        KR_AT(m_strText216, 216, 8, Text, 293),
        KR_AT(m_arrAmounts[0], 224, 4, F32, 349),
        KR_AT(m_arrAmounts[1], 228, 4, F32, 368),
        KR_AT(m_arrAmounts[2], 232, 4, F32, 387),
        KR_AT(m_arrAmounts[3], 236, 4, F32, 406),
        KR_AT(m_arrAmounts[4], 240, 4, F32, 425),
        KR_AT(m_arrAmounts[5], 244, 4, F32, 444),
        KR_AT(m_arrAmounts[6], 248, 4, F32, 463),
        KR_AT(m_arrAmounts[7], 252, 4, F32, 482),
        KR_AT(m_arrAmounts[8], 256, 4, F32, 501),
        KR_AT(m_arrAmounts[9], 260, 4, F32, 520),
        KR_AT(m_fAmount264, 264, 4, F32, 194),
        KR_AT(m_fAmount268, 268, 4, F32, 205),
        KR_AT(m_fPricing272, 272, 4, F32, 61),
        KR_AT(m_fAmount276, 276, 4, F32, 216),
        KR_AT(m_fAmount280, 280, 4, F32, 227),
        KR_AT(m_cCode2, 284, 1, Code, 193),
        KR_AT(m_fAmount288, 288, 4, F32, 238),
        KR_AT(m_fAmount292, 292, 4, F32, 249),
        KR_AT(m_fAmount296, 296, 4, F32, 260),
        KR_AT(m_fAmount300, 300, 4, F32, 271),
        KR_AT(m_fAmount304, 304, 4, F32, 282),
        KR_AT(m_strText308, 308, 8, Text, 531),
        KR_AT(m_strText316, 316, 20, UpperOnRead, 301),
        KR_AT(m_strText336, 336, 20, UpperOnRead, 321),
    };
    return layout;
}
#undef KR_RECORD

int CItemUnitDB::FindUnit(CItemUnit& unit, const std::string& itemNumber, const std::string& unitCode) {
    CItemUnit found;
    found.m_strItemNumber = itemNumber;
    found.m_strUnit = unitCode;
    int status = GetSame(found, 2);
    if (status == 0) unit = found;
    return status;
}
