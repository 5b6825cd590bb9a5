// CONTROL.DB: the suite's table of named settings.
#pragma once

#include "RecordFile.h"

class CControl {
public:
    static constexpr size_t kTextLength = 256;
    KR_RECORD(CControl);
    // New records get blank-filled keys, the form the suite's other programs write and look up.
    KR_FIELD(std::string, m_strKey, 0, 30, UpperBlank, 0, Kind::Key); // key 0
    KR_FIELD(char, m_cType, 30, 1, Byte, 30) = ' '; // 'B' flag, 'I' whole number, 'F' amount, else text
    KR_FIELD(bool, m_bFlag, 31, 1, FlagY) = false;  // read true for 'Y' or 'y'
    KR_FIELD(int32_t, m_nValue, 32, 4, I32) = 0;
    KR_FIELD(double, m_dValue, 40, 8, F64) = 0;
    KR_FIELD(std::string, m_strText, 48, kTextLength, Upper);
};

class CControlDB : public CRecordFile<CControl, CControlDB> {
public:
    static constexpr uint16_t kRecordLength = 304;

    static constexpr rec::FileFacts kFacts{"CONTROL.DB", "Control", false, true};
    static constexpr rec::LineVersion kLines[] = {{INT_MAX, 31}};
    void ImportLine(int firstChar) override;

    // A setting's key is looked up blank-filled (as the suite's programs write it), then
    // zero-filled without the blanks a download pads it with.
    int GetControl(CControl& control, const std::string& key);
    int UpdateControl(CControl& control);
    int DeleteControl(const std::string& key);

    static std::vector<BtrKeySegment> KeySegments();
};

// Reads one setting's flag from the control file at path (default name when null); false when the
// file or the setting is missing.
bool ReadControlFlag(const char* key, const char* path = nullptr);
