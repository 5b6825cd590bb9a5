#include "ItemLookupDB.h"

using namespace fields;

std::vector<BtrKeySegment> CItemLookupDB::KeySegments() {
    // 0: word; 1: word and item
    return {Segment("m_strWord", btr::KF_DUPLICATES, btr::KT_STRING),
            Segment("m_strWord", 0, btr::KT_STRING, "m_strItem")};
}

void CItemLookupDB::ImportLine(int firstChar) {
    int64_t at = LineOffset();
    // An action character, the word and the item number, and the line feed right after them.
    std::string line, error;
    if (ReadKeyPart(firstChar, static_cast<size_t>(GetLineLength() - 1), line) != LineStart::Deletion)
        return RejectFormat(at);
    CItemLookup pair; // both kept as the line holds them: nothing to refuse
    rec::ReadLine(Fields(), line, line.size() - 1, pair, error);
    char text[96];
    // 'D' deletes the pair; any other action adds it unless it is there.
    if (line[0] == 'D') {
        if (int status = DeletePair(pair.m_strWord, pair.m_strItem)) {
            std::snprintf(text, sizeof text, "Error %d deleting item dict word %s", status,
                          pair.m_strWord.c_str());
            AddError(text);
        }
        return;
    }
    int status = PairExists(pair.m_strWord, pair.m_strItem);
    if (status == btr::B_KEY_VALUE_NOT_FOUND) status = InsertPair(pair);
    if (status != 0) AddError("Error " + std::to_string(status) + " Writing Database");
}

namespace {
// The word as the keys hold it: cut at its field's width and zero-filled.
std::string KeyWord(const std::string& word) {
    return Padded(word, CItemLookupDB::KeyLength(0), '\0');
}
} // namespace

int CItemLookupDB::FindFirst(CItemLookup& lookup, const std::string& word) {
    m_nKeyNumber = 0;
    CItemLookup found;
    if (int status = GetRecord(found, word)) return status;
    // The caller's word as given, case included.
    if (KeyWord(found.m_strWord) != KeyWord(word)) return btr::B_KEY_VALUE_NOT_FOUND;
    lookup = found;
    return 0;
}

int CItemLookupDB::FindNext(CItemLookup& lookup) {
    return ReadRecord(btr::B_GET_NEXT, lookup, m_nKeyNumber);
}

int CItemLookupDB::PairExists(const std::string& word, const std::string& item) {
    m_nKeyNumber = 1;
    return KeyOnlyEqual(1, KeyWord(word) + item);
}

int CItemLookupDB::DeletePair(const std::string& word, const std::string& item) {
    m_nKeyNumber = 1;
    return DeleteRecord(KeyWord(word) + item);
}

int CItemLookupDB::InsertPair(CItemLookup& lookup) {
    m_nKeyNumber = 1;
    return InsertRecord(lookup);
}
