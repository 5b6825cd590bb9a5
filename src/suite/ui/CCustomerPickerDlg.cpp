#include "CCustomerPickerDlg.h"

#include "CMyListCtrl.h"
#include "CustomerDB.h"
#include "StatusMessage.h"
#include "Text1252.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

enum Column { kNumber, kName, kCity, kState };

} // namespace

CCustomerPickerDlg::CCustomerPickerDlg(const QString& caller, QWidget* parent) : QDialog(parent) {
    setWindowTitle(caller.isEmpty() ? QString("Select Customer")
                                    : QString("Select Customer - %1").arg(caller));
    auto* layout = new QVBoxLayout(this);
    auto* findRow = new QHBoxLayout;
    auto* findLabel = new QLabel("&Find number or name:", this);
    m_pFind = new QLineEdit(this);
    m_pFind->setAccessibleName("Find number or name");
    findLabel->setBuddy(m_pFind);
    findRow->addWidget(findLabel);
    findRow->addWidget(m_pFind, 1);
    layout->addLayout(findRow);

    m_pList = new CMyListCtrl(this);
    m_pList->SetSingleSelection(true);
    m_pList->m_bSortOnHeaderClick = true;
    m_pList->AddColumn(kNumber, "Number", LVCFMT_LEFT, 80);
    m_pList->AddColumn(kName, "Name", LVCFMT_LEFT, 220, kName);
    m_pList->AddColumn(kCity, "City", LVCFMT_LEFT, 140, kCity);
    m_pList->AddColumn(kState, "State", LVCFMT_LEFT, 50, kState);
    m_pList->horizontalHeader()->setStretchLastSection(true);
    m_pList->setAccessibleName("Customers");
    layout->addWidget(m_pList, 1);

    m_pStatus = new QLabel(this);
    m_pStatus->setAccessibleName("Status");
    layout->addWidget(m_pStatus);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_pOk = buttons->button(QDialogButtonBox::Ok);
    m_pOk->setDefault(true);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CCustomerPickerDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CCustomerPickerDlg::reject);
    connect(m_pFind, &QLineEdit::textEdited, this, &CCustomerPickerDlg::OnFindEdited);
    connect(m_pList, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) accept();
    });
    // Up, Down and the page keys in the find field move through the list.
    m_pFind->installEventFilter(this);

    Load();
    resize(560, 420);
    m_pFind->setFocus();
}

void CCustomerPickerDlg::Load() {
    CCustomerDB customers;
    int status = customers.OpenFile();
    if (status != 0) {
        m_pStatus->setText(WithStatusDetail(
            QString("No customer file in %1.").arg(QDir::toNativeSeparators(QDir::currentPath())), status));
        UpdateButtons();
        return;
    }
    CCustomer customer;
    m_pList->setUpdatesEnabled(false);
    for (status = customers.GetFirstRecord(customer, 0); status == 0;
         status = customers.GetNextRecord(customer, 0)) {
        m_pList->AddRow({FromCp1252(customer.m_strNumber), FromCp1252(customer.m_strName),
                         FromCp1252(customer.m_strCity), FromCp1252(customer.m_strState)});
    }
    m_pList->setUpdatesEnabled(true);
    customers.Close();
    int count = m_pList->GetItemCount();
    m_pStatus->setText(count == 1 ? QString("1 customer") : QString("%1 customers").arg(count));
    if (count > 0) {
        m_pList->SelectRow(0);
        m_pList->SetFocusedRow(0);
    }
    UpdateButtons();
}

void CCustomerPickerDlg::UpdateButtons() {
    m_pOk->setEnabled(m_pList->GetItemCount() > 0);
}

int CCustomerPickerDlg::FindRow(const QString& text) const {
    QString wanted = text.trimmed();
    if (wanted.isEmpty()) return -1;
    int count = m_pList->GetItemCount();
    for (int column : {int(kNumber), int(kName)}) {
        for (int row = 0; row < count; ++row)
            if (m_pList->GetCellText(row, column).trimmed().startsWith(wanted, Qt::CaseInsensitive))
                return row;
    }
    return -1;
}

void CCustomerPickerDlg::OnFindEdited(const QString& text) {
    int row = FindRow(text);
    if (row < 0) return;
    m_pList->clearSelection();
    m_pList->SelectRow(row);
    m_pList->SetFocusedRow(row);
    m_pList->EnsureVisible(row, false);
}

bool CCustomerPickerDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pFind && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: {
            QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text());
            QCoreApplication::sendEvent(m_pList, &copy);
            return true;
        }
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CCustomerPickerDlg::accept() {
    int row = m_pList->GetFirstSelectedRow();
    if (row < 0) row = m_pList->GetFocusedRow();
    if (row < 0) return;
    m_strNumber = m_pList->GetCellText(row, kNumber).trimmed();
    if (m_strNumber.isEmpty()) return;
    QDialog::accept();
}
