#include "MenuItemDB.h"

const std::vector<BtrKeySegment>& CMenuItemDB::KeySegments() {
    static const std::vector<BtrKeySegment> segments = {
        rec::Segment(Fields(), "m_strRecipeKey", btr::KF_DUPLICATES | btr::KF_MODIFIABLE, btr::KT_STRING)};
    return segments;
}

void CMenuItemDB::Pack(CMenuItem& line, uint8_t* record) {
    // The line keeps its recipe key in the padded form it is looked up by.
    if (line.m_strRecipeKey.size() < 14) line.m_strRecipeKey.resize(14, ' ');
    rec::Pack(Fields(), line, record);
}

void CMenuItemDB::FillRecipeKey(const std::string& recipeKey) {
    fields::PutText(KeyBuffer(0), 0, recipeKey.substr(0, 14), 14, ' ');
}

int CMenuItemDB::FindFirstLine(CMenuItem& line, const std::string& recipeKey) {
    FillRecipeKey(recipeKey);
    return GetFirstWithPrefix(line, 0, 14);
}

int CMenuItemDB::DeleteLines(const std::string& recipeKey) {
    FillRecipeKey(recipeKey);
    CMenuItem line;
    int status = GetFirstWithPrefix(line, 0, 14);
    if (status == btr::B_KEY_VALUE_NOT_FOUND) return status;
    while (status == 0) {
        status = Delete();
        if (status != 0) return status;
        status = GetNextRecord(line);
        if (status == 0 && std::memcmp(KeyBuffer(0), fields::Padded(recipeKey, 14, ' ').data(), 14) != 0)
            status = btr::B_KEY_VALUE_NOT_FOUND;
    }
    // The next record belongs to another recipe.
    return status;
}
