// Interchange lines: the value rules of the fixed-column downloads that reload the shared files,
// and a column table that reads and writes one record class's line in both directions.
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

// One column of a line: its kind, width (text kinds and blanks; the others have fixed widths)
// and where its value lives in the record object. field returns a pointer to a std::string,
// bool, char, int32_t, float or int64_t member according to the kind (Date: int64_t; Amount:
// float; Number: int32_t).
template <class R> struct Column {
    const char* name;
    Kind kind;
    int width;
    void* (*field)(R&);
};

int ColumnWidth(Kind kind, int width);

// What went wrong with a line's values, for the import error list.
struct ValueError {
    std::string what; // "Invalid Date \"13/01/2005\"" and the like
    bool failed() const { return !what.empty(); }
};

// Reads one value from text (exactly ColumnWidth characters) into the field; false with the
// reason in error when a number or date is not valid.
bool ReadValue(Kind kind, const char* text, int width, void* field, ValueError& error);
void WriteValue(Kind kind, int width, const void* field, std::string& out);

template <class R>
bool ReadColumns(const std::vector<Column<R>>& columns, const char* line, size_t length, R& record,
                 ValueError& error) {
    size_t at = 0;
    for (const Column<R>& c : columns) {
        size_t w = static_cast<size_t>(ColumnWidth(c.kind, c.width));
        if (at + w > length) break;
        if (c.kind != Kind::Blank &&
            !ReadValue(c.kind, line + at, static_cast<int>(w), c.field(record), error))
            return false;
        at += w;
    }
    return true;
}

template <class R>
void WriteColumns(const std::vector<Column<R>>& columns, size_t length, const R& record, std::string& out) {
    size_t start = out.size();
    for (const Column<R>& c : columns) {
        size_t w = static_cast<size_t>(ColumnWidth(c.kind, c.width));
        if (out.size() - start + w > length) break;
        if (c.kind == Kind::Blank)
            out.append(w, ' ');
        else
            WriteValue(c.kind, static_cast<int>(w), c.field(const_cast<R&>(record)), out);
    }
    // No byte of a value may end the line early or hide its end.
    for (size_t i = start; i < out.size(); ++i)
        if (out[i] == '\n' || out[i] == '\r' || out[i] == '\0') out[i] = ' ';
    if (out.size() - start < length) out.append(length - (out.size() - start), ' ');
}

} // namespace ichg
