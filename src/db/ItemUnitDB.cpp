#include "ItemUnitDB.h"

#include "RecordFields.h"
#include "VelocityDB.h"
#include "btrieve/btrcall.h"

#include <vector>

using namespace fields;

CItemUnitDB::CItemUnitDB() { m_bReload = false; }
CItemUnitDB::~CItemUnitDB() = default;

int CItemUnitDB::GetLineLength() const {
    if (m_nVersion < 770)
        return 452;
    if (m_nVersion < 777)
        return 463;
    if (m_nVersion < 1024)
        return 504;
    if (m_nVersion == 1024)
        return 524;
    return 544;
}

int CItemUnitDB::Create(const char* path) {
    std::vector<uint8_t> spec;
    uint16_t length = BuildFileSpec(spec, kRecordLength, 3, 0,
                                    {{1, 13, 3, btr::KT_STRING},
                                     {1, 12, 1, btr::KT_STRING},
                                     {1, 12, 16, btr::KT_STRING},
                                     {14, 3, 0, btr::KT_STRING}});
    int status = CreateFile(spec.data(), length, path, 0);
    if (status != 0)
        return status;
    return OpenFile(path);
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
        {"unit sold (flag 1, 111; N withdraws the item history of the unit)", Kind::Flag, 0, KR_FIELD(m_bFlag1)},
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
    auto erase = [this](const std::string& key) { return DeleteUnit(key, 2); };
    if (StartLine(firstChar, 15, line, erase, "Error %d Deleting Item Unit %s") != LineStart::Record)
        return;
    char text[96];
    std::string item = line.substr(0, 12), code = line.substr(12, 3);
    size_t length = static_cast<size_t>(GetLineLength());
    if (!ReadLineRest(line, length)) {
        RejectFormat(at);
        return;
    }
    // A unit already on file keeps what this version's line does not carry.
    uint8_t record[kRecordLength] = {};
    FillKey2(item, code);
    uint16_t recordLength = kRecordLength;
    int status = GetEqual(record, &recordLength, m_key2, 2);
    CItemUnit unit;
    if (status == 0)
        Unpack(record, unit);
    ichg::ValueError error;
    if (status != 0 && status != btr::B_KEY_VALUE_NOT_FOUND) {
        // Reported as a failed write below.
    } else if (!ichg::ReadColumns(LineColumns(), line.data(), length - 1, unit, error)) {
        AddLineError(error.what, at);
        return;
    } else if (status == 0) {
        Pack(unit, record);
        recordLength = kRecordLength;
        status = Update(record, &recordLength, m_key2, 2);
        if (status == 0 && recordLength != kRecordLength)
            status = btr::B_DATALENGTH_ERROR;
    } else {
        status = InsertUnit(unit);
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
        if (status == 0)
            status = history.ClearItemUnit(item, code);
        if (status != 0 && status != btr::B_KEY_VALUE_NOT_FOUND && status != btr::B_FILE_NOT_FOUND) {
            std::snprintf(text, sizeof text, "Error %d Deleting Item History for %s", status,
                          line.substr(0, 15).c_str());
            AddError(text);
        }
    }
}

void CItemUnitDB::FillKey2(const std::string& itemNumber, const std::string& unitCode) {
    PutText(m_key2, 0, Upper(itemNumber), 12, '\0');
    PutText(m_key2, 12, Upper(unitCode), 3, '\0');
}

void CItemUnitDB::Pack(CItemUnit& u, uint8_t* r) {
    MakeUpper(u.m_strItemNumber);
    MakeUpper(u.m_strUnit);
    MakeUpper(u.m_strCode16);
    MakeUpper(u.m_strCode98);
    PutText(r, 0, u.m_strItemNumber, 12, '\0');
    PutCode(r, 12, u.m_cCode1);
    PutText(r, 13, u.m_strUnit, 3, '\0');
    PutText(r, 16, u.m_strCode16, 10, '\0');
    PutF32(r, 28, u.m_fAmount28);
    PutF32(r, 32, u.m_fVolume);
    PutText(r, 36, u.m_strText36, 8, '\0');
    PutF32(r, 44, u.m_fAmount44);
    PutText(r, 48, u.m_strText48, 8, '\0');
    PutI32(r, 56, u.m_nNumber56);
    PutF32(r, 60, u.m_fPricing60);
    PutF32(r, 64, u.m_fAmount64);
    PutText(r, 68, u.m_strText68, 30, '\0');
    PutText(r, 98, u.m_strCode98, 13, '\0');
    PutFlag(r, 111, u.m_bFlag1);
    PutF32(r, 112, u.m_fAmount112);
    PutF32(r, 116, u.m_fPricing116);
    PutFlag(r, 120, u.m_bFlag2);
    PutF32(r, 124, u.m_fWeight);
    PutText(r, 128, "", 3, ' ');
    PutFlag(r, 131, u.m_bFlag3);
    PutF32(r, 132, 0.0f);
    for (size_t i = 0; i < 10; ++i) {
        PutText(r, 136 + 8 * i, u.m_arrTexts[i], 8, '\0');
        PutF32(r, 224 + 4 * i, u.m_arrAmounts[i]);
    }
    PutText(r, 216, u.m_strText216, 8, '\0');
    PutF32(r, 264, u.m_fAmount264);
    PutF32(r, 268, u.m_fAmount268);
    PutF32(r, 272, u.m_fPricing272);
    PutF32(r, 276, u.m_fAmount276);
    PutF32(r, 280, u.m_fAmount280);
    PutCode(r, 284, u.m_cCode2);
    PutF32(r, 288, u.m_fAmount288);
    PutF32(r, 292, u.m_fAmount292);
    PutF32(r, 296, u.m_fAmount296);
    PutF32(r, 300, u.m_fAmount300);
    PutF32(r, 304, u.m_fAmount304);
    PutText(r, 308, u.m_strText308, 8, '\0');
    PutText(r, 316, u.m_strText316, 20, '\0');
    PutText(r, 336, u.m_strText336, 20, '\0');
}

void CItemUnitDB::Unpack(const uint8_t* r, CItemUnit& u) {
    u.m_strItemNumber = GetUpper(r, 0, 12);
    u.m_cCode1 = GetCode(r, 12);
    u.m_strUnit = GetUpper(r, 13, 3);
    u.m_strCode16 = GetUpper(r, 16, 10);
    u.m_fAmount28 = GetF32(r, 28);
    u.m_fVolume = GetF32(r, 32);
    u.m_strText36 = GetText(r, 36, 8);
    u.m_fAmount44 = GetF32(r, 44);
    u.m_strText48 = GetText(r, 48, 8);
    u.m_nNumber56 = GetI32(r, 56);
    u.m_fPricing60 = GetF32(r, 60);
    u.m_fAmount64 = GetF32(r, 64);
    u.m_strText68 = GetText(r, 68, 30);
    u.m_strCode98 = GetUpper(r, 98, 13);
    u.m_bFlag1 = GetFlag(r, 111);
    u.m_fAmount112 = GetF32(r, 112);
    u.m_fPricing116 = GetF32(r, 116);
    u.m_bFlag2 = GetFlag(r, 120);
    u.m_fWeight = GetF32(r, 124);
    u.m_bFlag3 = GetFlag(r, 131);
    for (size_t i = 0; i < 10; ++i) {
        u.m_arrTexts[i] = GetText(r, 136 + 8 * i, 8);
        u.m_arrAmounts[i] = GetF32(r, 224 + 4 * i);
    }
    u.m_strText216 = GetText(r, 216, 8);
    u.m_fAmount264 = GetF32(r, 264);
    u.m_fAmount268 = GetF32(r, 268);
    u.m_fPricing272 = GetF32(r, 272);
    u.m_fAmount276 = GetF32(r, 276);
    u.m_fAmount280 = GetF32(r, 280);
    u.m_cCode2 = GetCode(r, 284);
    u.m_fAmount288 = GetF32(r, 288);
    u.m_fAmount292 = GetF32(r, 292);
    u.m_fAmount296 = GetF32(r, 296);
    u.m_fAmount300 = GetF32(r, 300);
    u.m_fAmount304 = GetF32(r, 304);
    u.m_strText308 = GetText(r, 308, 8);
    u.m_strText316 = GetUpper(r, 316, 20);
    u.m_strText336 = GetUpper(r, 336, 20);
}

int CItemUnitDB::FindUnit(CItemUnit& unit, const std::string& itemNumber, const std::string& unitCode) {
    uint8_t record[kRecordLength] = {};
    uint16_t length = 0;
    FillKey2(itemNumber, unitCode);
    int status = ReadByKey(record, kRecordLength, m_key2, 2, &length);
    if (status != 0)
        return status;
    if (length != kRecordLength)
        return btr::B_DATALENGTH_ERROR;
    Unpack(record, unit);
    return 0;
}

int CItemUnitDB::UpdateUnit(CItemUnit& unit) {
    uint8_t record[kRecordLength] = {};
    MakeUpper(unit.m_strItemNumber);
    MakeUpper(unit.m_strUnit);
    FillKey2(unit.m_strItemNumber, unit.m_strUnit);
    uint16_t length = kRecordLength;
    int status = GetEqual(record, &length, m_key2, 2);
    if (status != 0)
        return status;
    Pack(unit, record);
    length = kRecordLength;
    status = Update(record, &length, m_key2, 2);
    if (status == 0 && length != kRecordLength)
        return btr::B_DATALENGTH_ERROR;
    return status;
}

int CItemUnitDB::InsertUnit(CItemUnit& unit) {
    uint8_t record[kRecordLength] = {};
    Pack(unit, record);
    FillKey2(unit.m_strItemNumber, unit.m_strUnit);
    uint16_t length = kRecordLength;
    int status = Insert(record, &length, m_key2, 2);
    if (status == 0 && length != kRecordLength)
        return btr::B_DATALENGTH_ERROR;
    return status;
}

int CItemUnitDB::DeleteUnit(const std::string& keyValue, int keyNumber) {
    uint8_t record[kRecordLength] = {};
    std::string key = Upper(keyValue);
    uint8_t* buffer = m_key2;
    size_t width = 15;
    if (keyNumber == 0) {
        buffer = m_key0;
        width = 13;
    } else if (keyNumber == 1) {
        buffer = m_key1;
        width = 12;
    }
    PutText(buffer, 0, key, width, '\0');
    return DeleteByKey(record, kRecordLength, buffer, keyNumber);
}
