// The recipe editor: one customer's recipes, the ingredient grid, the cost block and the
// commands. The program's only main window, run modally.
#pragma once

#include "RecipePrint.h"

#include "CMenuListCtrl.h"

#include <QDialog>
#include <QStringList>

#include <string>
#include <vector>

class CComboBoxAuto;
class CFloatEdit;
class QGroupBox;
class QLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class CRecipeDlg : public QDialog {
    Q_OBJECT
public:
    // customerNumber: the command line; an unknown or empty number asks for a customer.
    explicit CRecipeDlg(const QString& customerNumber, QWidget* parent = nullptr);
    ~CRecipeDlg() override;

    // Shows the customer and fills the category combo; false when there is no valid customer
    // (the dialog then ends).
    bool LoadCustomer();
    // Lets the user pick one of the customer's recipes and loads it, or starts a new one.
    void LoadRecipe(const std::string& customer);
    // Writes the dialog's recipe under customer and key (empty: a new key); a copy leaves the
    // dialog's own key alone. True when everything was written.
    bool SaveRecipe(const std::string& customer, const std::string& key, bool copy);
    // The writing of SaveRecipe without its messages: 0, or the status of the failure (nothing
    // then changed in the files); savedKey receives the key written.
    int WriteRecipe(const std::string& customer, const std::string& key, bool copy, std::string* savedKey);
    // Offers to save unsaved changes, then clears the recipe; false when the user cancels.
    bool CloseRecipe();
    void RecalcTotals();
    // The recalculation from the grid: 1 when the user changed a line.
    int OnRecalc(int userChange);

    // Controls to fields (save) or fields to controls.
    void UpdateData(bool save);

    // State, for the operations built on the editor (copy, export, print) and for tests.
    const std::string& Customer() const { return m_strCustomer; }
    const std::string& RecipeKey() const { return m_strRecipeKey; }
    const std::string& Category() const { return m_strCategory; }
    bool IsModified() const { return m_bModified; }
    CMenuListCtrl* Grid() const { return m_listMenu; }
    QString CostText() const;
    QString ProfitText() const;
    QString TotalFCText() const;
    QString SuggestedPriceText() const;
    // What the printout shows around the grid.
    CRecipePrintTexts PrintTexts() const;

    // The buttons that the copy, export, print and chart operations take over.
    QPushButton* Button(const QString& caption) const;

signals:
    // "About Recipe...": the application shows its About box.
    void aboutRequested();

public slots:
    void reject() override; // "Quit", Escape, closing the window
    void accept() override; // Enter: does nothing

protected:
    virtual void OnCopyTo();
    virtual void OnExportTo();
    virtual void OnPrint();
    virtual void OnConversionChart();
    virtual void OnAbout();
    // The recipe selection for the customer: true with the key of the recipe to edit; false
    // starts a new recipe.
    virtual bool SelectRecipe(const std::string& customer, std::string* key);

    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Fields of the dialog.
    std::string m_strCustomer;
    std::string m_strCategory;
    std::string m_strRecipeKey;
    bool m_bModified = false;
    std::vector<std::string> m_arrCategoryIds;
    QString m_strCustomerInfo;
    CMenuListCtrl* m_listMenu = nullptr;
    double m_dSellPrice = 0;
    QString m_strCost, m_strProfit, m_strTotalFC;
    double m_dDesiredFC = 0;
    QString m_strSuggestedPrice;
    CFloatEdit* m_editSellPrice = nullptr;
    CComboBoxAuto* m_comboCategory = nullptr;
    QString m_strRecipeName, m_strRecipeID, m_strNotes;
    int m_nServings = 0;

private:
    void BuildControls();
    QPushButton* MakeButton(const QString& caption);
    QLayout* BuildCustomerBlock();
    QLayout* BuildHeaderFields();
    QWidget* BuildCostBlock();
    void BuildOrderGroup();
    QLayout* BuildCommands();
    void SetKeyboardOrder();
    void ConnectCommands();
    void SetupGrid();
    bool OnInitDialog();
    void EnableButtons();
    void OnAddIngredient();
    void OnDeleteIngredient();
    void OnItemInfo();
    void OnSaveRecipe();
    // Before a copy or an export: an unsaved recipe is saved first when the user agrees to the
    // question. False when the operation does not go on (declined, or the save failed).
    bool SaveBeforeUse(const QString& question);
    void OnNewRecipe();
    void OnNewCustomer();
    void OnSellPriceKillFocus();
    void OnDesiredFCKillFocus();
    void OnCategoryKillFocus();
    void OnNotesChanged();
    bool CustomerExists(const std::string& number, int* status = nullptr) const;
    void ReportUnreadable(const char* file, int status);
    void SelectCategory(const std::string& id);

    bool m_bInitDone = false;
    bool m_bRestoringNotes = false;
    QString m_strLastGoodNotes;
    QPlainTextEdit* m_editCustomerInfo = nullptr;
    QLineEdit* m_editRecipeName = nullptr;
    QLineEdit* m_editRecipeID = nullptr;
    QLineEdit* m_editCost = nullptr;
    QLineEdit* m_editProfit = nullptr;
    QLineEdit* m_editTotalFC = nullptr;
    QLineEdit* m_editDesiredFC = nullptr;
    QLineEdit* m_editSuggested = nullptr;
    QPlainTextEdit* m_editNotes = nullptr;
    QGroupBox* m_groupOrder = nullptr;
    QLineEdit* m_editServings = nullptr;
    std::vector<QPushButton*> m_arrButtons;
};
