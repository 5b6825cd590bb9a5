#include "ItemLookupDB.h"

#include "RecordFields.h"
#include "RecordLayout.h"
#include "btrieve/btrcall.h"

#include <vector>

using namespace fields;

CItemLookupDB::CItemLookupDB() {
    m_bReload = false;
}
CItemLookupDB::~CItemLookupDB() = default;

int CItemLookupDB::Create(const char* path) {
    return CreateAndOpen(path, kRecordLength, 2, 0,
                         {// 0: word; 1: word and item
                          rec::Segment(Fields(), "m_strWord", btr::KF_DUPLICATES, btr::KT_STRING),
                          rec::Segment(Fields(), "m_strWord", 0, btr::KT_STRING, 32)});
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
    PutText(m_keyPair, 0, Upper(word), 20, '\0');
    PutText(m_keyPair, 20, Upper(item), 12, '\0');
    m_keyPair[32] = 0;
}

int CItemLookupDB::FindFirst(CItemLookup& lookup, const std::string& word) {
    PutText(m_keyWord, 0, Upper(word), 20, '\0');
    m_keyWord[20] = 0;
    m_nKeyNumber = 0;
    uint8_t record[kRecordLength] = {};
    uint16_t length = kRecordLength;
    int status = GetEqual(record, &length, m_keyWord, 0);
    if (status != 0) return status;
    // The caller's word as given, case included.
    std::string wanted = Padded(word, 20, '\0');
    if (std::memcmp(record, wanted.data(), 20) != 0) return btr::B_KEY_VALUE_NOT_FOUND;
    Unpack(record, lookup);
    return 0;
}

int CItemLookupDB::FindNext(CItemLookup& lookup) {
    uint8_t record[kRecordLength] = {};
    uint16_t length = kRecordLength;
    int status = GetNext(record, &length, m_nKeyNumber == 1 ? m_keyPair : m_keyWord, m_nKeyNumber);
    if (status == 0) Unpack(record, lookup);
    return status;
}

int CItemLookupDB::PairExists(const std::string& word, const std::string& item) {
    FillPair(word, item);
    m_nKeyNumber = 1;
    if (!m_bOpen) return btr::B_FILE_NOT_OPEN;
    uint8_t record[kRecordLength] = {};
    uint16_t length = kRecordLength;
    return BtrvCall(btr::B_GET_EQUAL + btr::kKeyOnlyBias, m_posBlock, record, &length, m_keyPair, 1);
}

int CItemLookupDB::DeletePair(const std::string& word, const std::string& item) {
    FillPair(word, item);
    m_nKeyNumber = 1;
    uint8_t record[kRecordLength] = {};
    return DeleteByKey(record, kRecordLength, m_keyPair, 1);
}

int CItemLookupDB::InsertPair(CItemLookup& lookup) {
    uint8_t record[kRecordLength] = {};
    Pack(lookup, record);
    std::memcpy(m_keyPair, record, 32);
    m_keyPair[32] = 0;
    m_nKeyNumber = 1;
    uint16_t length = kRecordLength;
    return Insert(record, &length, m_keyPair, 1);
}
