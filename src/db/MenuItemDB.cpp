#include "MenuItemDB.h"

std::vector<BtrKeySegment> CMenuItemDB::KeySegments() {
    return {Segment("m_strRecipeKey", btr::KF_DUPLICATES | btr::KF_MODIFIABLE, btr::KT_STRING)};
}

uint16_t CMenuItemDB::Pack(CMenuItem& line, uint8_t* record) {
    // The line keeps its recipe key in the padded form it is looked up by.
    if (line.m_strRecipeKey.size() < KeyLength(0)) line.m_strRecipeKey.resize(KeyLength(0), ' ');
    rec::Pack(Fields(), line, record);
    return kRecordLength;
}

int CMenuItemDB::FindFirstLine(CMenuItem& line, const std::string& recipeKey) {
    return GetFirstWithPrefix(line, recipeKey, ' ');
}

// Ends with 4 once the next record belongs to another recipe.
int CMenuItemDB::DeleteLines(const std::string& recipeKey) {
    const std::string key = fields::Padded(recipeKey, KeyLength(0), ' ');
    CMenuItem line;
    int status = FindFirstLine(line, recipeKey);
    while (status == 0) {
        status = Delete();
        if (status != 0) return status;
        status = ReadWithPrefix(btr::B_GET_NEXT, line, 0, key);
    }
    return status;
}
