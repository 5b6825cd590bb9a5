// Lists a customer's saved recipes: pick one to edit, delete one, or start a new recipe.
// Type-ahead on the keyboard searches descriptions and recipe identifiers; F3 searches again.
#pragma once

#include "CMyListCtrl.h"
#include "RecipeTypeAhead.h"

#include <QDialog>

#include <string>
#include <vector>

class QLabel;
class QLayout;
class QPushButton;

class CRecipeSelect : public QDialog {
    Q_OBJECT
public:
    enum Column { ColRecipeID = 0, ColDescription = 1, ColLastDT = 2, ColRecipeNumber = 3 };

    // customer: the customer whose recipes are listed; directory: the database directory
    // (empty: the current directory).
    explicit CRecipeSelect(const std::string& customer, QWidget* parent = nullptr,
                           const std::string& directory = {});
    ~CRecipeSelect() override;

    // After Accepted: the chosen recipe's key. Empty after "Create New Recipe", Escape or close.
    const std::string& GetRecipeKey() const { return m_strRecipeKey; }
    // The type-ahead text, upper case.
    QString GetSearchText() const;
    // Status of the last reading of the recipe list (0 when it was read in full).
    int GetLoadStatus() const { return m_nLoadStatus; }

    CMyListCtrl* GetList() const { return m_pList; }
    QPushButton* GetEditButton() const { return m_pEdit; }
    QPushButton* GetNewButton() const { return m_pNew; }
    QPushButton* GetDeleteButton() const { return m_pDelete; }
    // What went wrong with the recipe files, empty when nothing did.
    QString GetProblemText() const;

    void LoadList();
    void OnDelete();

public slots:
    void accept() override; // "Edit Selected Recipe": without a selection the dialog stays open

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // One key press for the type-ahead, by its virtual-key code; true when the key is used up.
    bool OnKey(int virtualKey);
    void SelectFound(int row);
    const std::vector<CRecipeTypeAhead::Row>& SearchRows();
    void BuildList();
    QLayout* BuildButtons();
    void FollowListChanges();
    void ColourRows();
    void ReportProblem(const QString& text);

    std::string m_strCustomer;
    std::string m_strDirectory;
    std::string m_strRecipeKey;
    CRecipeTypeAhead m_search;
    int m_nLoadStatus = 0;
    std::vector<CRecipeTypeAhead::Row> m_arrSearchRows; // the list's texts, in displayed order
    bool m_bSearchRowsValid = false;

    CMyListCtrl* m_pList = nullptr;
    QPushButton* m_pEdit = nullptr;
    QPushButton* m_pNew = nullptr;
    QPushButton* m_pDelete = nullptr;
    QLabel* m_pProblem = nullptr;
};
