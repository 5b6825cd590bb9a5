#include "RecordText.h"

namespace {

// 0x80 to 0x9F; 0 where Windows-1252 has no character (kept as the C1 control of that value).
constexpr char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

QString FromRecordText(const std::string& text) {
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (unsigned char c : text) {
        if (c >= 0x80 && c < 0xA0 && kHigh[c - 0x80] != 0)
            result.append(QChar(kHigh[c - 0x80]));
        else
            result.append(QChar(c));
    }
    return result;
}

std::string ToRecordText(const QString& text) {
    std::string result;
    result.reserve(static_cast<size_t>(text.size()));
    for (QChar ch : text) {
        char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            result.push_back(static_cast<char>(u));
            continue;
        }
        char mapped = '?';
        for (int i = 0; i < 32; ++i)
            if (kHigh[i] == u && u != 0) mapped = static_cast<char>(0x80 + i);
        result.push_back(mapped);
    }
    return result;
}
