#include "ItemDictDB.h"
#include "Interchange.h"

using namespace fields;

std::vector<BtrKeySegment> CItemDictDB::KeySegments() {
    return {rec::Segment(Fields(), "m_strWord", 0, btr::KT_STRING)};
}

void CItemDictDB::ImportLine(int firstChar) {
    int64_t at = LineOffset();
    std::string line, error;
    auto erase = [this](const std::string& key) { return DeleteRecord(key); };
    if (StartLine(firstChar, KeyLength(0), line, erase, "Error %d deleting item dict word %s") !=
        LineStart::Record)
        return;
    CItemDict entry;
    size_t length = static_cast<size_t>(GetLineLength());
    bool read = ReadLineRest(line, length);
    if (m_nVersion < 771) {
        // The older line carries the item list after its columns, up to the line feed.
        int c = line.size() == length && line.find('\n') == std::string::npos ? ReadReloadChar() : EOF;
        for (; c != '\n' && c != EOF; c = ReadReloadChar())
            if (entry.m_strItems.size() < kMaxItems) entry.m_strItems += static_cast<char>(c);
        read = c == '\n';
        line += '\n';
    }
    if (!read) return RejectFormat(at);
    if (!rec::ReadLine(Fields(), line, line.size() - 1, entry, error)) return AddLineError(error, at);
    int status = UpdateOrInsert(entry);
    if (status != 0) AddError("Error " + std::to_string(status) + " Writing Database");
}

uint16_t CItemDictDB::Pack(CItemDict& e, uint8_t* r) {
    rec::Pack(Fields(), e, r);
    // The list ends at its first zero byte; the rest of the buffer is zero.
    MakeUpper(e.m_strItems);
    std::string items = GetText(reinterpret_cast<const uint8_t*>(e.m_strItems.c_str()), 0, kMaxItems);
    PutText(r, kItemsOffset, items, kBufferSize - kItemsOffset, '\0');
    // The record runs five bytes past the list (its terminating zero and four more), but never
    // past the longest record a reader's buffer takes: a full list keeps its zero, not all four.
    return static_cast<uint16_t>(std::min(kItemsOffset + 5 + items.size(), kBufferSize));
}

int CItemDictDB::UnpackRecord(const uint8_t* r, uint16_t length, CItemDict& e) {
    rec::Unpack(Fields(), r, e);
    // Never past the record returned, even when it lacks its closing zero.
    size_t room = length > kItemsOffset ? length - kItemsOffset : 0;
    e.m_strItems = Upper(GetText(r, kItemsOffset, std::min(room, kMaxItems)));
    return 0;
}

int CItemDictDB::FindWord(CItemDict& entry, const std::string& word) {
    if (word.empty()) return btr::B_KEY_VALUE_NOT_FOUND;
    // The word as given, case included, cut at the key's width: the word itself comes first.
    PutText(KeyBuffer(0), 0, word, KeyLength(0), '\0');
    return GetFirstWithPrefix(entry, 0, std::min(word.size(), KeyLength(0)));
}
