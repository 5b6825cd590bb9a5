// Finds items by the words of their descriptions through the item dictionary, the item lookup
// file and the item master. One search per call; the results are read afterwards.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CItemSearch {
public:
    // directory: the database directory; empty opens the record files in the current directory.
    explicit CItemSearch(std::string directory = {});
    virtual ~CItemSearch() = default;

    // Replaces earlier results; returns the number of items found.
    int Search(const std::string& text);

    int GetCount() const { return m_nCount; }
    // 0 when every file the search needed was read. Otherwise the status of the first file that
    // could not be read: the results are incomplete, and finding nothing does not mean no item matches.
    int GetStatus() const { return m_nStatus; }
    // Results are numbered from 0; an index out of range gives an empty text.
    std::string GetItemNumber(int i) const { return Entry(i, 0); }
    std::string GetDescription(int i) const { return Entry(i, 1); }
    std::string GetUnit(int i) const { return Entry(i, 2).substr(0, 3); }
    std::string GetValidUnits(int i) const { return Entry(i, 2); }

    // Replacement words followed in one search at most; a dictionary whose words name each other
    // as replacement would otherwise never let the search end.
    static constexpr int kMaxReplacements = 32;

private:
    std::string Entry(int i, int field) const;

    std::string m_strDirectory;
    std::vector<std::string> m_arrResults; // number, description, valid units per item
    int32_t m_nCount = 0;
    int m_nStatus = 0;
};
