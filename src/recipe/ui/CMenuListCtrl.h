// The ingredient grid of the recipe editor: one row per line of the recipe, cells edited in
// place, items looked up when a number is typed, the recipe cost total kept as lines change.
#pragma once

#include "CMyListCtrl.h"
#include "CRecipeLines.h"

#include <optional>
#include <string>

class CItemSearch;

class CMenuListCtrl : public CMyListCtrl {
    Q_OBJECT
public:
    enum EColumn {
        kColItem,
        kColUnit,
        kColDescription,
        kColBrand,
        kColItemCost,
        kColPtnPerItem,
        kColPtnCost,
        kColPtnType,
        kColPtns,
        kColRecipeCost,
        kColFoodCost,
        kColumns
    };

    // directory: the database directory; empty opens the record files in the current directory.
    explicit CMenuListCtrl(QWidget* parent = nullptr, std::string directory = {});
    ~CMenuListCtrl() override;

    void InitPortionTypes();
    // Completes the line and shows it in a new row; returns the row. No recalculation signal.
    int AddLine(const std::string& item, const std::string& unit, const std::string& description,
                double itemCost, double ptnPerItem, const std::string& ptnType, double ptns);
    void DisplayLine(int row, const CMenuItemDetail& line);
    void SetSellPrice(double sellPrice);
    bool GetLine(int row, CMenuItemDetail& line) const;
    bool GetSelectedLine(CMenuItemDetail& line) const;
    bool DeleteSelectedLine();
    void ClearLines();
    bool LoadItemDefaults(int row, const std::string& item, const std::string& unit);
    void UpdateUnitEditor(const CMenuItemDetail& line);
    double GetTotal() const { return m_lines.GetTotal(); }
    void SetCustomer(const std::string& customer) { m_lines.SetCustomer(customer); }
    const std::string& GetCustomer() const { return m_lines.GetCustomer(); }
    const CRecipeLines& Lines() const { return m_lines; }

    // Even rows RGB(200, 255, 255), odd rows RGB(175, 255, 175).
    void ColourRows();
    static QColor RowColour(int row);

    void OnEndLabelEdit(const CEndLabelEdit& info) override;
    // Tells the user once when an item lookup since the last report could not read its files.
    void ReportLookupFailure();

signals:
    // After a change of a line: 1 when the user changed it, 0 after re-pricing.
    void Recalc(int userChange);

protected:
    // Lets the user choose among several items found for the typed text. True with the chosen
    // item number and unit; false keeps the text as a custom ingredient.
    virtual bool ChooseItem(const CItemSearch& found, const QString& typed, std::string* item,
                            std::string* unit);

    void mousePressEvent(QMouseEvent* e) override;
    // F2, Enter or Space open the editor of the current cell (the arrow keys move between cells).
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int RowOfIndex(int index) const;
    int IndexOfRow(int row) const;
    void RemoveRowAndLine(int row);
    void EndItemEdit(int row, int index, const CEndLabelEdit& info);
    bool AcceptTypedItem(int row, const CMenuItemDetail& line, const CEndLabelEdit& info, std::string* text);
    std::optional<bool> ResolveTypedItem(int row, int index, const std::string& text, std::string& key);
    std::optional<bool> ResolveBySearch(int row, int index, const std::string& text, std::string& key);
    void EndUnitEdit(int row, int index, bool hasLine, const CEndLabelEdit& info, const std::string& text);
    void EndPtnTypeEdit(int row, int index, bool hasLine, const CEndLabelEdit& info, const std::string& text);
    void EndValueEdit(int row, int index, const CEndLabelEdit& info, const std::string& text);
    // Opens the editor of the next editable cell right of column on the row: after a drop-down,
    // which carries no Tab, the grid moves on by itself.
    void ContinueAfter(int row, int column);
    void RestoreRow(int row);
    // Opens the editor of the cell when its column has one; false otherwise.
    bool OpenCell(int row, int column);

    CRecipeLines m_lines;
    std::string m_strDirectory;
};
