#include "InPlaceFilter.h"

#include <charconv>
#include <cstdint>
#include <string>

namespace InPlaceFilter {

namespace {

bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IntegerOk(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    const size_t firstDigit = i;
    std::int64_t v = 0;
    bool range = false;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        if (!range) v = v * 10 + (s[i] - '0');
        if (negative ? v > 2147483648LL : v > 2147483647LL) range = true;
    }
    if (i == firstDigit) return s.empty(); // nothing converted: the whole text remains
    return i == s.size() && !range;
}

bool RealOk(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    if (i < s.size() && s[i] == '+') {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) return false;
    }
    double v = 0.0;
    const auto res = std::from_chars(s.data() + i, s.data() + s.size(), v);
    if (res.ec == std::errc::invalid_argument) return s.empty();
    if (res.ec == std::errc::result_out_of_range) return false;
    return res.ptr == s.data() + s.size();
}

} // namespace

bool IsAcceptable(int filter, const QString& text) {
    if (filter != Integer && filter != Real) return true;
    std::string s;
    s.reserve(size_t(text.size()));
    for (QChar c : text)
        s += c.unicode() < 128 ? char(c.unicode()) : '\x7f';
    return filter == Integer ? IntegerOk(s) : RealOk(s);
}

} // namespace InPlaceFilter
