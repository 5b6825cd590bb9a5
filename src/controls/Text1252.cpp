#include "Text1252.h"

namespace {

// Bytes 0x80 to 0x9F; 0 where Windows-1252 has no character.
constexpr char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool ByteOf(char16_t c, char* out) {
    if (c == 0) return false; // a zero byte would end the stored text
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        *out = static_cast<char>(c);
        return true;
    }
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] != 0 && kHigh[i] == c) {
            *out = static_cast<char>(0x80 + i);
            return true;
        }
    return false;
}

} // namespace

bool ToCp1252(const QString& text, std::string* out) {
    std::string bytes;
    bytes.reserve(size_t(text.size()));
    for (QChar c : text) {
        char b = 0;
        if (!ByteOf(c.unicode(), &b)) return false;
        bytes += b;
    }
    if (out) *out = std::move(bytes);
    return true;
}

bool IsCp1252(const QString& text) {
    return ToCp1252(text, nullptr);
}

QString FromCp1252(const std::string& bytes) {
    QString out;
    out.reserve(qsizetype(bytes.size()));
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x80 && b <= 0x9F)
            out += QChar(kHigh[b - 0x80] ? kHigh[b - 0x80] : char16_t(b));
        else
            out += QChar(char16_t(b));
    }
    return out;
}

std::string ToCp1252Lossy(const QString& text) {
    std::string bytes;
    bytes.reserve(size_t(text.size()));
    for (QChar c : text) {
        char b = '?';
        ByteOf(c.unicode(), &b);
        bytes += b;
    }
    return bytes;
}

QValidator::State CCp1252Validator::validate(QString& input, int&) const {
    if (m_nMaxLength >= 0 && input.size() > m_nMaxLength) return Invalid;
    return IsCp1252(input) ? Acceptable : Invalid;
}
