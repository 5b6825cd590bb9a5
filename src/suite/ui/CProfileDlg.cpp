#include "CProfileDlg.h"

#include "CMyListCtrl.h"
#include "Password.h"
#include "Profile.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

CProfileDlg::CProfileDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Select Profile");
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel("&Profiles:", this);
    layout->addWidget(caption);
    m_pList = new CMyListCtrl(this);
    m_pList->SetSingleSelection(true);
    m_pList->AddColumn(0, "Profile", LVCFMT_LEFT, 140);
    m_pList->AddColumn(1, "Database folder", LVCFMT_LEFT, 300, 1);
    m_pList->horizontalHeader()->setStretchLastSection(true);
    m_pList->setAccessibleName("Profiles");
    caption->setBuddy(m_pList);
    layout->addWidget(m_pList, 1);

    auto* buttons = new QDialogButtonBox(this);
    m_pOk = buttons->addButton(QDialogButtonBox::Ok);
    buttons->addButton(QDialogButtonBox::Cancel);
    auto* add = buttons->addButton("&Add...", QDialogButtonBox::ActionRole);
    auto* password = buttons->addButton("Pass&word...", QDialogButtonBox::ActionRole);
    for (QAbstractButton* button : buttons->buttons())
        button->setAccessibleName(button->text().remove('&'));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CProfileDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CProfileDlg::reject);
    connect(add, &QPushButton::clicked, this, &CProfileDlg::OnAdd);
    connect(password, &QPushButton::clicked, this, &CProfileDlg::OnPassword);
    connect(m_pList, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) accept();
    });

    Fill(QString::fromStdString(ProfileLocation()));
    resize(520, 300);
    m_pList->setFocus();
}

void CProfileDlg::Fill(const QString& select) {
    m_pList->DeleteAllRows();
    int selected = 0;
    for (const CProfileEntry& profile : StoredProfiles()) {
        int row =
            m_pList->AddRow({QString::fromStdString(profile.m_strName),
                             QDir::toNativeSeparators(QString::fromStdString(profile.m_strDatabaseDir))});
        if (QString::fromStdString(profile.m_strName) == select) selected = row;
    }
    if (m_pList->GetItemCount() > 0) {
        m_pList->SelectRow(selected);
        m_pList->SetFocusedRow(selected);
    }
    UpdateButtons();
}

void CProfileDlg::UpdateButtons() {
    m_pOk->setEnabled(m_pList->GetItemCount() > 0);
}

void CProfileDlg::accept() {
    int row = m_pList->GetFirstSelectedRow();
    if (row < 0) row = m_pList->GetFocusedRow();
    if (row < 0) return;
    m_strProfile = m_pList->GetCellText(row, 0);
    QDialog::accept();
}

void CProfileDlg::OnAdd() {
    CAddProfileDlg add(this);
    if (add.exec() != QDialog::Accepted) return;
    StoreProfile(add.GetName().toStdString(), add.GetDirectory().toStdString());
    Fill(add.GetName());
    m_pList->setFocus();
}

void CProfileDlg::OnPassword() {
    ChangePassword(this);
}

CAddProfileDlg::CAddProfileDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Add Profile");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_pName = new QLineEdit(this);
    m_pName->setAccessibleName("Name");
    m_pDirectory = new QLineEdit(this);
    m_pDirectory->setAccessibleName("Database folder");
    auto* browse = new QPushButton("&Browse...", this);
    browse->setAccessibleName("Browse...");
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_pDirectory, 1);
    folderRow->addWidget(browse);
    form->addRow("&Name:", m_pName);
    auto* folderLabel = new QLabel("Database &folder:", this);
    folderLabel->setBuddy(m_pDirectory);
    form->addRow(folderLabel, folderRow);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_pOk = buttons->button(QDialogButtonBox::Ok);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CAddProfileDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CAddProfileDlg::reject);
    connect(browse, &QPushButton::clicked, this, &CAddProfileDlg::OnBrowse);
    resize(480, sizeHint().height());
}

QString CAddProfileDlg::GetName() const {
    return m_pName->text().trimmed();
}

QString CAddProfileDlg::GetDirectory() const {
    return QDir::fromNativeSeparators(m_pDirectory->text().trimmed());
}

void CAddProfileDlg::accept() {
    QString name = GetName();
    if (name.isEmpty() || name.contains('/') || name.contains('\\')) {
        QMessageBox::warning(this, windowTitle(), "A profile name is required and holds no slash.");
        m_pName->setFocus();
        return;
    }
    if (GetDirectory().isEmpty()) {
        QMessageBox::warning(this, windowTitle(), "A database folder is required.");
        m_pDirectory->setFocus();
        return;
    }
    QDialog::accept();
}

void CAddProfileDlg::OnBrowse() {
    QString dir = QFileDialog::getExistingDirectory(this, "Database Folder", m_pDirectory->text());
    if (!dir.isEmpty()) m_pDirectory->setText(QDir::toNativeSeparators(dir));
}
