#include "CConvertionInfoDlg.h"

#include "CMyListCtrl.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QColor kListBackground(217, 245, 245);
const QColor kEvenRow(200, 255, 255);
const QColor kOddRow(175, 255, 175);

struct Column {
    const char* title;
    int format;
    int width;
};

const Column kLiquidColumns[] = {{"Source", LVCFMT_LEFT, 150},
                                 {"Converts To", LVCFMT_CENTER, 150},
                                 {"Converts To", LVCFMT_CENTER, 160},
                                 {"Converts To", LVCFMT_CENTER, 150}};
const Column kDryColumns[] = {
    {"Source", LVCFMT_LEFT, 150}, {"Converts To", LVCFMT_CENTER, 150}, {"Converts To", LVCFMT_CENTER, 160}};

const char* const kLiquidRows[][4] = {
    {"1 teaspoon", "", "1/3 tablespoon", "5 ml"},
    {"1 tablespoon", "1/2 fluid ounce", "3 teaspoons", "15 ml, 15cc"},
    {"2 tablespoons", "1 fluid ounce", "1/8 cup, 6 teaspoons", "30 ml, 30cc"},
    {"1/4 Cup", "2 fluid ounce", "4 tablespoons", "59 ml"},
    {"1/3 Cup", "2 2/3 fluid ounce", "5 tablespoons + 1 teaspoon", "79 ml"},
    {"1/2 Cup", "4 fluid ounce", "8 tablespoons", "118 ml"},
    {"2/3 Cup", "5 1/3 fluid ounce", "10 tablespoons + 2 teaspoon", "158 ml"},
    {"3/4 Cup", "6 fluid ounce", "12 tablespoons", "177 ml"},
    {"1 Cup", "8 fluid ounce, 1/2 pint", "16 tablespoons", "237 ml"},
    {"2 Cup", "16 fluid ounce, 1 pint", "32 tablespoons", "473 ml"},
    {"4 Cup", "32 fluid ounce", "1 quart", "946 ml"},
    {"1 pint", "16 fluid ounce", "32 tablespoon", "473 ml"},
    {"2 pints", "32 fluid ounce", "1 quart", "946 ml, 0.946 liters"},
    {"8 pints", "1 gallon, 128 fluid ounce", "", "3785 ml, 3.785 liters"},
    {"4 quarts", "1 gallon, 128 fluid ounce", "", "3785 ml, 3.785 liters"},
    {"1 liter", "1.057 quarts", "", "1000 ml"},
    {"1 gallon", "128 fluid ounce", "", "3785 ml, 3.785 liters"},
};

const char* const kDryRows[][3] = {
    {"1 ounce", "", "30 grams (28.35) g"},
    {"2 ounces", "", "55 grams"},
    {"3 ounces", "", "85 grams"},
    {"4 ounces", "1/4 pound", "125 grams"},
    {"8 ounces", "1/2 pound", "240 grams"},
    {"12 ounces", "3/4 pound", "375 grams"},
    {"16 ounces", "1 pound", "454 grams"},
    {"32 ounces", "2 pounds", "907 grams"},
    {"1 kilogram", "2.2 pound, 35.2 ounces", "1000 grams"},
};

CMyListCtrl* MakeList(QWidget* parent, const QString& name) {
    auto* list = new CMyListCtrl(parent);
    list->SetSingleSelection(true);
    list->setAccessibleName(name);
    list->m_bSortOnHeaderClick = false; // a chart keeps its order
    return list;
}

template <size_t N> void AddColumns(CMyListCtrl* list, const Column (&cols)[N]) {
    for (size_t i = 0; i < N; ++i)
        list->AddColumn(static_cast<int>(i), QString::fromLatin1(cols[i].title), cols[i].format,
                        cols[i].width);
    list->SetTextBkColor(kListBackground);
}

template <size_t R, size_t C> void AddRows(CMyListCtrl* list, const char* const (&rows)[R][C]) {
    for (size_t r = 0; r < R; ++r) {
        QStringList texts;
        for (size_t c = 0; c < C; ++c)
            texts << QString::fromLatin1(rows[r][c]);
        list->AddRow(texts);
    }
}

void ColourRows(CMyListCtrl* list) {
    for (int i = 0; i < list->GetItemCount(); ++i) {
        list->SetRowBkColor(i, i % 2 == 0 ? kEvenRow : kOddRow, true);
        list->SetRowStyle(i, kStyleBkColor, true);
    }
}

// The widths are fixed; where this machine's list font is wider than the one the chart was laid out
// for, a slightly smaller size keeps every text whole instead of cut short.
void FitFont(CMyListCtrl* list) {
    QFont font = list->font();
    const int padding = 12;
    for (int attempt = 0; attempt < 4; ++attempt) {
        const QFontMetrics fm(font);
        bool fits = true;
        for (int r = 0; r < list->GetItemCount() && fits; ++r)
            for (int c = 0; c < list->GetColumnCount() && fits; ++c)
                fits = fm.horizontalAdvance(list->GetItemText(r, c)) + padding <= list->GetColumnWidth(c);
        if (fits) break;
        if (font.pointSizeF() <= 7) break;
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    list->setFont(font);
    list->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 6);
}

// Tall enough for every row, so the chart reads without scrolling.
void FitHeight(CMyListCtrl* list) {
    const int rows = list->GetItemCount();
    const int height = list->horizontalHeader()->sizeHint().height() +
                       rows * list->verticalHeader()->defaultSectionSize() + 2 * list->frameWidth() + 2;
    list->setMinimumHeight(height);
}
} // namespace

CConvertionInfoDlg::CConvertionInfoDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Conversion Tables"));
    auto* liquidLabel =
        new QLabel(QStringLiteral("Liquid (Fluid or Volume) Measurements (approximate)"), this);
    m_pLiquid = MakeList(this, liquidLabel->text());
    liquidLabel->setBuddy(m_pLiquid);
    auto* dryLabel = new QLabel(QStringLiteral("Dry (weight) Measurements (approximate)"), this);
    m_pDry = MakeList(this, dryLabel->text());
    dryLabel->setBuddy(m_pDry);
    m_pOK = new QPushButton(QStringLiteral("OK"), this);
    m_pOK->setAccessibleName(QStringLiteral("OK"));
    m_pOK->setDefault(true);
    connect(m_pOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(liquidLabel);
    layout->addWidget(m_pLiquid, 17);
    layout->addSpacing(6);
    layout->addWidget(dryLabel);
    layout->addWidget(m_pDry, 9);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_pOK);
    layout->addLayout(buttons);

    OnInitDialog();
}

void CConvertionInfoDlg::OnInitDialog() {
    AddColumns(m_pLiquid, kLiquidColumns);
    AddColumns(m_pDry, kDryColumns);
    AddRows(m_pLiquid, kLiquidRows);
    AddRows(m_pDry, kDryRows);
    ColourRows(m_pLiquid);
    ColourRows(m_pDry);
    // The liquid table has the longest texts; both tables share its size.
    FitFont(m_pLiquid);
    m_pDry->setFont(m_pLiquid->font());
    m_pDry->verticalHeader()->setDefaultSectionSize(m_pLiquid->verticalHeader()->defaultSectionSize());
    FitHeight(m_pLiquid);
    FitHeight(m_pDry);
    int width = 0;
    for (const Column& c : kLiquidColumns)
        width += c.width;
    m_pLiquid->setMinimumWidth(width + 2 * m_pLiquid->frameWidth() + 4);
    m_pOK->setFocus();
}
