#include "CItemInfoDlg.h"

#include "CMyListCtrl.h"
#include "ItemDB.h"
#include "ItemUnitDB.h"
#include "Pricing.h"
#include "Text1252.h"
#include "VelocityDB.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString Money(double value) {
    return QString::number(value, 'f', 2);
}

QString Trimmed(const std::string& text) {
    return FromCp1252(text).trimmed();
}

// Keys hold item numbers and units blank-padded to their width.
std::string Padded(const std::string& text, size_t width) {
    std::string padded = text.substr(0, width);
    padded.resize(width, ' ');
    return padded;
}

} // namespace

CItemInfoDlg::CItemInfoDlg(const std::string& itemNumber, const std::string& customerNumber, QWidget* parent)
    : QDialog(parent) {
    QString customer = Trimmed(customerNumber);
    setWindowTitle(customer.isEmpty() ? QString("Item Information")
                                      : QString("Item Information - Customer %1").arg(customer));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_pItem = AddField(form, "Item number:");
    m_pDescription = AddField(form, "Description:");
    m_pBrand = AddField(form, "Brand:");
    m_pPack = AddField(form, "Pack quantity:");
    m_pPortion = AddField(form, "Portion type:");
    m_pNotes = AddField(form, "Notes:");
    m_pNotes->setWordWrap(true);
    layout->addLayout(form);

    auto* unitsLabel = new QLabel("&Units of sale:", this);
    layout->addWidget(unitsLabel);
    m_pUnits = new CMyListCtrl(this);
    m_pUnits->SetSingleSelection(true);
    m_pUnits->m_bSortOnHeaderClick = true;
    const struct {
        const char* title;
        int format;
        int width;
    } columns[kColumns] = {
        {"Unit", LVCFMT_LEFT, 45},       {"Unit description", LVCFMT_LEFT, 150},
        {"Pricing 1", LVCFMT_RIGHT, 70}, {"Pricing 2", LVCFMT_RIGHT, 70},
        {"Pricing 3", LVCFMT_RIGHT, 70}, {"Last bought", LVCFMT_LEFT, 85},
        {"History 1", LVCFMT_RIGHT, 70}, {"History 2", LVCFMT_RIGHT, 70},
        {"Quoted", LVCFMT_RIGHT, 65},    {"Today's price", LVCFMT_RIGHT, 90},
    };
    for (int c = 0; c < kColumns; ++c)
        m_pUnits->AddColumn(c, columns[c].title, columns[c].format, columns[c].width, c);
    m_pUnits->setAccessibleName("Units of sale");
    unitsLabel->setBuddy(m_pUnits);
    layout->addWidget(m_pUnits, 1);

    m_pStatus = new QLabel(this);
    m_pStatus->setAccessibleName("Status");
    layout->addWidget(m_pStatus);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setAccessibleName("Close");
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &CItemInfoDlg::reject);

    Load(itemNumber, customerNumber);
    resize(860, 420);
    m_pUnits->setFocus();
}

QLabel* CItemInfoDlg::AddField(QFormLayout* form, const QString& caption) {
    auto* value = new QLabel(this);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    value->setAccessibleName(QString(caption).remove(':'));
    auto* label = new QLabel(caption, this);
    label->setBuddy(value);
    form->addRow(label, value);
    return value;
}

void CItemInfoDlg::Load(const std::string& givenItem, const std::string& customerNumber) {
    m_pItem->setText(Trimmed(givenItem));
    std::string itemNumber = Padded(ToCp1252Lossy(Trimmed(givenItem).toUpper()), 12);
    CItem item;
    {
        CItemDB items;
        if (items.OpenFile() == 0) {
            m_bFound = items.GetRecord(item, itemNumber) == 0;
            items.Close();
        }
    }
    if (!m_bFound) {
        m_pStatus->setText(QString("Item %1 is not in the item master.").arg(Trimmed(itemNumber)));
        return;
    }
    m_pItem->setText(Trimmed(item.m_strItemNumber));
    m_pDescription->setText(Trimmed(item.m_strDescription));
    m_pBrand->setText(Trimmed(item.m_strBrand));
    m_pPack->setText(QString::number(item.m_nPackQuantity));
    m_pPortion->setText(Trimmed(item.m_strPortionType));
    m_pNotes->setText(Trimmed(item.m_strNotes));

    CItemUnitDB units;
    CVelocityDB history;
    bool unitsOpen = units.OpenFile() == 0;
    bool historyOpen = history.OpenFile() == 0;
    for (const std::string& code : item.m_arrUnits) {
        QString unitCode = Trimmed(code);
        if (unitCode.isEmpty()) continue;
        std::string unitKey = Padded(ToCp1252Lossy(unitCode), 3);

        CPriceRequest request;
        request.SetItem(item.m_strItemNumber);
        request.SetUnit(unitKey);
        request.SetCustomer(customerNumber);
        request.SetItemFlags(item.m_bFlag7, item.m_bFlag8);

        QStringList texts(kColumns);
        texts[kUnit] = unitCode;
        CItemUnit unit;
        if (unitsOpen && units.FindUnit(unit, itemNumber, unitKey) == 0) {
            texts[kUnitDescription] = Trimmed(unit.m_strText68);
            texts[kPricing1] = Money(unit.m_fPricing116);
            texts[kPricing2] = Money(unit.m_fPricing272);
            texts[kPricing3] = Money(unit.m_fPricing60);
            request.SetPricingFigures(unit.m_fPricing116, unit.m_fPricing272, unit.m_fPricing60);
        }
        CVelocity record;
        if (historyOpen && !customerNumber.empty() &&
            history.GetHistory(record, customerNumber, itemNumber, unitKey) == 0 &&
            record.m_tLastDate != -1) {
            texts[kLastBought] =
                QDateTime::fromSecsSinceEpoch(record.m_tLastDate).date().toString("MM/dd/yyyy");
            texts[kHistory1] = Money(record.m_fAmount1);
            texts[kHistory2] = Money(record.m_fAmount2);
            if (record.m_fQuotedPrice != 0) texts[kQuoted] = Money(record.m_fQuotedPrice);
            request.SetHistory(true, record.m_fAmount1, record.m_fAmount2);
        }
        texts[kPrice] = DefaultPrice(request.Data()) != -1 ? Money(request.GetPrice()) : QString("none");
        m_pUnits->AddRow(texts);
    }
    if (unitsOpen) units.Close();
    if (historyOpen) history.Close();
    if (m_pUnits->GetItemCount() > 0) {
        m_pUnits->SelectRow(0);
        m_pUnits->SetFocusedRow(0);
    }
    m_pStatus->setText(customerNumber.empty() ? QString("No customer: today's price without history.")
                                              : QString());
}
