#include "CItemSelectionDlg.h"

#include "Text1252.h"

#include "recipe/ui/Strings.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QColor kRowEven(200, 255, 255);
const QColor kRowOdd(175, 255, 175);
constexpr quint32 kOwnBackground = 32;

} // namespace

CItemSelectionDlg::CItemSelectionDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(kr::str::kSelectItemTitle);
    setSizeGripEnabled(true);

    m_pList = new CMyListCtrl(this);
    m_pList->setAccessibleName(QStringLiteral("Items found"));
    m_pList->SetSingleSelection(true);
    m_pList->SetSortAscending(true);
    m_pList->SetGridLines(true);
    // Descriptions take the room the window gives beyond the three widths.
    m_pList->horizontalHeader()->setStretchLastSection(true);

    m_pMessage = new QLineEdit(this);
    m_pMessage->setReadOnly(true);
    m_pMessage->setAccessibleName(QStringLiteral("Message"));

    m_pSelect = new QPushButton(QStringLiteral("Select Item"), this);
    m_pSelect->setAccessibleName(m_pSelect->text());
    m_pSelect->setDefault(true);
    m_pSelect->setAutoDefault(true);
    connect(m_pSelect, &QPushButton::clicked, this, &CItemSelectionDlg::accept);
    connect(m_pList, &QAbstractItemView::doubleClicked, this, &CItemSelectionDlg::accept);
    m_pList->installEventFilter(this);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_pMessage, 1);
    bottom->addWidget(m_pSelect);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 4, 10, 10);
    layout->addWidget(m_pList, 1);
    layout->addLayout(bottom);

    setTabOrder(m_pList, m_pMessage);
    setTabOrder(m_pMessage, m_pSelect);
    // The list's three columns with the frame and scroll bar, and about eight rows.
    resize(600, 260);
}

CItemSelectionDlg::~CItemSelectionDlg() = default;

void CItemSelectionDlg::AddItem(const QString& item, const QString& validUnits, const QString& description) {
    m_arrItems.append(item);
    m_arrValidUnits.append(validUnits);
    m_arrDescriptions.append(description);
}

void CItemSelectionDlg::AddItem(const std::string& item, const std::string& validUnits,
                                const std::string& description) {
    AddItem(FromCp1252(item), FromCp1252(validUnits), FromCp1252(description));
}

void CItemSelectionDlg::showEvent(QShowEvent* e) {
    if (!m_bInitDone) OnInitDialog();
    QDialog::showEvent(e);
}

void CItemSelectionDlg::OnInitDialog() {
    m_bInitDone = true;
    m_pList->AddColumn(1, QStringLiteral("Item"), LVCFMT_LEFT, 120, -1);
    m_pList->AddColumn(2, QStringLiteral("Valid Unit"), LVCFMT_LEFT, 105, 1);
    m_pList->AddColumn(3, QStringLiteral("Description"), LVCFMT_LEFT, 300, 2);
    for (qsizetype i = 0; i < m_arrItems.size(); ++i)
        m_pList->AddRow({m_arrItems.at(i), m_arrValidUnits.at(i), m_arrDescriptions.at(i)});
    for (int r = 0; r < m_pList->GetItemCount(); ++r) {
        m_pList->SetRowBkColor(r, (r % 2 == 0) ? kRowEven : kRowOdd, false);
        m_pList->SetRowStyle(r, kOwnBackground, false);
    }
    m_pMessage->setText(m_strMessage);
    m_pMessage->setCursorPosition(0);
    m_pList->setFocus(Qt::OtherFocusReason);
}

bool CItemSelectionDlg::eventFilter(QObject* watched, QEvent* e) {
    // Home and End go to the first and last item, as in any list, not along the row.
    if (watched == m_pList && e->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(e);
        if (key->modifiers() == Qt::NoModifier && (key->key() == Qt::Key_Home || key->key() == Qt::Key_End)) {
            QKeyEvent rowKey(QEvent::KeyPress, key->key(), Qt::ControlModifier);
            QApplication::sendEvent(m_pList, &rowKey);
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void CItemSelectionDlg::accept() {
    const int row = m_pList->GetFirstSelectedRow();
    if (row < 0) return;
    m_strSelectedItem = m_pList->GetCellText(row, 0);
    m_strSelectedUnit = m_pList->GetCellText(row, 1).left(3);
    QDialog::accept();
}
