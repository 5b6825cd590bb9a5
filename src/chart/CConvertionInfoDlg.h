#pragma once

#include <QDialog>

class CMyListCtrl;
class QPushButton;

// The chart of kitchen measure equivalents: liquid and dry tables, read only.
class CConvertionInfoDlg : public QDialog {
    Q_OBJECT
public:
    explicit CConvertionInfoDlg(QWidget* parent = nullptr);

    CMyListCtrl* m_pLiquid;
    CMyListCtrl* m_pDry;
    QPushButton* m_pOK;

private:
    void OnInitDialog();
};
