// A recipe as it is stored: its header and its ingredient lines. Loads them together and saves
// them together, all or nothing, inside one record-manager transaction.
#pragma once

#include "CMenuItemDetail.h"
#include "MenuHdrDB.h"
#include "MenuItemDB.h"

#include <ctime>
#include <string>
#include <vector>

// The key of a recipe or category made at time t: local time as "%Y%j%H%M%S" (13 characters).
std::string MakeTimeKey(std::time_t t);
// The saved form of a recipe key: its first two characters replaced by "AA" (the length stays).
std::string SavedRecipeKey(const std::string& key);
// The time a key was made at (a 13-digit "%Y%j%H%M%S" key); -1 when the key is not of that form.
std::time_t TimeOfKey(const std::string& key);

// The stored item cost of a line: 0 for an item-master line whose cost is its default price, so
// that it is priced anew when loaded; otherwise the cost as it is.
double StoredItemCost(const CMenuItemDetail& line);
// The stored line record of a recipe line.
CMenuItem StoredLine(const CMenuItemDetail& line, const std::string& recipeKey);

// Largest amount the editor accepts: one whose cents fit a 32-bit whole number, so rounding to
// cents never clamps it.
constexpr double kMaxAmount = 21474836.47;
// Largest portion figure (portions, portions per item, desired food cost %) the editor accepts.
constexpr double kMaxPortions = 1.0e9;
// Whether a typed amount or portion figure can be taken: finite and within its limit.
bool IsValidAmount(double value);
bool IsValidPortions(double value);

class CRecipe {
public:
    // directory: the database directory; empty opens the record files in the current directory.
    explicit CRecipe(std::string directory = {});

    // Reads the header and the lines of the recipe. 0 when found; 4 when there is no such
    // recipe; any other status: a file could not be read (nothing loaded). The item cost of
    // lines of a key not beginning with "AA" is 0, so they are priced anew.
    int Load(const std::string& recipeKey);

    // Writes the header and the lines under the customer and key (an empty key: a new one from
    // the time now). A key not beginning with "AA" is saved under its "AA" form and the records
    // of the old key are removed. A new key that is in use moves on to the next free second.
    // New records are written first and old ones removed last, in one transaction: any failure
    // rolls everything back and the stored recipe is as before. Returns 0 or the failing status;
    // savedKey receives the key written. copy: the save of a copy to another customer (the
    // caller keeps its own key; nothing here differs otherwise).
    int Save(const std::string& customer, const std::string& key, bool copy, std::string* savedKey,
             std::time_t now = std::time(nullptr));

    const std::string& Directory() const { return m_strDirectory; }

    CMenuHdr m_hdr;                    // name, identifier, category, prices, notes
    std::vector<CMenuItem> m_arrLines; // in recipe order

private:
    std::string m_strDirectory;
};

// Removes a recipe of the customer (header and lines) in one transaction. 0 when removed (or not
// there); 4 when the key names another customer's recipe (nothing removed); any other status:
// the failure, nothing removed.
int DeleteRecipe(const std::string& customer, const std::string& recipeKey,
                 const std::string& directory = {});

// A category key for a new category of the time now, moved on to the next free second when one
// is in use. Empty with *status set when the category file cannot be read.
std::string FreeCategoryKey(std::time_t now, const std::string& directory = {}, int* status = nullptr);
