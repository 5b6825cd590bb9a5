#include "RecipeTypeAhead.h"

#include <algorithm>

namespace {

// Record texts are single-byte; only ASCII letters change case.
char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool ContainsUpper(const std::string& haystack, const std::string& upperNeedle) {
    if (upperNeedle.empty()) return true;
    const auto it = std::search(haystack.begin(), haystack.end(), upperNeedle.begin(), upperNeedle.end(),
                                [](char h, char n) { return UpperAscii(h) == n; });
    return it != haystack.end();
}

int FindFrom(const std::string& text, const std::vector<CRecipeTypeAhead::Row>& rows, size_t first,
             size_t last) {
    for (size_t i = first; i <= last && i < rows.size(); ++i)
        if (CRecipeTypeAhead::Matches(text, rows[i])) return static_cast<int>(i);
    return -1;
}

} // namespace

bool CRecipeTypeAhead::Matches(const std::string& upperText, const Row& row) {
    return ContainsUpper(row.description, upperText) || ContainsUpper(row.recipeID, upperText);
}

CRecipeTypeAhead::Result CRecipeTypeAhead::OnChar(char ch, const std::vector<Row>& rows) {
    Result r;
    if (rows.empty()) {
        r.beep = true;
        return r;
    }
    std::string candidate = m_strSearch;
    candidate.push_back(UpperAscii(ch));
    r.row = FindFrom(candidate, rows, 0, rows.size() - 1);
    if (r.row < 0) {
        r.beep = true; // the old search text stays
        return r;
    }
    m_strSearch = std::move(candidate);
    r.consumed = true;
    return r;
}

CRecipeTypeAhead::Result CRecipeTypeAhead::OnSearchAgain(int selected, const std::vector<Row>& rows) const {
    Result r;
    if (m_strSearch.empty() || rows.empty()) {
        r.beep = true;
        return r;
    }
    const size_t s = selected > 0 ? static_cast<size_t>(selected) : 0;
    r.row = FindFrom(m_strSearch, rows, s + 1, rows.size() - 1);
    // Wrap only when the search started below the first row.
    if (r.row < 0 && s >= 1) r.row = FindFrom(m_strSearch, rows, 0, s);
    r.beep = r.row < 0;
    r.consumed = r.row >= 0;
    return r;
}
