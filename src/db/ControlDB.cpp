#include "ControlDB.h"
#include "Interchange.h"

#include "RecordFields.h"
#include "RecordLayout.h"
#include "btrieve/btrcall.h"

#include <vector>

using namespace fields;

const std::vector<BtrKeySegment>& CControlDB::KeySegments() {
    static const std::vector<BtrKeySegment> segments = {
        rec::Segment(Fields(), "m_strKey", 0, btr::KT_STRING)};
    return segments;
}

void CControlDB::ImportLine(int firstChar) {
    long at = LineOffset();
    std::string line;
    auto erase = [this](const std::string& key) { return DeleteControl(key); };
    if (StartLine(firstChar, kKeyLength, line, erase, "Error %d Deleting Control %s") != LineStart::Record)
        return;
    char text[96];
    std::string key = line.substr(0, kKeyLength);
    char type = line.back();
    // The value runs to the line feed, at most 256 characters.
    std::string value;
    bool ended = false;
    for (size_t i = 0; i <= kTextLength; ++i) {
        int c = ReadReloadChar();
        if (c == EOF) break;
        if (c == '\n') {
            ended = true;
            break;
        }
        value += static_cast<char>(c);
    }
    if (!ended) {
        RejectFormat(at);
        return;
    }
    // A setting on file keeps its other values; the line sets the type and one value.
    CControl control;
    int status = GetControl(control, key);
    if (status != 0 && status != btr::B_KEY_VALUE_NOT_FOUND) {
        std::snprintf(text, sizeof text, "Error %d Writing to Database", status);
        AddError(text);
        return;
    }
    control.m_strKey = key;
    control.m_cType = type;
    std::string padded = value;
    if (padded.size() < 11) padded.resize(11, ' ');
    if (type == 'B') {
        control.m_bFlag = value[0] == 'Y' || value[0] == 'y';
    } else if (type == 'I') {
        int32_t number = 0;
        if (!ichg::ParseNumber(padded.substr(0, 5), padded[5], number)) {
            AddLineError("Invalid Number \"" + value + "\"", at);
            return;
        }
        control.m_nValue = number;
    } else if (type == 'F') {
        double amount = 0;
        if (!ichg::ParseAmount(padded.substr(0, 10), padded[10], amount)) {
            AddLineError("Invalid Amount \"" + value + "\"", at);
            return;
        }
        control.m_dValue = amount;
    } else {
        size_t last = value.find_last_not_of(' ');
        control.m_strText = last == std::string::npos ? std::string() : value.substr(0, last + 1);
    }
    status = status == 0 ? UpdateControl(control) : InsertRecord(control);
    if (status == btr::B_KEY_VALUE_NOT_FOUND) status = InsertRecord(control);
    if (status != 0) {
        std::snprintf(text, sizeof text, "Error %d Writing to Database", status);
        AddError(text);
    }
}

#define KR_RECORD CControl
// New records get blank-filled keys, the form the suite's other programs write and look up.
const rec::Layout<CControl>& CControlDB::Fields() {
    static const rec::Layout<CControl> layout = {
        KR_AT(m_strKey, 0, kKeyLength, UpperBlank),
        KR_AT(m_cType, 30, 1, Byte),
        KR_AT(m_bFlag, 31, 1, FlagY),
        KR_AT(m_nValue, 32, 4, I32),
        KR_AT(m_dValue, 40, 8, F64),
        KR_AT(m_strText, 48, kTextLength, Upper),
    };
    return layout;
}
#undef KR_RECORD

int CControlDB::ReadSetting(uint8_t* record, const std::string& key) {
    std::string upper = Upper(key);
    int status = btr::B_KEY_VALUE_NOT_FOUND;
    for (char fill : {' ', '\0'}) {
        PutText(KeyBuffer(0), 0, upper, kKeyLength, fill);
        uint16_t length = kRecordLength;
        status = GetEqual(record, &length, KeyBuffer(0), 0);
        if (status == 0 && length != kRecordLength) return btr::B_DATALENGTH_ERROR;
        if (status != btr::B_KEY_VALUE_NOT_FOUND) return status;
    }
    return status;
}

int CControlDB::GetControl(CControl& control, const std::string& key) {
    uint8_t record[kRecordLength] = {};
    int status = ReadSetting(record, key);
    if (status == 0) Unpack(record, control);
    return status;
}

int CControlDB::UpdateControl(CControl& control) {
    uint8_t record[kRecordLength] = {};
    MakeUpper(control.m_strKey);
    int status = ReadSetting(record, control.m_strKey);
    if (status != 0) return status;
    // The key is not modifiable: keep its stored fill.
    uint8_t storedKey[kKeyLength];
    std::memcpy(storedKey, record, kKeyLength);
    Pack(control, record);
    std::memcpy(record, storedKey, kKeyLength);
    uint16_t length = kRecordLength;
    status = Update(record, &length, KeyBuffer(0), 0);
    if (status == 0 && length != kRecordLength) return btr::B_DATALENGTH_ERROR;
    return status;
}

int CControlDB::DeleteControl(const std::string& key) {
    uint8_t record[kRecordLength] = {};
    int status = ReadSetting(record, key);
    if (status == btr::B_KEY_VALUE_NOT_FOUND) return 0;
    if (status != 0) return status;
    return Delete();
}

bool ReadControlFlag(const char* key, const char* path) {
    CControlDB db;
    if (db.OpenFile(path) != 0) return false;
    CControl control;
    bool flag = db.GetControl(control, key) == 0 && control.m_bFlag;
    db.Close();
    return flag;
}
