// The customer picker: every customer of CUST.DB in the current directory, sortable by number,
// name, city or state, with type-ahead by number or name.
#pragma once

#include <QDialog>

class CMyListCtrl;
class QLabel;
class QLineEdit;
class QPushButton;

class CCustomerPickerDlg : public QDialog {
    Q_OBJECT
public:
    CCustomerPickerDlg(const QString& caller, QWidget* parent = nullptr);

    // The chosen customer's number after OK.
    QString GetCustomerNumber() const { return m_strNumber; }
    CMyListCtrl* GetList() const { return m_pList; }
    QLineEdit* GetFindEdit() const { return m_pFind; }

    // The first row in display order whose number, or else whose name, starts with text
    // (letter case ignored); -1 when none does.
    int FindRow(const QString& text) const;

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Load();
    void OnFindEdited(const QString& text);
    void UpdateButtons();

    QLineEdit* m_pFind;
    CMyListCtrl* m_pList;
    QLabel* m_pStatus;
    QPushButton* m_pOk;
    QString m_strNumber;
};
