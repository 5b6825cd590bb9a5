#pragma once

#include <QWidget>

class CMyListCtrl;
class CListCtrlStyled;
class CFloatEdit;
class CComboBoxAuto;
class CFontCombo;
class QFormLayout;

// One window showing each control with sample data.
class ControlsGallery : public QWidget {
    Q_OBJECT
public:
    explicit ControlsGallery(QWidget* parent = nullptr);

    CMyListCtrl* m_pRecipes;
    CListCtrlStyled* m_pStyles;
    CFloatEdit* m_pSellPrice;
    CComboBoxAuto* m_pCategory;
    CFontCombo* m_pFont;

private:
    void BuildRecipeList();
    void BuildStyleList();
    QFormLayout* BuildFields();
};
