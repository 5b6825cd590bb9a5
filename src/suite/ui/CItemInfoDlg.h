// The item information window: the item master's fields, every unit of sale with its pricing
// figures, the customer's history of the item and today's default price.
#pragma once

#include <QDialog>

#include <string>

class CMyListCtrl;
class QLabel;

class CItemInfoDlg : public QDialog {
    Q_OBJECT
public:
    CItemInfoDlg(const std::string& itemNumber, const std::string& customerNumber, QWidget* parent = nullptr);

    bool IsFound() const { return m_bFound; }
    CMyListCtrl* GetUnits() const { return m_pUnits; }

    enum Column {
        kUnit,
        kUnitDescription,
        kPricing1,
        kPricing2,
        kPricing3,
        kLastBought,
        kHistory1,
        kHistory2,
        kQuoted,
        kPrice,
        kColumns
    };

private:
    void Load(const std::string& itemNumber, const std::string& customerNumber);
    QLabel* AddField(class QFormLayout* form, const QString& caption);

    CMyListCtrl* m_pUnits;
    QLabel* m_pItem;
    QLabel* m_pDescription;
    QLabel* m_pBrand;
    QLabel* m_pPack;
    QLabel* m_pPortion;
    QLabel* m_pNotes;
    QLabel* m_pStatus;
    bool m_bFound = false;
};
