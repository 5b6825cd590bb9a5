#include "CRecipe.h"

#include "Costing.h"
#include "DbContext.h"
#include "MenuCategoryDB.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int kNotFound = 4;
constexpr int kEndOfFile = 9;
// Seconds tried before giving up on finding a free key (a day's worth).
constexpr int kMaxKeyTries = 86400;

bool StartsWithAA(const std::string& key) {
    return key.size() >= 2 && key[0] == 'A' && key[1] == 'A';
}

bool SameKey(const std::string& a, const std::string& b) {
    return TrimRight(a) == TrimRight(b);
}

// Begins the process's transaction through an open file; ends it once, committing or not.
class Transaction {
public:
    explicit Transaction(CBtrieveDB& file) : m_file(file) { m_nStatus = file.BeginTran(); }
    ~Transaction() {
        if (m_nStatus == 0 && !m_bDone) m_file.AbortTran();
    }
    int Status() const { return m_nStatus; }
    int Commit() {
        m_bDone = true;
        return m_file.EndTran();
    }
    void Abort() {
        m_bDone = true;
        m_file.AbortTran();
    }

private:
    CBtrieveDB& m_file;
    int m_nStatus = 0;
    bool m_bDone = false;
};

// The lines of a recipe key now in the line file; -1 with *status on a read failure.
int CountLines(CMenuItemDB& lines, const std::string& key, int* status) {
    CMenuItem line;
    int n = 0;
    int st = lines.FindFirstLine(line, key);
    while (st == 0 && SameKey(line.m_strRecipeKey, key)) {
        ++n;
        st = lines.FindNextLine(line);
    }
    if (st != 0 && st != kNotFound && st != kEndOfFile) {
        *status = st;
        return -1;
    }
    return n;
}

// Removes the first count lines of the key (the older ones: duplicates keep insertion order).
int DeleteFirstLines(CMenuItemDB& lines, const std::string& key, int count) {
    CMenuItem line;
    int st = lines.FindFirstLine(line, key);
    for (int i = 0; i < count; ++i) {
        if (st != 0) return st;
        if (!SameKey(line.m_strRecipeKey, key)) return kNotFound;
        st = lines.Delete();
        if (st != 0) return st;
        if (i + 1 < count) st = lines.FindNextLine(line);
    }
    return 0;
}

// The "AA" key of the time t or the first later second whose key no recipe uses.
int FreeRecipeKey(CMenuHdrDB& headers, std::time_t t, std::string* key) {
    for (int i = 0; i < kMaxKeyTries; ++i, ++t) {
        std::string candidate = SavedRecipeKey(MakeTimeKey(t));
        CMenuHdr probe;
        int st = headers.FindRecipe(probe, candidate);
        if (st == kNotFound) {
            *key = candidate;
            return 0;
        }
        if (st != 0) return st;
    }
    return 5; // every key tried is taken: as a duplicate key would be
}

} // namespace

std::string MakeTimeKey(std::time_t t) {
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    if (std::strftime(text, sizeof text, "%Y%j%H%M%S", &local) == 0) return {};
    return text;
}

std::string SavedRecipeKey(const std::string& key) {
    std::string out = key;
    if (out.size() >= 2) out.replace(0, 2, "AA");
    return out;
}

std::time_t TimeOfKey(const std::string& key) {
    std::string k = TrimRight(key);
    if (StartsWithAA(k) && k.size() == 13) k = "20" + k.substr(2);
    if (k.size() != 13) return -1;
    for (char c : k)
        if (c < '0' || c > '9') return -1;
    std::tm local{};
    local.tm_year = std::stoi(k.substr(0, 4)) - 1900;
    local.tm_mon = 0;
    local.tm_mday = std::stoi(k.substr(4, 3)); // day of the year; mktime carries it over
    local.tm_hour = std::stoi(k.substr(7, 2));
    local.tm_min = std::stoi(k.substr(9, 2));
    local.tm_sec = std::stoi(k.substr(11, 2));
    local.tm_isdst = -1;
    return std::mktime(&local);
}

double StoredItemCost(const CMenuItemDetail& line) {
    if (line.IsFromItemMaster() && line.m_dItemCost == line.m_dDefaultItemCost) return 0;
    return line.m_dItemCost;
}

CMenuItem StoredLine(const CMenuItemDetail& line, const std::string& recipeKey) {
    CMenuItem rec;
    rec.m_strRecipeKey = recipeKey;
    rec.m_strItem = line.m_strItem;
    rec.m_strUnit = line.m_strUnit;
    rec.m_strDescription = line.m_strDescription;
    rec.m_strPtnType = line.m_strPtnType;
    rec.m_dPtnPerItem = line.m_dPtnPerItem;
    rec.m_dPtns = line.m_dPtns;
    rec.m_dItemCost = StoredItemCost(line);
    return rec;
}

bool IsValidAmount(double value) {
    return std::isfinite(value) && std::fabs(value) <= kMaxAmount;
}

bool IsValidPortions(double value) {
    return std::isfinite(value) && std::fabs(value) <= kMaxPortions;
}

CRecipe::CRecipe(std::string directory) : m_strDirectory(std::move(directory)) {}

int CRecipe::Load(const std::string& recipeKey) {
    CMenuHdrDB headers;
    int st = headers.OpenIn(CDbContext(m_strDirectory));
    if (st != 0) return st;
    CMenuHdr hdr;
    st = headers.FindRecipe(hdr, recipeKey);
    if (st != 0) return st;

    CMenuItemDB lines;
    st = lines.OpenIn(CDbContext(m_strDirectory));
    if (st != 0) return st;
    std::vector<CMenuItem> read;
    CMenuItem line;
    st = lines.FindFirstLine(line, hdr.m_strRecipeKey);
    while (st == 0 && SameKey(line.m_strRecipeKey, hdr.m_strRecipeKey)) {
        // Lines of a recipe never saved by this editor are priced anew.
        if (!StartsWithAA(hdr.m_strRecipeKey)) line.m_dItemCost = 0;
        read.push_back(line);
        st = lines.FindNextLine(line);
    }
    if (st != 0 && st != kNotFound && st != kEndOfFile) return st;
    m_hdr = hdr;
    m_arrLines = std::move(read);
    return 0;
}

int CRecipe::Save(const std::string& customer, const std::string& key, bool copy, std::string* savedKey,
                  std::time_t now) {
    (void)copy;
    CMenuHdrDB headers;
    int st = headers.OpenIn(CDbContext(m_strDirectory));
    if (st != 0) return st;
    CMenuItemDB lines;
    st = lines.OpenIn(CDbContext(m_strDirectory));
    if (st != 0) return st;

    Transaction tran(headers);
    if (tran.Status() != 0) return tran.Status();

    const std::string given = TrimRight(key);
    std::string target; // the key written
    std::string oldKey; // records to remove afterwards, when the key changes
    if (given.empty()) {
        st = FreeRecipeKey(headers, now, &target);
    } else if (StartsWithAA(given)) {
        target = given;
    } else {
        oldKey = given;
        target = SavedRecipeKey(given);
        CMenuHdr probe;
        st = headers.FindRecipe(probe, target);
        if (st == 0) {
            // Another recipe has the "AA" form already: move on from the key's own time.
            std::time_t t = TimeOfKey(given);
            st = FreeRecipeKey(headers, t == -1 ? now : t, &target);
        } else if (st == kNotFound) {
            st = 0;
        }
    }
    if (st != 0) return st;

    CMenuHdr hdr = m_hdr;
    hdr.m_cRecordType = 'C';
    hdr.m_strCustomer = customer;
    hdr.m_strRecipeKey = target;
    hdr.m_dAmount3 = 0;
    hdr.m_dAmount4 = 0;
    st = headers.UpdateRecipe(hdr);
    if (st == kNotFound) st = headers.InsertRecipe(hdr);
    if (st != 0) return st;

    // The lines already under the target key are the old ones: new lines go in after them.
    int oldCount = CountLines(lines, target, &st);
    if (oldCount < 0) return st;
    for (const CMenuItem& stored : m_arrLines) {
        CMenuItem rec = stored;
        rec.m_strRecipeKey = target;
        st = lines.InsertRecord(rec);
        if (st != 0) return st;
    }
    if (oldCount > 0) {
        st = DeleteFirstLines(lines, target, oldCount);
        if (st != 0) return st;
    }
    if (!oldKey.empty()) {
        st = headers.DeleteRecord(oldKey);
        if (st != 0) return st;
        st = lines.DeleteLines(oldKey);
        if (st != 0 && st != kNotFound && st != kEndOfFile) return st;
    }
    st = tran.Commit();
    if (st != 0) return st;
    m_hdr = hdr;
    if (savedKey) *savedKey = target;
    return 0;
}

int DeleteRecipe(const std::string& customer, const std::string& recipeKey, const std::string& directory) {
    CMenuHdrDB headers;
    int st = headers.OpenIn(CDbContext(directory));
    if (st != 0) return st;
    CMenuItemDB lines;
    st = lines.OpenIn(CDbContext(directory));
    if (st != 0) return st;

    CMenuHdr hdr;
    st = headers.FindRecipe(hdr, recipeKey);
    if (st != 0 && st != kNotFound) return st;
    if (st == 0 && TrimRight(hdr.m_strCustomer) != TrimRight(customer)) return kNotFound;
    const std::string key = st == 0 ? hdr.m_strRecipeKey : recipeKey;

    Transaction tran(headers);
    if (tran.Status() != 0) return tran.Status();
    st = headers.DeleteRecord(key);
    if (st != 0) return st;
    st = lines.DeleteLines(key);
    if (st != 0 && st != kNotFound && st != kEndOfFile) return st;
    return tran.Commit();
}

std::string FreeCategoryKey(std::time_t now, const std::string& directory, int* status) {
    CMenuCategoryDB categories;
    int st = categories.OpenIn(CDbContext(directory));
    if (st == 0) {
        for (int i = 0; i < kMaxKeyTries; ++i, ++now) {
            std::string candidate = MakeTimeKey(now);
            CMenuCategory used;
            st = categories.GetRecord(used, candidate, 1);
            if (st == kNotFound) {
                if (status) *status = 0;
                return candidate;
            }
            if (st != 0) break;
        }
        if (st == 0) st = 5;
    }
    if (status) *status = st;
    return {};
}
