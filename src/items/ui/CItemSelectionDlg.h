// Lets the user pick one of several items an item search found, with the unit it is used in.
// Closing without a pick tells the caller to keep the typed text as a custom ingredient.
#pragma once

#include "CMyListCtrl.h"

#include <QDialog>
#include <QStringList>

#include <string>

class QLineEdit;
class QPushButton;

class CItemSelectionDlg : public QDialog {
    Q_OBJECT
public:
    explicit CItemSelectionDlg(QWidget* parent = nullptr);
    ~CItemSelectionDlg() override;

    // One item offered: its number, its units joined by blanks (first unit first), its description.
    void AddItem(const QString& item, const QString& validUnits, const QString& description);
    // The same from record-file text (Windows-1252).
    void AddItem(const std::string& item, const std::string& validUnits, const std::string& description);

    // Shown in the read-only box under the list; set before the dialog runs.
    QString m_strMessage;
    // Set on OK: the picked row's item number and the first 3 characters of its units.
    QString m_strSelectedItem;
    QString m_strSelectedUnit;

    CMyListCtrl* GetList() const { return m_pList; }
    QPushButton* GetSelectButton() const { return m_pSelect; }
    QLineEdit* GetMessageEdit() const { return m_pMessage; }

public slots:
    void accept() override; // OK: takes the selected row; without one the dialog stays open

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void OnInitDialog();

    QStringList m_arrItems;
    QStringList m_arrValidUnits;
    QStringList m_arrDescriptions;

    CMyListCtrl* m_pList = nullptr;
    QLineEdit* m_pMessage = nullptr;
    QPushButton* m_pSelect = nullptr;
    bool m_bInitDone = false;
};
