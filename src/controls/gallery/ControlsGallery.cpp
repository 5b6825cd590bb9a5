#include "ControlsGallery.h"

#include "CComboBoxAuto.h"
#include "CFloatEdit.h"
#include "CFontCombo.h"
#include "CMyListCtrl.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

// The sortable list: coloured rows, styled cells, and an editor of each kind.
void ControlsGallery::BuildRecipeList() {
    m_pRecipes = new CMyListCtrl(this);
    m_pRecipes->AddColumn(0, QStringLiteral("Item"), LVCFMT_LEFT, 100);
    m_pRecipes->AddColumn(1, QStringLiteral("Unit"), LVCFMT_LEFT, 50, 1);
    m_pRecipes->AddColumn(2, QStringLiteral("Description"), LVCFMT_LEFT, 190, 2);
    m_pRecipes->AddColumn(3, QStringLiteral("Item Cost"), LVCFMT_RIGHT, 75, 3);
    m_pRecipes->AddColumn(4, QStringLiteral("Ptns"), LVCFMT_RIGHT, 50, 4);
    m_pRecipes->AddColumn(5, QStringLiteral("Ptn Type"), LVCFMT_LEFT, 80, 5);
    m_pRecipes->AddColumn(6, QStringLiteral("Date"), LVCFMT_CENTER, 85, 6);
    const QStringList rows[] = {
        {"100234", "CS", "Beef chuck, ground", "42.10", "40", "OZ", "12/05/2008"},
        {"9", "LB", "Onions, yellow", "0.89", "4", "EACH", "11/06/2008"},
        {"10", "EA", "Buns, sesame", "3.25", "12", "EACH", "01/01/2009"},
        {"7720", "GAL", "Ketchup", "11.75", "128", "FL OZ", "03/02/2008"},
        {"555", "CS", "Cheddar slices", "27.40", "160", "SLICE", "28/02/2008"},
    };
    for (const QStringList& r : rows)
        m_pRecipes->AddRow(r);
    for (int i = 0; i < m_pRecipes->GetItemCount(); ++i) {
        m_pRecipes->SetRowBkColor(i, i % 2 ? QColor(175, 255, 175) : QColor(200, 255, 255), false);
        m_pRecipes->SetRowStyle(i, kStyleBkColor, false);
    }
    m_pRecipes->SetCellTextColor(1, 3, QColor(240, 100, 100));
    m_pRecipes->SetCellStyle(1, 3, kStyleTextColor | kStyleBold);
    m_pRecipes->SetCellStyle(2, 0, kStyleTextColor | kStyleBold | kStyleItalic);
    m_pRecipes->SetColumnEditKind(2, CColumnStatus::FreeText);
    m_pRecipes->SetColumnEditKind(3, CColumnStatus::RealText);
    m_pRecipes->SetColumnEditKind(4, CColumnStatus::IntegerText);
    m_pRecipes->SetColumnChoices(5, {"EACH", "OZ", "FL OZ", "SLICE", "CUP", "TBSP", "TSP"});
    m_pRecipes->SetEditLabels(true);
    m_pRecipes->m_bSortOnHeaderClick = true;
    m_pRecipes->SetGridLines(true);
    m_pRecipes->SetSingleSelection(true);
    m_pRecipes->SelectRow(3);
}

// The styled list: one row per style, cell and row styles side by side.
void ControlsGallery::BuildStyleList() {
    m_pStyles = new CListCtrlStyled(this);
    m_pStyles->InsertColumn(0, QStringLiteral("Style"), LVCFMT_LEFT, 150);
    m_pStyles->InsertColumn(1, QStringLiteral("Sample"), LVCFMT_LEFT, 150);
    m_pStyles->InsertColumn(2, QStringLiteral("Row colour"), LVCFMT_LEFT, 140);
    const struct {
        const char* name;
        quint32 cell;
        quint32 row;
    } styles[] = {
        {"bold", kStyleBold, 0},
        {"italic row, bold cell", kStyleBold, kStyleItalic},
        {"underline", kStyleUnderline, 0},
        {"strike-out", kStyleStrikeOut, 0},
        {"own text colour", kStyleTextColor, 0},
        {"row colour", 0, kStyleBkColor},
        {"cell takes no row style", kStyleNoRow, kStyleBkColor | kStyleItalic},
    };
    for (const auto& s : styles) {
        const int row = m_pStyles->InsertItem(m_pStyles->GetItemCount(), QString::fromLatin1(s.name));
        m_pStyles->SetItemText(row, 1, QStringLiteral("Sample text"));
        m_pStyles->SetItemText(row, 2, QStringLiteral("row"));
        m_pStyles->SetCellTextColor(row, 1, QColor(0, 0, 200));
        m_pStyles->SetCellStyle(row, 1, s.cell);
        m_pStyles->SetRowBkColor(row, QColor(200, 255, 255));
        m_pStyles->SetRowStyle(row, s.row);
    }
    m_pStyles->SelectRow(0);
}

QFormLayout* ControlsGallery::BuildFields() {
    m_pSellPrice = new CFloatEdit(this);
    m_pSellPrice->SetDecimals(2);
    m_pSellPrice->SetValue(1234.5);

    m_pCategory = new CComboBoxAuto(this);
    m_pCategory->addItems({"Appetizers", "Beef", "Beverages", "Breakfast", "Desserts", "Poultry", "Seafood"});
    m_pCategory->setEditText(QStringLiteral("Beef"));

    m_pFont = new CFontCombo(this);
    m_pFont->Fill();
    if (m_pFont->count() > 0) m_pFont->setCurrentIndex(0);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Sell Price"), m_pSellPrice);
    fields->addRow(QStringLiteral("Category"), m_pCategory);
    fields->addRow(QStringLiteral("Font"), m_pFont);
    return fields;
}

ControlsGallery::ControlsGallery(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Kestrel Recipe controls"));
    BuildRecipeList();
    BuildStyleList();
    QFormLayout* fields = BuildFields();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Sortable list (click a header to sort, a cell to edit)")));
    layout->addWidget(m_pRecipes, 3);
    layout->addWidget(new QLabel(QStringLiteral("Styled list")));
    layout->addWidget(m_pStyles, 3);
    layout->addLayout(fields);
    resize(720, 560);
}
