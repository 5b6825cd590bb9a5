// MENUHDR.DB: one header record per recipe, variable length (fixed part, then the notes).
#pragma once

#include "RecordFile.h"

class CMenuHdr {
public:
    static constexpr size_t kMaxNotes = 4096;
    KR_RECORD(CMenuHdr);
    KR_FIELD(char, m_cRecordType, 0, 1, Byte) = 'G';
    KR_FIELD(std::string, m_strCustomer, 1, 8, UpperBlank);
    KR_FIELD(std::string, m_strRecipeKey, 9, 14, UpperBlank);
    KR_FIELD(std::string, m_strCategoryKey, 23, 14, UpperBlank);
    KR_FIELD(std::string, m_strRecipeName, 37, 30, Text);
    KR_FIELD(std::string, m_strRecipeID, 67, 20, Text);
    KR_FIELD(double, m_dSellPrice, 88, 8, F64) = 0;
    KR_FIELD(double, m_dDesiredFC, 96, 8, F64) = 0;
    KR_FIELD(double, m_dAmount3, 104, 8, F64) = 0;
    KR_FIELD(double, m_dAmount4, 112, 8, F64) = 0;
    KR_FIELD(int64_t, m_nLastWrite, 120, 4, Time) = 0;
    KR_FIELD(std::string, m_strNotes, 124, kMaxNotes + rec::kNotesEnd, Notes);
};

class CMenuHdrDB : public CRecordFile<CMenuHdr, CMenuHdrDB> {
public:
    static constexpr uint16_t kRecordLength = 127; // the fixed part
    static constexpr size_t kBufferSize = 4224;
    static constexpr int kUniqueKey = 1;    // the recipe key
    static constexpr size_t kPastNotes = 4; // their terminating zero and three more

    static constexpr rec::FileFacts kFacts{"MENUHDR.DB", "Recipie Master Header", false, false};
    uint32_t GetRecordLength() const override { return kBufferSize; }

    // The first recipe of a customer (at most six characters, as given), then the next ones.
    int FindFirstRecipe(CMenuHdr& header, const std::string& customer) {
        return GetFirstWithPrefix(header, "C" + customer.substr(0, 6), ' ');
    }
    int FindNextRecipe(CMenuHdr& header) { return GetNextRecord(header); }
    int FindRecipe(CMenuHdr& header, const std::string& recipeKey) { return GetRecord(header, recipeKey, 1); }
    // Writes stamp the header with the time of the write.
    int UpdateRecipe(CMenuHdr& header);
    int InsertRecipe(CMenuHdr& header);

    static std::vector<BtrKeySegment> KeySegments();
};
