// The ingredient lines of the recipe being edited, with the recipe cost total kept as lines change.
// The ingredient grid owns one and shows it; everything here works without a window.
#pragma once

#include "CMenuItemDetail.h"
#include "CPortionInfo.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Characters of a line's description that its record holds.
constexpr size_t kLineDescriptionWidth = 30;

// Completes a line built from typed or stored values: rounds the item cost, looks up the item's
// defaults for the customer with the line's item number and unit as given, fills empty or
// non-positive values from them, pads item number (12) and unit (3) with blanks.
// status (when given) receives the lookup's status: 0 or 4 (item or unit not on file), or that of
// a file that could not be read.
void CompleteLine(CMenuItemDetail& line, const std::string& customer, const std::string& directory = {},
                  int* status = nullptr);

// The portion type change of a line whose portion type was oldName and now is the line's own:
// converts the portions per item between the two types. Returns false when the two types have the
// same kind and factor (nothing changes).
bool ConvertPortionType(CMenuItemDetail& line, const std::string& oldName,
                        const std::vector<CPortionInfo>& types, double gramsPerWeightUnit);

class CRecipeLines {
public:
    // directory: the database directory; empty opens the record files in the current directory.
    explicit CRecipeLines(std::string directory = {});

    void SetCustomer(const std::string& customer) { m_strCustomer = customer; }
    const std::string& GetCustomer() const { return m_strCustomer; }

    // Re-reads the company weight unit; creates the portion type table the first time.
    void InitPortionTypes();
    const std::vector<CPortionInfo>& GetPortionTypes() const { return m_arrPtnTypes; }
    double GetWeightUnit() const { return m_dWeightUnit; }

    // Completes and appends a line; returns its index. Adds its cost to the total; no notification.
    int AddLine(const std::string& item, const std::string& unit, const std::string& description,
                double itemCost, double ptnPerItem, const std::string& ptnType, double ptns);

    // Indexes stay valid when other lines are removed; a removed line leaves an empty slot.
    int GetSlotCount() const { return static_cast<int>(m_arrLines.size()); }
    const CMenuItemDetail* Line(int index) const;
    bool GetLine(int index, CMenuItemDetail& line) const;
    bool RemoveLine(int index);
    void ClearLines();

    double GetTotal() const { return m_dTotal; }
    double GetSellPrice() const { return m_dSellPrice; }
    // Returns false (and redisplays nothing) when the price is the same.
    bool SetSellPrice(double sellPrice);

    // Re-prices a line for a new item number or unit; only when the item master has the item.
    // Notifies with 0 (not a user change). Returns the found flag.
    bool LoadItemDefaults(int index, const std::string& item, const std::string& unit);

    // Cell edits by the user. Each subtracts the line's old cost, changes the line, redisplays it,
    // adds the new cost, and notifies with 1 when the line differs from before. Returns that.
    bool EditDescription(int index, const std::string& text);
    bool EditItemCost(int index, double cost);
    bool EditPtnPerItem(int index, double ptnPerItem);
    bool EditPtns(int index, double ptns);
    // The unit column: a non-blank text becomes the unit (the grid shows the typed text itself);
    // then the line is re-priced.
    bool EditUnit(int index, const std::string& text);
    // The portion type column: a non-blank text becomes the portion type (shown by the grid itself),
    // then the portions per item are converted; only a conversion redisplays the line.
    // *converted tells whether the conversion changed anything.
    bool EditPortionType(int index, const std::string& text, bool* converted = nullptr);

    // The line becomes a custom ingredient under the typed number: the item master's units,
    // brand and defaults leave it, so it is never priced or stored as that item's line; what the
    // user typed (cost, portions, description, portion type) stays. No notification.
    bool MakeCustom(int index, const std::string& item);

    // The status of a file that could not be read during an item lookup since the last reset (0
    // when every lookup could read its files): the defaults of some line are then incomplete.
    int GetLookupStatus() const { return m_nLookupStatus; }
    void ResetLookupStatus() { m_nLookupStatus = 0; }

    // Called with 1 after a user edit that changed a line, 0 after re-pricing.
    void SetRecalcHandler(std::function<void(int userChange)> handler) { m_onRecalc = std::move(handler); }
    // Called whenever a line's cells are to be shown again.
    void SetDisplayHandler(std::function<void(int index)> handler) { m_onDisplay = std::move(handler); }

private:
    CMenuItemDetail* Slot(int index);
    void Subtract(const CMenuItemDetail& line);
    void Add(const CMenuItemDetail& line);
    void Display(int index);
    bool FinishEdit(int index, const CMenuItemDetail& before);

    std::string m_strDirectory;
    std::vector<std::unique_ptr<CMenuItemDetail>> m_arrLines;
    double m_dWeightUnit = 1.0;
    double m_dTotal = 0;
    double m_dSellPrice = 0;
    std::string m_strCustomer;
    std::vector<CPortionInfo> m_arrPtnTypes;
    std::function<void(int)> m_onRecalc;
    std::function<void(int)> m_onDisplay;
    int m_nLookupStatus = 0;
    void NoteLookup(int status) {
        if (status != 0 && status != 4 && m_nLookupStatus == 0) m_nLookupStatus = status;
    }
};
