#include "ItemDictDB.h"
#include "Interchange.h"

#include "RecordFields.h"
#include "RecordLayout.h"
#include "btrieve/btrcall.h"

#include <vector>

using namespace fields;

const std::vector<BtrKeySegment>& CItemDictDB::KeySegments() {
    static const std::vector<BtrKeySegment> segments = {
        rec::Segment(Fields(), "m_strWord", 0, btr::KT_STRING)};
    return segments;
}

void CItemDictDB::ImportLine(int firstChar) {
    long at = LineOffset();
    std::string line;
    auto erase = [this](const std::string& key) { return DeleteRecord(key); };
    if (StartLine(firstChar, kWordLength, line, erase, "Error %d deleting item dict word %s") !=
        LineStart::Record)
        return;
    char text[96];
    CItemDict entry;
    if (m_nVersion >= 771) {
        if (!ReadLineRest(line, 47)) {
            RejectFormat(at);
            return;
        }
    } else {
        // The older line carries the item list from column 46 up to the line feed.
        ReadLineRest(line, 46);
        if (line.size() != 46 || line.find('\n') != std::string::npos) {
            RejectFormat(at);
            return;
        }
        bool ended = false;
        int c;
        while ((c = ReadReloadChar()) != EOF) {
            if (c == '\n') {
                ended = true;
                break;
            }
            if (entry.m_strItems.size() < kMaxItems) entry.m_strItems += static_cast<char>(c);
        }
        if (!ended) {
            RejectFormat(at);
            return;
        }
        line += '\n';
    }
    int32_t count = 0;
    if (!ichg::ParseNumber(line.substr(0, 5), line[5], count)) {
        AddLineError("Invalid Number \"" + line.substr(0, 6) + "\"", at);
        return;
    }
    entry.m_nCount = count;
    entry.m_strReplacement = line.substr(6, kWordLength);
    entry.m_strWord = line.substr(26, kWordLength);
    int status = UpdateRecord(entry);
    if (status == btr::B_KEY_VALUE_NOT_FOUND) status = InsertRecord(entry);
    if (status != 0) {
        std::snprintf(text, sizeof text, "Error %d Writing Database", status);
        AddError(text);
    }
}

#define KR_RECORD CItemDict
// The fixed part of the record; the item list follows it.
const rec::Layout<CItemDict>& CItemDictDB::Fields() {
    static const rec::Layout<CItemDict> layout = {
        KR_AT(m_strWord, 0, kWordLength, Upper),
        KR_AT(m_strReplacement, 20, kWordLength, Upper),
        KR_AT(m_nCount, 40, 4, I32),
    };
    return layout;
}
#undef KR_RECORD

uint16_t CItemDictDB::Pack(CItemDict& e, uint8_t* r) {
    rec::Pack(Fields(), e, r);
    // The list ends at its first zero byte; the rest of the buffer is zero.
    MakeUpper(e.m_strItems);
    std::string items = GetText(reinterpret_cast<const uint8_t*>(e.m_strItems.c_str()), 0, kMaxItems);
    PutText(r, kItemsOffset, items, kBufferSize - kItemsOffset, '\0');
    // The record runs five bytes past the list: its terminating zero and four more.
    return static_cast<uint16_t>(kItemsOffset + 5 + items.size());
}

void CItemDictDB::Unpack(const uint8_t* r, uint16_t length, CItemDict& e) {
    rec::Unpack(Fields(), r, e);
    // Never past the record returned, even when it lacks its closing zero.
    size_t room = length > kItemsOffset ? length - kItemsOffset : 0;
    e.m_strItems = GetUpper(r, kItemsOffset, room < kMaxItems ? room : kMaxItems);
}

int CItemDictDB::FindWord(CItemDict& entry, const std::string& word) {
    if (word.empty()) return btr::B_KEY_VALUE_NOT_FOUND;
    // The word as given, case included, cut at the key's width.
    std::string searched = word.substr(0, kWordLength);
    uint8_t* key = KeyBuffer(0);
    PutText(key, 0, searched, kWordLength, '\0');
    CItemDict found;
    int status = ReadRecord(btr::B_GET_EQUAL, found, 0);
    if (status == btr::B_KEY_VALUE_NOT_FOUND) status = ReadRecord(btr::B_GET_GE, found, 0);
    if (status != 0) return status;
    if (std::memcmp(key, searched.data(), searched.size()) != 0) return btr::B_KEY_VALUE_NOT_FOUND;
    entry = found;
    return 0;
}
