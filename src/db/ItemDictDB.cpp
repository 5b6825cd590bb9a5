#include "ItemDictDB.h"
#include "Interchange.h"

using namespace fields;

std::vector<BtrKeySegment> CItemDictDB::KeySegments() {
    return {Segment("m_strWord", 0, btr::KT_STRING)};
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
            if (entry.m_strItems.size() < CItemDict::kMaxItems) entry.m_strItems += static_cast<char>(c);
        read = c == '\n';
        line += '\n';
    }
    if (!read) return RejectFormat(at);
    if (!rec::ReadLine(Fields(), line, line.size() - 1, entry, error)) return AddLineError(error, at);
    int status = UpdateOrInsert(entry);
    if (status != 0) AddError("Error " + std::to_string(status) + " Writing Database");
}

int CItemDictDB::FindWord(CItemDict& entry, const std::string& word) {
    if (word.empty()) return btr::B_KEY_VALUE_NOT_FOUND;
    // The word as given, case included, cut at the key's width: the word itself comes first.
    return GetFirstWithPrefix(entry, word, '\0', word.size());
}
