// CONTROL.DB: the suite's table of named settings.
#pragma once

#include "RecordFile.h"

class CControl {
public:
    std::string m_strKey; // key 0
    char m_cType = ' ';   // 'B' flag, 'I' whole number, 'F' amount, else text
    bool m_bFlag = false; // read true for 'Y' or 'y'
    int32_t m_nValue = 0;
    double m_dValue = 0;
    std::string m_strText;
};

class CControlDB : public CRecordFile<CControl, CControlDB> {
public:
    static constexpr uint16_t kRecordLength = 304;
    static constexpr size_t kKeyLength = 30;
    static constexpr size_t kTextLength = 256;

    static constexpr rec::FileFacts kFacts{"CONTROL.DB", "Control", false, true};
    int GetLineLength() const override { return 31; }
    void ImportLine(int firstChar) override;

    // A setting's key is found blank-filled (as the suite's programs write it) or zero-filled.
    int GetControl(CControl& control, const std::string& key);
    int UpdateControl(CControl& control);
    int DeleteControl(const std::string& key);

    static const rec::Layout<CControl>& Fields();
    static const std::vector<BtrKeySegment>& KeySegments();
};

// Reads one setting's flag from the control file at path (default name when null); false when the
// file or the setting is missing.
bool ReadControlFlag(const char* key, const char* path = nullptr);
