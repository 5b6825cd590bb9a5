#include "Interchange.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace ichg {

namespace {

bool AllDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

bool IsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysIn(int month, int year) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : days[month - 1];
}

} // namespace

std::string Without(const std::string& text, const char* drop) {
    std::string out;
    for (char c : text)
        if (!std::strchr(drop, c) || c == '\0') out += c;
    return out;
}

std::string TrimText(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

bool ParseDate(const std::string& text, int64_t& time) {
    std::string s = TrimText(text);
    if (s.empty()) {
        time = -1;
        return true;
    }
    size_t first = s.find('/');
    size_t second = first == std::string::npos ? first : s.find('/', first + 1);
    if (second == std::string::npos) return false;
    std::string m = s.substr(0, first), d = s.substr(first + 1, second - first - 1), y = s.substr(second + 1);
    if (!AllDigits(m) || !AllDigits(d) || !AllDigits(y) || m.size() > 2 || d.size() > 2 || y.size() > 4)
        return false;
    int month = std::stoi(m), day = std::stoi(d), year = std::stoi(y);
    if (year < 40)
        year += 2000;
    else if (year >= 71 && year <= 99)
        year += 1900;
    if (year > 2037) year = 2037;
    if (year < 1971) year = 1971;
    if (month < 1 || month > 12 || day < 1 || day > DaysIn(month, year)) return false;
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = 12;
    tm.tm_isdst = -1;
    std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1) || t > INT32_MAX) return false;
    time = static_cast<int64_t>(t);
    return true;
}

std::string FormatDate(int64_t time) {
    std::time_t t = static_cast<std::time_t>(time);
    std::tm local{};
    if (time == -1 || time == 0 || !localtime_r(&t, &local)) return std::string(10, ' ');
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", local.tm_mon + 1, local.tm_mday, local.tm_year + 1900);
    return std::string(text, 10);
}

namespace {
// Digits, with a decimal point when point is set, blanks around them (empty is 0); negative when
// a leading sign or the sign column says so. False for a sign alone.
bool ParseDigits(const std::string& digits, char sign, bool point, double& value) {
    std::string s = TrimText(digits);
    bool negative = sign == '-';
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        negative = negative != (s[0] == '-');
        s.erase(0, 1);
        if (s.empty()) return false;
    }
    value = 0;
    if (s.empty()) return true;
    size_t at = point ? s.find('.') : std::string::npos;
    std::string whole = s.substr(0, at), fraction = at == std::string::npos ? "" : s.substr(at + 1);
    if ((whole.empty() && fraction.empty()) || (!whole.empty() && !AllDigits(whole)) ||
        (!fraction.empty() && !AllDigits(fraction)))
        return false;
    value = std::strtod(s.c_str(), nullptr);
    if (!std::isfinite(value)) return false;
    if (negative) value = -value;
    return true;
}
} // namespace

bool ParseNumber(const std::string& digits, char sign, int32_t& value) {
    double v = 0;
    if (!ParseDigits(digits, sign, false, v) || std::fabs(v) > 999999999) return false;
    value = static_cast<int32_t>(v);
    return true;
}

bool ParseAmount(const std::string& digits, char sign, double& value) {
    return ParseDigits(digits, sign, true, value);
}

int ColumnWidth(Kind kind, int width) {
    switch (kind) {
    case Kind::Flag:
    case Kind::Char:
        return 1;
    case Kind::Number:
        return 6;
    case Kind::Amount:
        return width > 0 ? width : 11;
    case Kind::Date:
        return 10;
    default:
        return width;
    }
}

bool ReadValue(Kind kind, const char* text, int width, void* field, std::string& error) {
    std::string s(text, static_cast<size_t>(width));
    switch (kind) {
    case Kind::Key:
        *static_cast<std::string*>(field) = s;
        return true;
    case Kind::Text:
    case Kind::RText:
    case Kind::Phone:
        *static_cast<std::string*>(field) = TrimText(s);
        return true;
    case Kind::Flag:
        *static_cast<bool*>(field) = s[0] == 'Y';
        return true;
    case Kind::Char:
        *static_cast<char*>(field) = s[0];
        return true;
    // A value that is not valid leaves the line unused: what it leaves in the field does not matter.
    case Kind::Number:
        if (ParseNumber(s.substr(0, 5), s[5], *static_cast<int32_t*>(field))) return true;
        error = "Invalid Number \"" + s + "\"";
        return false;
    case Kind::Amount: {
        double v = 0;
        bool valid = ParseAmount(s.substr(0, s.size() - 1), s.back(), v);
        *static_cast<float*>(field) = static_cast<float>(v);
        if (valid) return true;
        error = "Invalid Amount \"" + s + "\"";
        return false;
    }
    case Kind::Date:
        if (ParseDate(s, *static_cast<int64_t*>(field))) return true;
        error = "Invalid Date \"" + TrimText(s) + "\"";
        return false;
    case Kind::Blank:
        return true;
    }
    return true;
}

void WriteValue(Kind kind, int width, const void* field, std::string& out) {
    size_t w = static_cast<size_t>(width);
    switch (kind) {
    case Kind::Key:
    case Kind::Text: {
        std::string s = static_cast<const std::string*>(field)->substr(0, w);
        out += s;
        out.append(w - s.size(), ' ');
        return;
    }
    case Kind::RText: {
        std::string s = static_cast<const std::string*>(field)->substr(0, w);
        out.append(w - s.size(), ' ');
        out += s;
        return;
    }
    case Kind::Phone: {
        std::string digits = Without(*static_cast<const std::string*>(field), " -()");
        digits.resize(w, ' ');
        out += digits;
        return;
    }
    case Kind::Flag:
        out += *static_cast<const bool*>(field) ? 'Y' : 'N';
        return;
    case Kind::Char: {
        char c = *static_cast<const char*>(field);
        out += c == '\0' ? ' ' : c;
        return;
    }
    case Kind::Number: {
        int64_t v = *static_cast<const int32_t*>(field);
        int64_t magnitude = v < 0 ? -v : v;
        if (magnitude > 99999) magnitude = 99999;
        char text[16];
        std::snprintf(text, sizeof text, "%5.1d", static_cast<int>(magnitude));
        out += text;
        out += v < 0 ? '-' : ' ';
        return;
    }
    case Kind::Amount: {
        double v = *static_cast<const float*>(field);
        if (std::isnan(v)) v = 0;
        double magnitude = std::fabs(v);
        double largest = std::pow(10.0, width - 4) - 0.01;
        if (magnitude > largest) magnitude = largest;
        char text[64];
        std::snprintf(text, sizeof text, "%*.2f", width - 1, magnitude);
        out += text;
        out += v < 0 ? '-' : ' ';
        return;
    }
    case Kind::Date:
        out += FormatDate(*static_cast<const int64_t*>(field));
        return;
    case Kind::Blank:
        out.append(w, ' ');
        return;
    }
}

} // namespace ichg
