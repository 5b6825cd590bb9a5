// The display library: password check, parameter reload, the customer picker and the item
// information window. Each call goes to a replaceable implementation (a suite that does it
// differently, or a test); the defaults are this library's own dialogs.
#pragma once

#include <functional>

class QWidget;

// Non-zero when the user passed the password check (no password set passes).
int ValidatePassword();

// Re-reads the library's settings for the selected profile.
int ReloadDisplayParameters();

// The customer picker over CUST.DB in the current directory. Returns 1 when the user chose a
// customer; `customerNumber` (at least 7 bytes) then holds its number, up to 6 characters,
// zero-terminated. Any other result: nothing chosen, the buffer untouched.
int SelectCust(int flag, const char* caller, char* customerNumber, int reserved, QWidget* parent);

// Shows the item information window for `itemNumber` (master data, units of sale with their
// pricing figures, the customer's history and today's default price). Result not used.
int DispItemInfo(const char* itemNumber, const char* customerNumber, QWidget* window, QWidget* owner);

// Replacing an implementation returns the one installed before; an empty function restores the
// library's default.
using ValidatePasswordFunction = std::function<int()>;
using SelectCustFunction = std::function<int(int, const char*, char*, int, QWidget*)>;
using DispItemInfoFunction = std::function<int(const char*, const char*, QWidget*, QWidget*)>;
ValidatePasswordFunction SetValidatePasswordFunction(ValidatePasswordFunction function);
SelectCustFunction SetSelectCustFunction(SelectCustFunction function);
DispItemInfoFunction SetDispItemInfoFunction(DispItemInfoFunction function);
