// MENUHDR.DB: one header record per recipe, variable length (fixed part, then the notes).
#pragma once

#include <cstdint>
#include <string>

#include "BtrieveDB.h"
#include "RecordLayout.h"

class CMenuHdr {
public:
    CMenuHdr() = default;
    virtual ~CMenuHdr() = default;
    CMenuHdr(const CMenuHdr&) = default;
    CMenuHdr& operator=(const CMenuHdr&) = default;

    std::string m_strRecipeKey;
    std::string m_strRecipeName;
    std::string m_strCustomer;
    std::string m_strCategoryKey;
    std::string m_strNotes;
    std::string m_strRecipeID;
    char m_cRecordType = 'G';
    double m_dSellPrice = 0;
    double m_dDesiredFC = 0;
    double m_dAmount3 = 0;
    double m_dAmount4 = 0;
    int64_t m_nLastWrite = 0;
};

class CMenuHdrDB : public CBtrieveDB {
public:
    static constexpr uint16_t kFixedLength = 127;
    static constexpr uint16_t kRecordSize = 4224;
    static constexpr size_t kNotesOffset = 124;
    static constexpr size_t kMaxNotes = 4096;

    CMenuHdrDB();

    const char* GetFileName() const override { return "MENUHDR.DB"; }
    const char* GetDescription() const override { return "Recipie Master Header"; }
    bool CanExport() override { return false; }
    bool CanReload() const override { return false; }
    uint32_t GetRecordLength() const override { return kRecordSize; }
    int Create(const char* path) override;

    int FindFirstRecipe(CMenuHdr& header, const std::string& customer);
    int FindNextRecipe(CMenuHdr& header);
    int FindRecipe(CMenuHdr& header, const std::string& recipeKey);
    int UpdateRecipe(CMenuHdr& header);
    int InsertRecipe(CMenuHdr& header);
    int DeleteRecipe(const std::string& recipeKey);

    // Writes the header over a record buffer of kRecordSize bytes (the upper-case fields are
    // converted in the header itself); the reserved byte 87 keeps what the buffer held.
    // Returns the record length to write.
    static const rec::Layout<CMenuHdr>& Fields();
    static uint16_t Pack(CMenuHdr& header, uint8_t* record);
    // Reads a record of the given returned length back into the header.
    static void Unpack(CMenuHdr& header, const uint8_t* record, uint16_t length);

protected:
    void FillRecipeKey(const std::string& recipeKey);

    uint8_t m_key0[10];
    uint8_t m_key1[15];
};
