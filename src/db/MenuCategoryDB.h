// MenuCategory.DB: each customer's recipe categories, 53-byte records.
#pragma once

#include "RecordFile.h"

class CMenuCategory {
public:
    KR_RECORD(CMenuCategory);
    KR_FIELD(char, m_cRecordType, 0, 1, Byte) = 'G';
    KR_FIELD(std::string, m_strCustomer, 1, 8, UpperBlank);
    KR_FIELD(std::string, m_strCategoryKey, 9, 14, Upper);
    KR_FIELD(std::string, m_strName, 23, 30, Text);
};

class CMenuCategoryDB : public CRecordFile<CMenuCategory, CMenuCategoryDB> {
public:
    static constexpr uint16_t kRecordLength = 53;
    static constexpr int kUniqueKey = 1; // the category key

    static constexpr rec::FileFacts kFacts{"MenuCategory.DB", "Recipie Master Header", false, false};
    uint32_t GetRecordLength() const override { return kRecordLength; }

    // The first category of a customer (at most six characters, as given), then the next ones.
    int FindFirstCategory(CMenuCategory& category, const std::string& customer) {
        return GetFirstWithPrefix(category, "C" + customer.substr(0, 6), ' ');
    }
    int FindNextCategory(CMenuCategory& category) { return GetNextRecord(category); }

    static std::vector<BtrKeySegment> KeySegments();
};
