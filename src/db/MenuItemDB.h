// MENUITEM.DB: the ingredient lines of every recipe, 96-byte records keyed by recipe key.
#pragma once

#include "RecordFile.h"

class CMenuItem {
public:
    KR_RECORD(CMenuItem);
    KR_FIELD(std::string, m_strRecipeKey, 0, 14, UpperBlank);
    KR_FIELD(std::string, m_strItem, 14, 12, UpperBlank);
    KR_FIELD(std::string, m_strUnit, 27, 3, UpperBlank);
    KR_FIELD(std::string, m_strDescription, 31, 30, Text);
    KR_FIELD(std::string, m_strPtnType, 62, 8, Text);
    KR_FIELD(double, m_dItemCost, 72, 8, F64) = 0;
    KR_FIELD(double, m_dPtnPerItem, 80, 8, F64) = 0;
    KR_FIELD(double, m_dPtns, 88, 8, F64) = 0;
};

class CMenuItemDB : public CRecordFile<CMenuItem, CMenuItemDB> {
public:
    static constexpr uint16_t kRecordLength = 96;

    static constexpr rec::FileFacts kFacts{"MENUITEM.DB", "Recipie Item Detail", false, false};
    uint32_t GetRecordLength() const override { return kRecordLength; }

    // The first line of a recipe (the key as given, at most 14 characters), then the next ones.
    int FindFirstLine(CMenuItem& line, const std::string& recipeKey);
    int FindNextLine(CMenuItem& line) { return GetNextRecord(line); }
    int DeleteLines(const std::string& recipeKey);

    static std::vector<BtrKeySegment> KeySegments();
    static uint16_t Pack(CMenuItem& line, uint8_t* record);
};
