// Texts from record files and downloads as the tool prints them: a hostile byte in a file must
// not reach the terminal as a command.
#pragma once

#include <string>
#include <string_view>

namespace kdb {

// The text for a terminal: control bytes (0-31, 127) as \xNN, a backslash as \\, and the
// Windows-1252 letters of the record files as UTF-8 (a byte that is no letter there as \xNN).
std::string Escaped(std::string_view text);

} // namespace kdb
