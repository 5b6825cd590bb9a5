#include "ItemUnitDB.h"

#include "RecordFields.h"
#include "RecordLayout.h"
#include "VelocityDB.h"
#include "btrieve/btrcall.h"

#include <vector>

using namespace fields;

CItemUnitDB::CItemUnitDB() {
    m_bReload = false;
}
CItemUnitDB::~CItemUnitDB() = default;

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
        rec::Segment(Fields(), "m_strItemNumber", 3, btr::KT_STRING, 13),
        rec::Segment(Fields(), "m_strItemNumber", 1, btr::KT_STRING),
        rec::Segment(Fields(), "m_strItemNumber", 16, btr::KT_STRING),
        rec::Segment(Fields(), "m_strUnit", 0, btr::KT_STRING)};
    return segments;
}

namespace {
#define KR_FIELD(member) [](CItemUnit& r) -> void* { return &r.member; }
using ichg::Kind;
} // namespace

// Item and unit first (the key of a deletion line), then what the costing reads; each older,
// shorter version carries the leading columns that fit its line.
const std::vector<ichg::Column<CItemUnit>>& CItemUnitDB::LineColumns() {
    static const std::vector<ichg::Column<CItemUnit>> columns = {
        {"item number", Kind::Key, 12, KR_FIELD(m_strItemNumber)},
        {"unit code (13)", Kind::Key, 3, KR_FIELD(m_strUnit)},
        {"code character 1 (12)", Kind::Char, 0, KR_FIELD(m_cCode1)},
        {"unit sold (flag 1, 111; N withdraws the item history of the unit)", Kind::Flag, 0,
         KR_FIELD(m_bFlag1)},
        {"weight per unit (124)", Kind::Amount, 0, KR_FIELD(m_fWeight)},
        {"volume per unit (32)", Kind::Amount, 0, KR_FIELD(m_fVolume)},
        {"pricing figure (116)", Kind::Amount, 0, KR_FIELD(m_fPricing116)},
        {"pricing figure (60)", Kind::Amount, 0, KR_FIELD(m_fPricing60)},
        {"pricing figure (272)", Kind::Amount, 0, KR_FIELD(m_fPricing272)},
        {"amount at 112", Kind::Amount, 0, KR_FIELD(m_fAmount112)},
        {"code at 16", Kind::Text, 10, KR_FIELD(m_strCode16)},
        {"text at 68", Kind::Text, 30, KR_FIELD(m_strText68)},
        {"code at 98", Kind::Text, 13, KR_FIELD(m_strCode98)},
        {"amount at 28", Kind::Amount, 0, KR_FIELD(m_fAmount28)},
        {"amount at 44", Kind::Amount, 0, KR_FIELD(m_fAmount44)},
        {"amount at 64", Kind::Amount, 0, KR_FIELD(m_fAmount64)},
        {"text at 36", Kind::Text, 8, KR_FIELD(m_strText36)},
        {"text at 48", Kind::Text, 8, KR_FIELD(m_strText48)},
        {"number at 56", Kind::Number, 0, KR_FIELD(m_nNumber56)},
        {"flag 2 (120)", Kind::Flag, 0, KR_FIELD(m_bFlag2)},
        {"flag 3 (131)", Kind::Flag, 0, KR_FIELD(m_bFlag3)},
        {"code character 2 (284)", Kind::Char, 0, KR_FIELD(m_cCode2)},
        {"amount at 264", Kind::Amount, 0, KR_FIELD(m_fAmount264)},
        {"amount at 268", Kind::Amount, 0, KR_FIELD(m_fAmount268)},
        {"amount at 276", Kind::Amount, 0, KR_FIELD(m_fAmount276)},
        {"amount at 280", Kind::Amount, 0, KR_FIELD(m_fAmount280)},
        {"amount at 288", Kind::Amount, 0, KR_FIELD(m_fAmount288)},
        {"amount at 292", Kind::Amount, 0, KR_FIELD(m_fAmount292)},
        {"amount at 296", Kind::Amount, 0, KR_FIELD(m_fAmount296)},
        {"amount at 300", Kind::Amount, 0, KR_FIELD(m_fAmount300)},
        {"amount at 304", Kind::Amount, 0, KR_FIELD(m_fAmount304)},
        {"text at 216", Kind::Text, 8, KR_FIELD(m_strText216)},
        {"text at 316", Kind::Text, 20, KR_FIELD(m_strText316)},
        {"text at 336", Kind::Text, 20, KR_FIELD(m_strText336)},
        {"text 1 (136)", Kind::Text, 8, KR_FIELD(m_arrTexts[0])},
        {"amount 1 (224)", Kind::Amount, 0, KR_FIELD(m_arrAmounts[0])},
        {"text 2 (144)", Kind::Text, 8, KR_FIELD(m_arrTexts[1])},
        {"amount 2 (228)", Kind::Amount, 0, KR_FIELD(m_arrAmounts[1])},
        {"text 3 (152)", Kind::Text, 8, KR_FIELD(m_arrTexts[2])},
        {"amount 3 (232)", Kind::Amount, 0, KR_FIELD(m_arrAmounts[2])},
        {"text 4 (160)", Kind::Text, 8, KR_FIELD(m_arrTexts[3])},
        {"amount 4 (236)", Kind::Amount, 0, KR_FIELD(m_arrAmounts[3])},
        {"text 5 (168)", Kind::Text, 8, KR_FIELD(m_arrTexts[4])},
        {"amount 5 (240)", Kind::Amount, 0, KR_FIELD(m_arrAmounts[4])},
        {"text 6 (176)", Kind::Text, 8, KR_FIELD(m_arrTexts[5])},
        {"amount 6 (244)", Kind::Amount, 0, KR_FIELD(m_arrAmounts[5])},
        {"text 7 (184)", Kind::Text, 8, KR_FIELD(m_arrTexts[6])},
        {"amount 7 (248)", Kind::Amount, 0, KR_FIELD(m_arrAmounts[6])},
        {"text 8 (192)", Kind::Text, 8, KR_FIELD(m_arrTexts[7])},
        {"amount 8 (252)", Kind::Amount, 0, KR_FIELD(m_arrAmounts[7])},
        {"text 9 (200)", Kind::Text, 8, KR_FIELD(m_arrTexts[8])},
        {"amount 9 (256)", Kind::Amount, 0, KR_FIELD(m_arrAmounts[8])},
        {"text 10 (208)", Kind::Text, 8, KR_FIELD(m_arrTexts[9])},
        {"amount 10 (260)", Kind::Amount, 0, KR_FIELD(m_arrAmounts[9])},
        {"text at 308", Kind::Text, 8, KR_FIELD(m_strText308)},
    };
    return columns;
}
#undef KR_FIELD

std::string CItemUnitDB::WriteLine(const CItemUnit& unit, int version) {
    CItemUnitDB sizing;
    sizing.m_nVersion = version;
    size_t length = static_cast<size_t>(sizing.GetLineLength());
    std::string line;
    line.reserve(length);
    ichg::WriteColumns(LineColumns(), length - 1, unit, line);
    line += '\n';
    return line;
}

void CItemUnitDB::ImportLine(int firstChar) {
    long at = LineOffset();
    std::string& line = m_strImportLine;
    auto erase = [this](const std::string& key) { return DeleteRecord(key); };
    if (StartLine(firstChar, 15, line, erase, "Error %d Deleting Item Unit %s") != LineStart::Record) return;
    char text[96];
    std::string item = line.substr(0, 12), code = line.substr(12, 3);
    size_t length = static_cast<size_t>(GetLineLength());
    if (!ReadLineRest(line, length)) {
        RejectFormat(at);
        return;
    }
    // A unit already on file keeps what this version's line does not carry.
    uint8_t record[kRecordLength] = {};
    FillKey(2, item + code);
    uint16_t recordLength = kRecordLength;
    int status = GetEqual(record, &recordLength, KeyBuffer(2), 2);
    CItemUnit unit;
    if (status == 0) Unpack(record, unit);
    ichg::ValueError error;
    if (status != 0 && status != btr::B_KEY_VALUE_NOT_FOUND) {
        // Reported as a failed write below.
    } else if (!ichg::ReadColumns(LineColumns(), line.data(), length - 1, unit, error)) {
        AddLineError(error.what, at);
        return;
    } else if (status == 0) {
        Pack(unit, record);
        recordLength = kRecordLength;
        status = Update(record, &recordLength, KeyBuffer(2), 2);
        if (status == 0 && recordLength != kRecordLength) status = btr::B_DATALENGTH_ERROR;
    } else {
        status = InsertRecord(unit);
    }
    if (status != 0) {
        std::snprintf(text, sizeof text, "Error %d Writing to Unit Database", status);
        AddError(text);
        return;
    }
    // A unit no longer sold withdraws the item history of that item and unit.
    if (!unit.m_bFlag1) {
        CVelocityDB history;
        std::string path = SiblingFile(history.GetFileName());
        status = history.OpenFile(path.c_str());
        if (status == 0) status = history.ClearItemUnit(item, code);
        if (status != 0 && status != btr::B_KEY_VALUE_NOT_FOUND && status != btr::B_FILE_NOT_FOUND) {
            std::snprintf(text, sizeof text, "Error %d Deleting Item History for %s", status,
                          line.substr(0, 15).c_str());
            AddError(text);
        }
    }
}

#define KR_RECORD CItemUnit
const rec::Layout<CItemUnit>& CItemUnitDB::Fields() {
    static const rec::Layout<CItemUnit> layout = {
        KR_AT(m_strItemNumber, 0, 12, Upper),
        KR_AT(m_cCode1, 12, 1, Code),
        KR_AT(m_strUnit, 13, 3, Upper),
        KR_AT(m_strCode16, 16, 10, Upper),
        KR_AT(m_fAmount28, 28, 4, F32),
        KR_AT(m_fVolume, 32, 4, F32),
        KR_AT(m_strText36, 36, 8, Text),
        KR_AT(m_fAmount44, 44, 4, F32),
        KR_AT(m_strText48, 48, 8, Text),
        KR_AT(m_nNumber56, 56, 4, I32),
        KR_AT(m_fPricing60, 60, 4, F32),
        KR_AT(m_fAmount64, 64, 4, F32),
        KR_AT(m_strText68, 68, 30, Text),
        KR_AT(m_strCode98, 98, 13, Upper),
        KR_AT(m_bFlag1, 111, 1, Flag),
        KR_AT(m_fAmount112, 112, 4, F32),
        KR_AT(m_fPricing116, 116, 4, F32),
        KR_AT(m_bFlag2, 120, 1, Flag),
        KR_AT(m_fWeight, 124, 4, F32),
        KR_FILL("unused at 128", 128, 3, Blanks),
        KR_AT(m_bFlag3, 131, 1, Flag),
        KR_FILL("unused at 132", 132, 4, Zeros),
        KR_AT(m_arrTexts[0], 136, 8, Text),
        KR_AT(m_arrTexts[1], 144, 8, Text),
        KR_AT(m_arrTexts[2], 152, 8, Text),
        KR_AT(m_arrTexts[3], 160, 8, Text),
        KR_AT(m_arrTexts[4], 168, 8, Text),
        KR_AT(m_arrTexts[5], 176, 8, Text),
        KR_AT(m_arrTexts[6], 184, 8, Text),
        KR_AT(m_arrTexts[7], 192, 8, Text),
        KR_AT(m_arrTexts[8], 200, 8, Text),
        KR_AT(m_arrTexts[9], 208, 8, Text),
        KR_AT(m_strText216, 216, 8, Text),
        KR_AT(m_arrAmounts[0], 224, 4, F32),
        KR_AT(m_arrAmounts[1], 228, 4, F32),
        KR_AT(m_arrAmounts[2], 232, 4, F32),
        KR_AT(m_arrAmounts[3], 236, 4, F32),
        KR_AT(m_arrAmounts[4], 240, 4, F32),
        KR_AT(m_arrAmounts[5], 244, 4, F32),
        KR_AT(m_arrAmounts[6], 248, 4, F32),
        KR_AT(m_arrAmounts[7], 252, 4, F32),
        KR_AT(m_arrAmounts[8], 256, 4, F32),
        KR_AT(m_arrAmounts[9], 260, 4, F32),
        KR_AT(m_fAmount264, 264, 4, F32),
        KR_AT(m_fAmount268, 268, 4, F32),
        KR_AT(m_fPricing272, 272, 4, F32),
        KR_AT(m_fAmount276, 276, 4, F32),
        KR_AT(m_fAmount280, 280, 4, F32),
        KR_AT(m_cCode2, 284, 1, Code),
        KR_AT(m_fAmount288, 288, 4, F32),
        KR_AT(m_fAmount292, 292, 4, F32),
        KR_AT(m_fAmount296, 296, 4, F32),
        KR_AT(m_fAmount300, 300, 4, F32),
        KR_AT(m_fAmount304, 304, 4, F32),
        KR_AT(m_strText308, 308, 8, Text),
        KR_AT(m_strText316, 316, 20, UpperOnRead),
        KR_AT(m_strText336, 336, 20, UpperOnRead),
    };
    return layout;
}
#undef KR_RECORD

void CItemUnitDB::Pack(CItemUnit& unit, uint8_t* record) {
    rec::Pack(Fields(), unit, record);
}

void CItemUnitDB::Unpack(const uint8_t* record, CItemUnit& unit) {
    rec::Unpack(Fields(), record, unit);
}

int CItemUnitDB::FindUnit(CItemUnit& unit, const std::string& itemNumber, const std::string& unitCode) {
    CItemUnit found;
    found.m_strItemNumber = itemNumber;
    found.m_strUnit = unitCode;
    int status = GetSame(found, 2);
    if (status == 0) unit = found;
    return status;
}
