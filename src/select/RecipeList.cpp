#include "RecipeList.h"

#include "DbContext.h"
#include "MenuHdrDB.h"

#include <ctime>

namespace {

std::string TrimBlanks(const std::string& s) {
    const size_t end = s.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : s.substr(0, end + 1);
}

// End of the list rather than a failure: no (further) recipe on file.
bool IsEnd(int status) {
    return status == 4 || status == 9;
}

} // namespace

std::string FormatLastDT(long long seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr) return {};
    char text[32];
    const size_t n = std::strftime(text, sizeof text, "%m/%d/%y", &local);
    return std::string(text, n);
}

int ReadRecipeList(const std::string& customer, const std::string& directory,
                   std::vector<CRecipeListEntry>& entries) {
    entries.clear();
    CMenuHdrDB headers;
    int status = headers.OpenIn(CDbContext(directory));
    if (status != 0) return status;
    const std::string wanted = TrimBlanks(customer);
    CMenuHdr header;
    status = headers.FindFirstRecipe(header, customer);
    while (status == 0) {
        if (header.m_cRecordType != 'C' || TrimBlanks(header.m_strCustomer) != wanted) break;
        // The key field is one wider than a key; its padding is no part of the key.
        entries.push_back({header.m_strRecipeID, header.m_strRecipeName, FormatLastDT(header.m_nLastWrite),
                           TrimBlanks(header.m_strRecipeKey)});
        status = headers.FindNextRecipe(header);
    }
    return IsEnd(status) ? 0 : status;
}

int FindRecipeHeader(const std::string& directory, const std::string& key, std::string& name) {
    CMenuHdrDB headers;
    int status = headers.OpenIn(CDbContext(directory));
    if (status != 0) return status;
    CMenuHdr header;
    status = headers.FindRecipe(header, key);
    if (status == 0) name = header.m_strRecipeName;
    return status;
}
