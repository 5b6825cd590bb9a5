#include "CItemSearch.h"

#include "DbPath.h"
#include "ItemDB.h"
#include "ItemDictDB.h"
#include "ItemLookupDB.h"
#include "RecordFields.h"

namespace {

constexpr size_t kWordWidth = 20;
constexpr int32_t kNoCountYet = 0x7FFFF;

std::string TrimRight(std::string text) {
    size_t end = text.find_last_not_of(' ');
    text.resize(end == std::string::npos ? 0 : end + 1);
    return text;
}

std::string Pad(std::string text, size_t width) {
    if (text.size() < width) text.resize(width, ' ');
    return text;
}

std::string ValidUnits(const CItem& item) {
    return fields::Padded(item.m_arrUnits[0], 3, ' ') + ' ' + fields::Padded(item.m_arrUnits[1], 3, ' ') +
           ' ' + fields::Padded(item.m_arrUnits[2], 3, ' ');
}

} // namespace

CItemSearch::CItemSearch(std::string directory) : m_strDirectory(std::move(directory)) {}

std::string CItemSearch::Entry(int i, int field) const {
    if (i < 0 || i >= m_nCount) return {};
    size_t at = static_cast<size_t>(i) * 3 + static_cast<size_t>(field);
    return at < m_arrResults.size() ? m_arrResults[at] : std::string();
}

int CItemSearch::Search(const std::string& input) {
    m_arrResults.clear();
    m_nCount = 0;
    m_nStatus = 0;
    std::string text = Pad(input, 12);
    // A missing record (4) or the end of a file (9) is an answer; anything else is a file not read.
    auto readOk = [this](int status) {
        if (status == 0 || status == 4 || status == 9) return true;
        if (m_nStatus == 0) m_nStatus = status;
        return false;
    };

    CItemDB items;
    std::string itemPath = DbPath(m_strDirectory, "ITEM.DB");
    bool itemsOpen = readOk(items.OpenFile(DbPathArg(itemPath)));
    CItem item;
    auto addResult = [this, &item]() {
        m_arrResults.push_back(fields::Padded(item.m_strItemNumber, 12, ' '));
        m_arrResults.push_back(item.m_strDescription);
        m_arrResults.push_back(ValidUnits(item));
        ++m_nCount;
    };
    if (itemsOpen && items.GetRecord(item, text) == 0) addResult();

    CItemDictDB dictionary;
    std::string dictPath = DbPath(m_strDirectory, "ITEMDICT.DB");
    bool dictOpen = readOk(dictionary.OpenFile(DbPathArg(dictPath)));
    text = TrimRight(text);

    std::vector<CItemDict> retained;
    int driving = -1;
    if (dictOpen) {
        int32_t smallest = kNoCountYet;
        int replacements = 0;
        while (!text.empty()) {
            // The last word: after the last blank that is not the first character.
            std::string word;
            size_t blank = text.find_last_of(' ');
            if (blank != std::string::npos && blank > 0) {
                word = text.substr(blank + 1, kWordWidth);
                text = TrimRight(text.substr(0, blank));
            } else {
                word = text.substr(0, kWordWidth);
                text.clear();
            }
            word = fields::Upper(Pad(word, kWordWidth));

            CItemDict entry;
            const int found = dictionary.FindWord(entry, word);
            readOk(found);
            if (found != 0) break;
            std::string replacement = TrimRight(entry.m_strReplacement);
            if (!replacement.empty()) {
                // A replacement found within the word itself (in practice: the same word) adds nothing.
                bool sameWord =
                    (word + ' ').find(Pad(entry.m_strReplacement, kWordWidth)) != std::string::npos;
                if (!sameWord && replacements < kMaxReplacements) {
                    ++replacements;
                    if (!text.empty()) text += ' ';
                    text += replacement;
                    text = TrimRight(text);
                }
                continue;
            }
            if (entry.m_nCount != 0) {
                retained.push_back(entry);
                if (entry.m_nCount < smallest) {
                    smallest = entry.m_nCount;
                    driving = static_cast<int>(retained.size()) - 1;
                }
            }
        }
    }

    if (driving >= 0) {
        const CItemDict& driver = retained[static_cast<size_t>(driving)];
        std::vector<std::string> candidates;
        CItemLookupDB lookups;
        std::string lookupPath = DbPath(m_strDirectory, "ITEMLKUP.DB");
        const int lookupOpenStatus = lookups.OpenFile(DbPathArg(lookupPath));
        const bool lookupOpen = lookupOpenStatus == 0;
        // The lookup file is needed only for words without an item list of their own.
        bool needLookup = driver.m_strItems.empty();
        for (const CItemDict& other : retained)
            needLookup = needLookup || other.m_strItems.empty();
        if (needLookup) readOk(lookupOpenStatus);
        if (!driver.m_strItems.empty()) {
            size_t start = 0;
            while (true) {
                size_t comma = driver.m_strItems.find(',', start);
                candidates.push_back(driver.m_strItems.substr(start, comma - start));
                if (comma == std::string::npos) break;
                start = comma + 1;
            }
        } else if (lookupOpen) {
            CItemLookup pair;
            int status = lookups.FindFirst(pair, driver.m_strWord);
            while (status == 0 && pair.m_strWord == driver.m_strWord) {
                candidates.push_back(pair.m_strItem);
                status = lookups.FindNext(pair);
            }
            readOk(status);
        }

        for (size_t c = candidates.size(); c-- > 0;) {
            const std::string& candidate = candidates[c];
            bool passes = true;
            for (size_t e = 0; e < retained.size() && passes; ++e) {
                if (static_cast<int>(e) == driving) continue;
                const CItemDict& other = retained[e];
                if (!other.m_strItems.empty())
                    passes = other.m_strItems.find(candidate) != std::string::npos;
                else if (lookupOpen) {
                    const int status = lookups.PairExists(other.m_strWord, candidate);
                    readOk(status);
                    passes = status == 0;
                } else
                    passes = false;
            }
            if (!passes || !itemsOpen) continue;
            const int status = items.GetRecord(item, Pad(candidate.substr(0, 12), 12));
            readOk(status);
            if (status == 0) addResult();
        }
        if (lookupOpen) lookups.Close();
    }

    if (dictOpen) dictionary.Close();
    if (itemsOpen) items.Close();
    return m_nCount;
}
