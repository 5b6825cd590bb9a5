// Interchange lines: the value rules of the fixed-column downloads that reload the shared files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ichg {

// Month/day/year to noon local time of that day. Leading and trailing blanks are ignored; an
// empty text is the null date (-1). Two-digit years below 40 are 20xx, 71 to 99 are 19xx; years
// are held within 1971 to 2037. Returns false for anything else that is not a real date (no two
// slashes, a month outside 1..12, a day outside its month, stray characters).
bool ParseDate(const std::string& text, int64_t& time);
// "mm/dd/yyyy" of a time in local time; ten blanks for the null date (-1) and for 0.
std::string FormatDate(int64_t time);

// Whole numbers: digits (blanks around them allowed, empty is 0), negated by a '-' in the sign
// column. Amounts the same with an optional decimal point. False when the text is not a number.
bool ParseNumber(const std::string& digits, char sign, int32_t& value);
bool ParseAmount(const std::string& digits, char sign, double& value);

// Text columns: blanks on both sides removed (exports right-align texts, downloads left-align
// them). Key columns are kept exactly as the download holds them, blank padding included.
std::string TrimText(const std::string& text);

// The text without the characters of drop: " -()" leaves a phone number's digits.
std::string Without(const std::string& text, const char* drop);

enum class Kind : char {
    Key = 'K',    // kept as is (item numbers, units, customer numbers, words)
    Text = 'T',   // trimmed on reading, left-aligned on writing
    RText = 'R',  // trimmed on reading, right-aligned on writing ("%N.Ns")
    Flag = 'F',   // one column, 'Y' is true
    Char = 'C',   // one column copied as a byte
    Number = 'N', // five digits and a sign column
    Amount = 'A', // ten characters ("%10.2f") and a sign column, or the width given, sign last
    Date = 'D',   // ten characters, month/day/year
    Phone = 'P',  // trimmed on reading, the digits left-aligned on writing
    Blank = ' ',  // columns not read, written as blanks
};

int ColumnWidth(Kind kind, int width);

// Reads one value from text (exactly ColumnWidth characters) into the member a field of that
// kind lives in (std::string, bool, char, int32_t for numbers, float for amounts, int64_t for
// dates); false with the reason in error ("Invalid Date \"13/01/2005\"" and the like) when a
// number or date is not valid.
bool ReadValue(Kind kind, const char* text, int width, void* field, std::string& error);
void WriteValue(Kind kind, int width, const void* field, std::string& out);

} // namespace ichg
