#include "escaped.h"

#include <cstdint>

namespace kdb {

namespace {

// Windows-1252 0x80-0x9F; 0 where the code page leaves the byte undefined.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void Hex(std::string& out, uint8_t byte) {
    static const char digits[] = "0123456789abcdef";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 15];
}

void Utf8(std::string& out, char16_t c) {
    if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    out += static_cast<char>(0x80 | (c & 0x3F));
}

} // namespace

std::string Escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        auto byte = static_cast<uint8_t>(ch);
        if (byte == '\\')
            out += "\\\\";
        else if (byte < 0x20 || byte == 0x7F)
            Hex(out, byte);
        else if (byte < 0x80)
            out += ch;
        else if (byte >= 0xA0)
            Utf8(out, byte);
        else if (kHigh[byte - 0x80] != 0)
            Utf8(out, kHigh[byte - 0x80]);
        else
            Hex(out, byte);
    }
    return out;
}

} // namespace kdb
