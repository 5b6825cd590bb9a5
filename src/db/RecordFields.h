// Encoding of record fields: fixed-width texts and little-endian numbers.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

namespace fields {

// ASCII letters only; other bytes stay as they are.
inline char UpperChar(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
inline void MakeUpper(std::string& text) {
    for (char& c : text)
        c = UpperChar(c);
}
inline std::string Upper(std::string text) {
    MakeUpper(text);
    return text;
}

// Writes text into a fixed-width field: the value cut at the width, then the fill byte
// (0 for zero-filled fields, ' ' for blank-filled ones).
inline void PutText(uint8_t* record, size_t offset, const std::string& text, size_t width, char fill) {
    size_t n = text.size() < width ? text.size() : width;
    std::memcpy(record + offset, text.data(), n); // NOLINT(bugprone-not-null-terminated-result): fixed width
    std::memset(record + offset + n, static_cast<unsigned char>(fill), width - n);
}

// Reads a fixed-width text field: at most the width, stopping at a zero byte.
inline std::string GetText(const uint8_t* record, size_t offset, size_t width) {
    const char* p = reinterpret_cast<const char*>(record + offset);
    size_t n = 0;
    while (n < width && p[n] != '\0')
        ++n;
    return std::string(p, n);
}

// Numbers are little-endian on disk, whatever the machine's own order.
template <class T> void PutLE(uint8_t* r, size_t at, T v) {
    uint8_t bytes[sizeof v];
    std::memcpy(bytes, &v, sizeof v);
    if constexpr (std::endian::native == std::endian::big) std::reverse(bytes, bytes + sizeof v);
    std::memcpy(r + at, bytes, sizeof v);
}
template <class T> T GetLE(const uint8_t* r, size_t at) {
    uint8_t bytes[sizeof(T)];
    std::memcpy(bytes, r + at, sizeof bytes);
    if constexpr (std::endian::native == std::endian::big) std::reverse(bytes, bytes + sizeof bytes);
    T v;
    std::memcpy(&v, bytes, sizeof v);
    return v;
}
// The value cut at the width and padded with the fill byte: the form a key buffer takes.
inline std::string Padded(const std::string& text, size_t width, char fill) {
    std::string out = text.substr(0, width);
    out.resize(width, fill);
    return out;
}

} // namespace fields
