// The profile picker: the stored profiles with their database directories; the user picks one,
// adds one, or sets the password.
#pragma once

#include <QDialog>

class CMyListCtrl;
class QLineEdit;
class QPushButton;

class CProfileDlg : public QDialog {
    Q_OBJECT
public:
    explicit CProfileDlg(QWidget* parent = nullptr);

    // The chosen profile after OK.
    QString GetProfile() const { return m_strProfile; }
    CMyListCtrl* GetList() const { return m_pList; }

    void accept() override;

private:
    void Fill(const QString& select);
    void OnAdd();
    void OnPassword();
    void UpdateButtons();

    CMyListCtrl* m_pList;
    QPushButton* m_pOk;
    QString m_strProfile;
};

// A new profile: its name and its database directory.
class CAddProfileDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAddProfileDlg(QWidget* parent = nullptr);

    QString GetName() const;
    QString GetDirectory() const;

    void accept() override;

private:
    void OnBrowse();

    QLineEdit* m_pName;
    QLineEdit* m_pDirectory;
    QPushButton* m_pOk;
};
