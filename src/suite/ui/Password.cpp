#include "Password.h"

#include "SuiteSettings.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <sodium.h>

namespace {

constexpr const char* kHashKey = "Display/PasswordHash";

bool SodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

QString StoredHash() {
    return SuiteSettings().value(kHashKey).toString();
}

QLineEdit* PasswordEdit(QWidget* parent, const QString& name) {
    auto* edit = new QLineEdit(parent);
    edit->setEchoMode(QLineEdit::Password);
    edit->setAccessibleName(name);
    return edit;
}

} // namespace

bool HasPassword() {
    return !StoredHash().isEmpty();
}

bool CheckPassword(const QString& password) {
    QString hash = StoredHash();
    if (hash.isEmpty()) return true;
    if (!SodiumReady()) return false;
    QByteArray stored = hash.toLatin1();
    QByteArray given = password.toUtf8();
    return crypto_pwhash_str_verify(stored.constData(), given.constData(),
                                    static_cast<unsigned long long>(given.size())) == 0;
}

bool SetPassword(const QString& password) {
    QSettings settings = SuiteSettings();
    if (password.isEmpty()) {
        settings.remove(kHashKey);
        return true;
    }
    if (!SodiumReady()) return false;
    char hash[crypto_pwhash_STRBYTES];
    QByteArray given = password.toUtf8();
    if (crypto_pwhash_str_alg(hash, given.constData(), static_cast<unsigned long long>(given.size()),
                              crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE,
                              crypto_pwhash_ALG_ARGON2ID13) != 0)
        return false;
    settings.setValue(kHashKey, QString::fromLatin1(hash));
    return true;
}

bool ChangePassword(QWidget* parent) {
    CChangePasswordDlg dlg(parent);
    return dlg.exec() == QDialog::Accepted;
}

CPasswordDlg::CPasswordDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Password");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_pEdit = PasswordEdit(this, "Password");
    form->addRow("&Password:", m_pEdit);
    layout->addLayout(form);
    m_pStatus = new QLabel(this);
    m_pStatus->setAccessibleName("Status");
    layout->addWidget(m_pStatus);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPasswordDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CPasswordDlg::reject);
    resize(340, sizeHint().height());
    m_pEdit->setFocus();
}

void CPasswordDlg::accept() {
    if (CheckPassword(m_pEdit->text())) {
        m_bPassed = true;
        QDialog::accept();
        return;
    }
    ++m_nWrong;
    m_pEdit->clear();
    if (m_nWrong >= kTries) {
        reject();
        return;
    }
    int left = kTries - m_nWrong;
    m_pStatus->setText(left == 1 ? QString("Wrong password. One try left.")
                                 : QString("Wrong password. %1 tries left.").arg(left));
    m_pEdit->setFocus();
}

CChangePasswordDlg::CChangePasswordDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Change Password");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    if (HasPassword()) {
        m_pCurrent = PasswordEdit(this, "Current password");
        form->addRow("&Current password:", m_pCurrent);
    }
    m_pNew = PasswordEdit(this, "New password");
    m_pConfirm = PasswordEdit(this, "Confirm new password");
    form->addRow("&New password:", m_pNew);
    form->addRow("C&onfirm new password:", m_pConfirm);
    layout->addLayout(form);
    auto* hint = new QLabel("Leave the new password empty to remove the password.", this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    m_pStatus = new QLabel(this);
    m_pStatus->setAccessibleName("Status");
    layout->addWidget(m_pStatus);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CChangePasswordDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CChangePasswordDlg::reject);
    resize(380, sizeHint().height());
}

void CChangePasswordDlg::accept() {
    if (m_pCurrent && !CheckPassword(m_pCurrent->text())) {
        m_pStatus->setText("The current password is not correct.");
        m_pCurrent->clear();
        m_pCurrent->setFocus();
        return;
    }
    if (m_pNew->text() != m_pConfirm->text()) {
        m_pStatus->setText("The new passwords do not match.");
        m_pConfirm->clear();
        m_pConfirm->setFocus();
        return;
    }
    if (!SetPassword(m_pNew->text())) {
        m_pStatus->setText("The password could not be stored.");
        return;
    }
    QDialog::accept();
}
