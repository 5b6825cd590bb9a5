#include "ItemLookupDB.h"

#include "RecordFields.h"
#include "RecordLayout.h"
#include "btrieve/btrcall.h"

#include <vector>

using namespace fields;

const std::vector<BtrKeySegment>& CItemLookupDB::KeySegments() {
    // 0: word; 1: word and item
    static const std::vector<BtrKeySegment> segments = {
        rec::Segment(Fields(), "m_strWord", btr::KF_DUPLICATES, btr::KT_STRING),
        rec::Segment(Fields(), "m_strWord", 0, btr::KT_STRING, 32)};
    return segments;
}

void CItemLookupDB::ImportLine(int firstChar) {
    long at = LineOffset();
    // An action character, the word (20), the item number (12) and the line feed.
    std::string line;
    LineStart start = ReadKeyPart(firstChar, 33, line);
    if (start != LineStart::Deletion) {
        RejectFormat(at);
        return;
    }
    char text[96];
    std::string word = line.substr(1, 20), item = line.substr(21, 12);
    int status;
    if (line[0] == 'D') {
        status = DeletePair(word, item);
        if (status != 0) {
            std::snprintf(text, sizeof text, "Error %d deleting item dict word %s", status, word.c_str());
            AddError(text);
        }
        return;
    }
    status = PairExists(word, item);
    if (status == btr::B_KEY_VALUE_NOT_FOUND) {
        CItemLookup lookup;
        lookup.m_strWord = word;
        lookup.m_strItem = item;
        status = InsertPair(lookup);
    }
    if (status != 0) {
        std::snprintf(text, sizeof text, "Error %d Writing Database", status);
        AddError(text);
    }
}

#define KR_RECORD CItemLookup
const rec::Layout<CItemLookup>& CItemLookupDB::Fields() {
    static const rec::Layout<CItemLookup> layout = {
        KR_AT(m_strWord, 0, 20, Upper),
        KR_AT(m_strItem, 20, 12, Upper),
    };
    return layout;
}
#undef KR_RECORD

void CItemLookupDB::FillPair(const std::string& word, const std::string& item) {
    FillKey(1, Padded(word, 20, '\0') + item);
    m_nKeyNumber = 1;
}

int CItemLookupDB::FindFirst(CItemLookup& lookup, const std::string& word) {
    FillKey(0, word);
    m_nKeyNumber = 0;
    CItemLookup found;
    int status = ReadRecord(btr::B_GET_EQUAL, found, 0);
    if (status != 0) return status;
    // The caller's word as given, case included.
    if (Padded(found.m_strWord, 20, '\0') != Padded(word, 20, '\0')) return btr::B_KEY_VALUE_NOT_FOUND;
    lookup = found;
    return 0;
}

int CItemLookupDB::FindNext(CItemLookup& lookup) {
    return ReadRecord(btr::B_GET_NEXT, lookup, m_nKeyNumber);
}

int CItemLookupDB::PairExists(const std::string& word, const std::string& item) {
    FillPair(word, item);
    if (!m_bOpen) return btr::B_FILE_NOT_OPEN;
    uint8_t record[kRecordLength] = {};
    uint16_t length = kRecordLength;
    return BtrvCall(btr::B_GET_EQUAL + btr::kKeyOnlyBias, m_posBlock, record, &length, KeyBuffer(1), 1);
}

int CItemLookupDB::DeletePair(const std::string& word, const std::string& item) {
    m_nKeyNumber = 1;
    return DeleteRecord(Padded(word, 20, '\0') + item);
}

int CItemLookupDB::InsertPair(CItemLookup& lookup) {
    m_nKeyNumber = 1;
    return InsertRecord(lookup);
}
