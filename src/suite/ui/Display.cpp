// Placeholder calls of the display library: each goes to the installed replacement, if any;
// without one nothing is shown and nothing chosen.
#include "Display.h"

#include <utility>

namespace {
ValidatePasswordFunction& PasswordHook() {
    static ValidatePasswordFunction f;
    return f;
}
SelectCustFunction& SelectCustHook() {
    static SelectCustFunction f;
    return f;
}
DispItemInfoFunction& ItemInfoHook() {
    static DispItemInfoFunction f;
    return f;
}
} // namespace

int ValidatePassword() {
    return PasswordHook() ? PasswordHook()() : 1;
}

int ReloadDisplayParameters() {
    return 0;
}

int SelectCust(int flag, const char* caller, char* customerNumber, int reserved, QWidget* parent) {
    return SelectCustHook() ? SelectCustHook()(flag, caller, customerNumber, reserved, parent) : 0;
}

int DispItemInfo(const char* itemNumber, const char* customerNumber, QWidget* window, QWidget* owner) {
    return ItemInfoHook() ? ItemInfoHook()(itemNumber, customerNumber, window, owner) : 0;
}

ValidatePasswordFunction SetValidatePasswordFunction(ValidatePasswordFunction function) {
    return std::exchange(PasswordHook(), std::move(function));
}

SelectCustFunction SetSelectCustFunction(SelectCustFunction function) {
    return std::exchange(SelectCustHook(), std::move(function));
}

DispItemInfoFunction SetDispItemInfoFunction(DispItemInfoFunction function) {
    return std::exchange(ItemInfoHook(), std::move(function));
}
