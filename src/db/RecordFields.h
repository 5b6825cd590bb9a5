// Encoding of record fields: fixed-width texts, little-endian numbers, flags.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

namespace fields {

// ASCII letters only; other bytes stay as they are.
inline void MakeUpper(std::string& text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
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
inline void PutI32(uint8_t* r, size_t at, int32_t v) {
    PutLE(r, at, v);
}

// Flags are one byte, 'Y' or 'N'.
inline void PutFlag(uint8_t* r, size_t at, bool v) {
    r[at] = v ? 'Y' : 'N';
}
inline bool GetFlag(const uint8_t* r, size_t at) {
    return r[at] == 'Y';
}
// The files that also take a lower-case 'y' as true.
inline bool GetFlagY(const uint8_t* r, size_t at) {
    return r[at] == 'Y' || r[at] == 'y';
}

// Code characters are one byte, upper-cased both ways.
inline char UpperChar(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
inline void PutCode(uint8_t* r, size_t at, char c) {
    r[at] = static_cast<uint8_t>(UpperChar(c));
}
inline char GetCode(const uint8_t* r, size_t at) {
    return UpperChar(static_cast<char>(r[at]));
}

// A text field read and upper-cased.
inline std::string GetUpper(const uint8_t* r, size_t offset, size_t width) {
    return Upper(GetText(r, offset, width));
}

// The value cut at the width and padded with the fill byte: the form a key buffer takes.
inline std::string Padded(const std::string& text, size_t width, char fill) {
    std::string out = text.substr(0, width);
    out.resize(width, fill);
    return out;
}

} // namespace fields
