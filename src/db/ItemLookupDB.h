// ITEMLKUP.DB: one record per pair of dictionary word and item, for words without an inline list.
#pragma once

#include "RecordFile.h"

class CItemLookup {
public:
    KR_RECORD(CItemLookup);
    KR_FIELD(std::string, m_strWord, 0, 20, Upper, 1, Kind::Key);
    KR_FIELD(std::string, m_strItem, 20, 12, Upper, 21, Kind::Key);
};

class CItemLookupDB : public CRecordFile<CItemLookup, CItemLookupDB> {
public:
    static constexpr uint16_t kRecordLength = 32;
    static constexpr int kUniqueKey = 1; // word and item

    static constexpr rec::FileFacts kFacts{"ITEMLKUP.DB", "Item Lookup Dictionary", false, true};
    static constexpr rec::LineVersion kLines[] = {{INT_MAX, 34}};
    void ImportLine(int firstChar) override;

    int FindFirst(CItemLookup& lookup, const std::string& word);
    // Continues on the key last used for positioning.
    int FindNext(CItemLookup& lookup);
    int PairExists(const std::string& word, const std::string& item);
    int DeletePair(const std::string& word, const std::string& item);
    int InsertPair(CItemLookup& lookup);

    static std::vector<BtrKeySegment> KeySegments();

protected:
    int m_nKeyNumber = 0; // the key last used for positioning
};
