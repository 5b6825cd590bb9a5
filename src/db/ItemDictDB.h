// ITEMDICT.DB: one record per word of the item descriptions, with its replacement word and,
// in the older form, the list of items carrying it.
#pragma once

#include "RecordFile.h"

class CItemDict {
public:
    static constexpr size_t kMaxItems = 12800;
    KR_RECORD(CItemDict);
    KR_FIELD(std::string, m_strWord, 0, 20, Upper, 26, Kind::Key); // key 0
    // Blank when the word stands for itself.
    KR_FIELD(std::string, m_strReplacement, 20, 20, Upper, 6, Kind::Key);
    KR_FIELD(int32_t, m_nCount, 40, 4, I32, 0) = 0; // how many items carry the word
    KR_FIELD(std::string, m_strItems, 44, kMaxItems + rec::kNotesEnd, UpperNotes); // separated by commas
};

class CItemDictDB : public CRecordFile<CItemDict, CItemDictDB> {
public:
    static constexpr uint16_t kRecordLength = 47; // the fixed part
    static constexpr size_t kBufferSize = 12848;
    static constexpr size_t kPastNotes = 5; // the list's terminating zero and four more

    static constexpr rec::FileFacts kFacts{"ITEMDICT.DB", "Item Dictionary", false, true};
    static constexpr rec::LineVersion kLines[] = {{771, 46}, {INT_MAX, 47}};
    void ImportLine(int firstChar) override;

    // The word itself, else the next word beginning with it.
    int FindWord(CItemDict& entry, const std::string& word);

    static std::vector<BtrKeySegment> KeySegments();
};
