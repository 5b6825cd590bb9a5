#include "ControlDB.h"
#include "Interchange.h"

using namespace fields;

std::vector<BtrKeySegment> CControlDB::KeySegments() {
    return {Segment("m_strKey", 0, btr::KT_STRING)};
}

void CControlDB::ImportLine(int firstChar) {
    int64_t at = LineOffset();
    std::string line, error;
    auto erase = [this](const std::string& key) { return DeleteControl(key); };
    if (StartLine(firstChar, KeyLength(0), line, erase, "Error %d Deleting Control %s") != LineStart::Record)
        return;
    CControl fromLine; // the key and the value's type, kept as the line holds them
    rec::ReadLine(Fields(), line, line.size(), fromLine, error);
    // The value runs to the line feed, at most 256 characters.
    std::string value;
    for (int c; (c = ReadReloadChar()) != '\n'; value += static_cast<char>(c))
        if (c == EOF || value.size() == CControl::kTextLength) return RejectFormat(at);
    // A setting on file keeps its other values; the line sets the type and one value.
    CControl control;
    int status = GetControl(control, fromLine.m_strKey);
    if (status == 0 || status == btr::B_KEY_VALUE_NOT_FOUND) {
        control.m_strKey = fromLine.m_strKey;
        control.m_cType = fromLine.m_cType;
        std::string padded = value + std::string(11, ' ');
        if (control.m_cType == 'B') {
            control.m_bFlag = padded[0] == 'Y' || padded[0] == 'y';
        } else if (control.m_cType == 'I') {
            if (!ichg::ParseNumber(padded.substr(0, 5), padded[5], control.m_nValue))
                return AddLineError("Invalid Number \"" + value + "\"", at);
        } else if (control.m_cType == 'F') {
            if (!ichg::ParseAmount(padded.substr(0, 10), padded[10], control.m_dValue))
                return AddLineError("Invalid Amount \"" + value + "\"", at);
        } else {
            control.m_strText = value.substr(0, value.find_last_not_of(' ') + 1);
        }
        status = status == 0 ? UpdateControl(control) : btr::B_KEY_VALUE_NOT_FOUND;
        if (status == btr::B_KEY_VALUE_NOT_FOUND) status = InsertRecord(control);
    }
    if (status != 0) AddError("Error " + std::to_string(status) + " Writing to Database");
}

int CControlDB::GetControl(CControl& control, const std::string& key) {
    int status = GetRecord(control, key);
    if (status != btr::B_KEY_VALUE_NOT_FOUND) return status;
    std::string bare = key.substr(0, KeyLength(0));
    bare.erase(bare.find_last_not_of(' ') + 1);
    return GetRecord(control, Padded(bare, KeyLength(0), '\0'));
}

// The key is not modifiable: it keeps the fill it is stored with.
int CControlDB::UpdateControl(CControl& control) {
    CControl stored;
    if (int status = GetControl(stored, control.m_strKey)) return status;
    return UpdateStored(0, [&](uint8_t* record) {
        std::string key(reinterpret_cast<const char*>(record), KeyLength(0));
        Pack(control, record);
        std::memcpy(record, key.data(), KeyLength(0));
    });
}

int CControlDB::DeleteControl(const std::string& key) {
    CControl stored;
    int status = GetControl(stored, key);
    if (status == btr::B_KEY_VALUE_NOT_FOUND) return 0;
    return status != 0 ? status : Delete();
}

bool ReadControlFlag(const char* key, const char* path) {
    CControlDB db;
    if (db.OpenFile(path) != 0) return false;
    CControl control;
    bool flag = db.GetControl(control, key) == 0 && control.m_bFlag;
    db.Close();
    return flag;
}
