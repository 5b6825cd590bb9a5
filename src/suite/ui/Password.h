// The user's password: kept only as an Argon2id hash string in the suite's settings, checked by
// the password dialog. No password set means everybody passes.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

bool HasPassword();
bool CheckPassword(const QString& password);
// Stores the hash of `password`; an empty password removes it. False when hashing failed (the
// stored password is then unchanged).
bool SetPassword(const QString& password);

// Lets the user set, change or remove the password (the change dialog over parent). True when the
// stored password changed.
bool ChangePassword(QWidget* parent);

// Asks for the password; three wrong answers end the dialog as failed.
class CPasswordDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTries = 3;

    explicit CPasswordDlg(QWidget* parent = nullptr);

    bool Passed() const { return m_bPassed; }
    int WrongTries() const { return m_nWrong; }

    void accept() override;

private:
    QLineEdit* m_pEdit;
    QLabel* m_pStatus;
    bool m_bPassed = false;
    int m_nWrong = 0;
};

// Sets or changes the password: the current one (when one is set), the new one twice.
class CChangePasswordDlg : public QDialog {
    Q_OBJECT
public:
    explicit CChangePasswordDlg(QWidget* parent = nullptr);

    void accept() override;

private:
    QLineEdit* m_pCurrent = nullptr;
    QLineEdit* m_pNew;
    QLineEdit* m_pConfirm;
    QLabel* m_pStatus;
};
