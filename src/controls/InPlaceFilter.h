#pragma once

#include <QString>

// Input filters of the in-place edit box: the whole text must be one number.
namespace InPlaceFilter {

enum EFilter { None = 0, Integer = 1, Real = 2 };

// strtol (base 10, 32-bit) or strtod semantics: leading blanks allowed, nothing may follow the
// number, out-of-range values are refused. An empty text is accepted.
bool IsAcceptable(int filter, const QString& text);

} // namespace InPlaceFilter
