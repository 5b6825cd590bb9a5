#include "Display.h"

#include "CCustomerPickerDlg.h"
#include "CItemInfoDlg.h"
#include "Password.h"

#include <cstring>
#include <string>

namespace {

template <class F> F& Installed() {
    static F function;
    return function;
}

template <class F> F Replace(F function) {
    F previous = std::move(Installed<F>());
    Installed<F>() = std::move(function);
    return previous;
}

int DefaultValidatePassword() {
    if (!HasPassword()) return 1;
    CPasswordDlg dlg;
    dlg.exec();
    return dlg.Passed() ? 1 : 0;
}

int DefaultSelectCust(int, const char* caller, char* customerNumber, int, QWidget* parent) {
    CCustomerPickerDlg dlg(QString::fromLatin1(caller ? caller : ""), parent);
    if (dlg.exec() != QDialog::Accepted) return 0;
    QByteArray number = dlg.GetCustomerNumber().toLatin1().left(6);
    std::memcpy(customerNumber, number.constData(), static_cast<size_t>(number.size()));
    customerNumber[number.size()] = '\0';
    return 1;
}

int DefaultDispItemInfo(const char* itemNumber, const char* customerNumber, QWidget* window, QWidget*) {
    CItemInfoDlg dlg(itemNumber ? itemNumber : "", customerNumber ? customerNumber : "", window);
    dlg.exec();
    return 0;
}

} // namespace

int ValidatePassword() {
    if (auto& f = Installed<ValidatePasswordFunction>()) return f();
    return DefaultValidatePassword();
}

int ReloadDisplayParameters() {
    // The password and the profiles are read from the settings whenever they are used.
    return 0;
}

int SelectCust(int flag, const char* caller, char* customerNumber, int reserved, QWidget* parent) {
    if (!customerNumber) return 0;
    if (auto& f = Installed<SelectCustFunction>()) return f(flag, caller, customerNumber, reserved, parent);
    return DefaultSelectCust(flag, caller, customerNumber, reserved, parent);
}

int DispItemInfo(const char* itemNumber, const char* customerNumber, QWidget* window, QWidget* owner) {
    if (auto& f = Installed<DispItemInfoFunction>()) return f(itemNumber, customerNumber, window, owner);
    return DefaultDispItemInfo(itemNumber, customerNumber, window, owner);
}

ValidatePasswordFunction SetValidatePasswordFunction(ValidatePasswordFunction function) {
    return Replace(std::move(function));
}

SelectCustFunction SetSelectCustFunction(SelectCustFunction function) {
    return Replace(std::move(function));
}

DispItemInfoFunction SetDispItemInfoFunction(DispItemInfoFunction function) {
    return Replace(std::move(function));
}
