#include "CEditorFrame.h"

#include "CAboutDlg.h"
#include "CustomerDB.h"
#include "Display.h"
#include "RecordText.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* AddField(QWidget* parent, QFormLayout* form, const QString& caption) {
    auto* value = new QLabel(parent);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    value->setAccessibleName(QString(caption).remove(':'));
    auto* label = new QLabel(caption, parent);
    label->setBuddy(value);
    form->addRow(label, value);
    return value;
}

} // namespace

CEditorFrame::CEditorFrame(const QString& customerNumber, QWidget* parent) : QDialog(parent) {
    setWindowTitle("Recipe");
    setWindowFlag(Qt::WindowMinMaxButtonsHint, true);
    auto* layout = new QVBoxLayout(this);

    // Linux has no system menu: the About entry sits in a Help menu.
    auto* menuBar = new QMenuBar(this);
    QMenu* help = menuBar->addMenu("&Help");
    help->addAction("&About Recipe...", this, [this] { ShowAboutBox(this); });
    layout->setMenuBar(menuBar);

    auto* customerBox = new QGroupBox("Customer", this);
    auto* form = new QFormLayout(customerBox);
    m_pNumber = AddField(customerBox, form, "Number:");
    m_pName = AddField(customerBox, form, "Name:");
    m_pAddress = AddField(customerBox, form, "Address:");
    layout->addWidget(customerBox);

    auto* placeholder = new QLabel("The recipe and its ingredients are edited here.", this);
    placeholder->setAlignment(Qt::AlignCenter);
    placeholder->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(placeholder, 1);

    auto* buttons = new QDialogButtonBox(this);
    auto* change = buttons->addButton("C&ustomer...", QDialogButtonBox::ActionRole);
    auto* info = buttons->addButton("&Item Information...", QDialogButtonBox::ActionRole);
    auto* about = buttons->addButton("&About Recipe...", QDialogButtonBox::HelpRole);
    buttons->addButton(QDialogButtonBox::Close);
    for (QAbstractButton* button : buttons->buttons())
        button->setAccessibleName(button->text().remove('&'));
    layout->addWidget(buttons);
    connect(change, &QPushButton::clicked, this, &CEditorFrame::OnChangeCustomer);
    connect(info, &QPushButton::clicked, this, &CEditorFrame::OnItemInfo);
    connect(about, &QPushButton::clicked, this, [this] { ShowAboutBox(this); });
    connect(buttons, &QDialogButtonBox::rejected, this, &CEditorFrame::reject);

    if (!LoadCustomer(customerNumber)) {
        char number[8] = {};
        if (SelectCust(0, "Recipe", number, 0, nullptr) == 1) LoadCustomer(QString::fromLatin1(number));
    }
    resize(640, 420);
}

bool CEditorFrame::LoadCustomer(const QString& number) {
    QString wanted = number.trimmed();
    if (wanted.isEmpty()) return false;
    CCustomerDB customers;
    if (customers.OpenFile() != 0) return false;
    CCustomer customer;
    bool found = customers.GetCustomer(customer, ToRecordText(wanted), 0) == 0;
    customers.Close();
    if (!found) return false;
    m_strCustomer = FromRecordText(customer.m_strNumber).trimmed();
    m_pNumber->setText(m_strCustomer);
    m_pName->setText(FromRecordText(customer.m_strName).trimmed());
    QStringList lines;
    for (const std::string& line : customer.m_arrAddress)
        if (!FromRecordText(line).trimmed().isEmpty()) lines << FromRecordText(line).trimmed();
    lines << QString("%1, %2").arg(FromRecordText(customer.m_strCity).trimmed(),
                                   FromRecordText(customer.m_strState).trimmed());
    m_pAddress->setText(lines.join('\n'));
    setWindowTitle(QString("Recipe - %1").arg(m_pName->text()));
    return true;
}

void CEditorFrame::OnChangeCustomer() {
    char number[8] = {};
    if (SelectCust(0, "Recipe", number, 0, this) == 1) LoadCustomer(QString::fromLatin1(number));
}

void CEditorFrame::OnItemInfo() {
    bool ok = false;
    QString item =
        QInputDialog::getText(this, "Item Information", "Item number:", QLineEdit::Normal, {}, &ok);
    if (!ok || item.trimmed().isEmpty()) return;
    QByteArray itemNumber = ToRecordText(item.trimmed().toUpper()).c_str();
    QByteArray customer = m_strCustomer.toLatin1();
    DispItemInfo(itemNumber.constData(), customer.constData(), this, this);
}
