// The recipe editor's frame: caption, the customer block and the buttons around where the
// ingredient grid goes. It also shows how the editor reaches the About box.
#pragma once

#include <QDialog>

class QLabel;

class CEditorFrame : public QDialog {
    Q_OBJECT
public:
    explicit CEditorFrame(const QString& customerNumber, QWidget* parent = nullptr);

    QString GetCustomerNumber() const { return m_strCustomer; }

private:
    bool LoadCustomer(const QString& number);
    void OnChangeCustomer();
    void OnItemInfo();

    QString m_strCustomer;
    QLabel* m_pNumber;
    QLabel* m_pName;
    QLabel* m_pAddress;
};
