#include "ListSortRules.h"

#include <QCollator>
#include <QLocale>

#include <limits>

namespace ListSortRules {

namespace {

bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool IsDate(QStringView x) {
    if (x.size() != 10) return false;
    for (int i : {0, 1, 3, 4, 6, 7, 8, 9})
        if (!IsDigit(x[i])) return false;
    return x[2] == u'/' && x[5] == u'/';
}

int Sign(std::int64_t a, std::int64_t b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

// A field of the other text read like the first one's, even when that text is shorter.
std::int64_t Field(QStringView s, qsizetype pos, qsizetype len) {
    if (pos >= s.size()) return 0;
    return Atoi(s.mid(pos, std::min(len, s.size() - pos)));
}

} // namespace

ERule ChooseRule(QStringView x) {
    bool digits = true;
    for (QChar c : x)
        if (!IsDigit(c)) digits = false;
    if (digits) return ERule::Number;
    if (IsDate(x)) return ERule::Date;
    return ERule::Text;
}

std::int64_t Atoi(QStringView s) {
    qsizetype i = 0;
    while (i < s.size() && (s[i] == u' ' || (s[i] >= u'\t' && s[i] <= u'\r')))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) negative = s[i++] == u'-';
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t v = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i) {
        const int d = s[i].unicode() - u'0';
        v = (v > (kMax - d) / 10) ? kMax : v * 10 + d;
    }
    return negative ? -v : v;
}

int CompareText(const QString& x, const QString& y) {
    static const QCollator collator = [] {
        QLocale locale = QLocale::system();
        if (locale.language() == QLocale::C) locale = QLocale(QLocale::English, QLocale::UnitedStates);
        return QCollator(locale);
    }();
    const int r = collator.compare(x, y);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CompareRowTexts(const QString& a, const QString& b, bool ascending) {
    const ERule rule = ChooseRule(a);
    const QString& x = ascending ? a : b;
    const QString& y = ascending ? b : a;
    switch (rule) {
    case ERule::Number:
        return Sign(Atoi(x), Atoi(y));
    case ERule::Date:
        for (auto [pos, len] : {std::pair<qsizetype, qsizetype>{6, 4}, {3, 2}, {0, 2}})
            if (int r = Sign(Field(x, pos, len), Field(y, pos, len)); r != 0) return r;
        return 0;
    case ERule::Text:
        break;
    }
    return CompareText(x, y);
}

} // namespace ListSortRules
