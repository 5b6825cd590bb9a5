// Type-ahead search over the rows of the recipe list, without a window: the rows are handed in as
// their description and recipe identifier texts, in displayed order.
#pragma once

#include <string>
#include <vector>

class CRecipeTypeAhead {
public:
    struct Row {
        std::string description;
        std::string recipeID;
    };
    // What the dialog does with the key: select row (when >= 0), beep, and whether the key is used up.
    struct Result {
        int row = -1;
        bool beep = false;
        bool consumed = false;
    };

    // ch: the key taken as a character (a letter or a blank; lower-case letters are upper-cased).
    Result OnChar(char ch, const std::vector<Row>& rows);
    // Search again from the row after selected (-1: nothing selected).
    Result OnSearchAgain(int selected, const std::vector<Row>& rows) const;
    void Clear() { m_strSearch.clear(); }
    const std::string& GetSearchText() const { return m_strSearch; }

    // The upper-cased text occurs in the upper-cased description or, failing that, in the identifier.
    static bool Matches(const std::string& upperText, const Row& row);

private:
    std::string m_strSearch; // upper case
};
