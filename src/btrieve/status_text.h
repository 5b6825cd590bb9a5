// What a record manager status means, in words, for messages and the admin tool.
#pragma once

#include <string>

namespace btr {

// The meaning of a status ("disk full"); empty for 0 and for a status the record manager does
// not return.
const char* StatusMeaning(int status);

// The status with its meaning, the form messages show: "18 (disk full)", "4 (key value not
// found)"; the number alone when it has no meaning here.
std::string StatusText(int status);

} // namespace btr
