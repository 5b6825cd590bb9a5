#include "CItemSearch.h"

#include "DbContext.h"
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

// A missing record (4) or the end of a file (9) is an answer; anything else is a file not read,
// and the first such status is kept.
bool ReadOk(int status, int& firstFailure) {
    if (status == 0 || status == 4 || status == 9) return true;
    if (firstFailure == 0) firstFailure = status;
    return false;
}

// Takes the last word off the text: after the last blank that is not the first character.
std::string TakeLastWord(std::string& text) {
    std::string word;
    size_t blank = text.find_last_of(' ');
    if (blank != std::string::npos && blank > 0) {
        word = text.substr(blank + 1, kWordWidth);
        text = TrimRight(text.substr(0, blank));
    } else {
        word = text.substr(0, kWordWidth);
        text.clear();
    }
    return fields::Upper(Pad(word, kWordWidth));
}

// The dictionary entries the words of a text stand for, and the one that names the fewest items.
struct Words {
    std::vector<CItemDict> retained;
    int driving = -1;
};

// Words are looked up from the last to the first; a word with a replacement puts the replacement
// at the end of the text instead, and the first unknown word ends the search for words.
Words ResolveWords(CItemDictDB& dictionary, std::string text, int& failure) {
    Words words;
    int32_t smallest = kNoCountYet;
    int replacements = 0;
    while (!text.empty()) {
        std::string word = TakeLastWord(text);
        CItemDict entry;
        const int found = dictionary.FindWord(entry, word);
        ReadOk(found, failure);
        if (found != 0) break;
        std::string replacement = TrimRight(entry.m_strReplacement);
        if (!replacement.empty()) {
            // A replacement found within the word itself (in practice: the same word) adds nothing.
            bool sameWord = (word + ' ').find(Pad(entry.m_strReplacement, kWordWidth)) != std::string::npos;
            if (!sameWord && replacements < CItemSearch::kMaxReplacements) {
                ++replacements;
                if (!text.empty()) text += ' ';
                text += replacement;
                text = TrimRight(text);
            }
            continue;
        }
        if (entry.m_nCount != 0) {
            words.retained.push_back(entry);
            if (entry.m_nCount < smallest) {
                smallest = entry.m_nCount;
                words.driving = static_cast<int>(words.retained.size()) - 1;
            }
        }
    }
    return words;
}

// The items of the driving word: its own comma-separated list, or its pairs in the lookup file.
std::vector<std::string> Candidates(const CItemDict& driver, CItemLookupDB& lookups, bool lookupOpen,
                                    int& failure) {
    std::vector<std::string> candidates;
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
        ReadOk(status, failure);
    }
    return candidates;
}

// A candidate passes when every other word names it too.
bool PassesFilter(const std::string& candidate, const Words& words, CItemLookupDB& lookups, bool lookupOpen,
                  int& failure) {
    for (size_t e = 0; e < words.retained.size(); ++e) {
        if (static_cast<int>(e) == words.driving) continue;
        const CItemDict& other = words.retained[e];
        if (!other.m_strItems.empty()) {
            if (other.m_strItems.find(candidate) == std::string::npos) return false;
        } else if (lookupOpen) {
            const int status = lookups.PairExists(other.m_strWord, candidate);
            ReadOk(status, failure);
            if (status != 0) return false;
        } else {
            return false;
        }
    }
    return true;
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

    CItemDB items;
    bool itemsOpen = ReadOk(items.OpenIn(CDbContext(m_strDirectory)), m_nStatus);
    CItem item;
    auto addResult = [this, &item]() {
        m_arrResults.push_back(fields::Padded(item.m_strItemNumber, 12, ' '));
        m_arrResults.push_back(item.m_strDescription);
        m_arrResults.push_back(ValidUnits(item));
        ++m_nCount;
    };
    if (itemsOpen && items.GetRecord(item, text) == 0) addResult();

    CItemDictDB dictionary;
    bool dictOpen = ReadOk(dictionary.OpenIn(CDbContext(m_strDirectory)), m_nStatus);
    Words words;
    if (dictOpen) words = ResolveWords(dictionary, TrimRight(text), m_nStatus);

    if (words.driving >= 0) {
        const CItemDict& driver = words.retained[static_cast<size_t>(words.driving)];
        CItemLookupDB lookups;
        const int lookupOpenStatus = lookups.OpenIn(CDbContext(m_strDirectory));
        const bool lookupOpen = lookupOpenStatus == 0;
        // The lookup file is needed only for words without an item list of their own.
        bool needLookup = false;
        for (const CItemDict& entry : words.retained)
            needLookup = needLookup || entry.m_strItems.empty();
        if (needLookup) ReadOk(lookupOpenStatus, m_nStatus);

        std::vector<std::string> candidates = Candidates(driver, lookups, lookupOpen, m_nStatus);
        for (size_t c = candidates.size(); c-- > 0;) {
            const std::string& candidate = candidates[c];
            if (!PassesFilter(candidate, words, lookups, lookupOpen, m_nStatus) || !itemsOpen) continue;
            const int status = items.GetRecord(item, Pad(candidate.substr(0, 12), 12));
            ReadOk(status, m_nStatus);
            if (status == 0) addResult();
        }
        if (lookupOpen) lookups.Close();
    }

    if (dictOpen) dictionary.Close();
    if (itemsOpen) items.Close();
    return m_nCount;
}
