#include "CFloatEditText.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <string>

CFloatEditText::Separators CFloatEditText::SeparatorsFrom(const QString& decimalText,
                                                          const QString& thousandsText) {
    Separators s{u'.', u','};
    if (!decimalText.isEmpty()) s.decimal = decimalText.at(0);
    if (!thousandsText.isEmpty() && thousandsText.at(0) != s.decimal) s.thousands = thousandsText.at(0);
    // A decimal comma with no usable thousands separator would otherwise collide with ",".
    if (s.thousands == s.decimal) s.thousands = (s.decimal == u',') ? u'.' : u',';
    return s;
}

void CFloatEditText::SetSeparators(QChar decimal, QChar thousands) {
    Separators s = SeparatorsFrom(QString(decimal), QString(thousands));
    m_cDecimal = s.decimal;
    m_cThousands = s.thousands;
}

void CFloatEditText::SetGrouping(bool grouping) {
    m_bGrouping = grouping;
}

void CFloatEditText::SetDecimals(int decimals) {
    m_nDecimals = std::clamp(decimals, 0, kMaxDecimals);
    SetValue(m_dValue);
}

QString CFloatEditText::Regroup(const QString& text) const {
    QString t = text;
    t.remove(m_cThousands);
    if (!m_bGrouping) return t;

    const qsizetype k = t.indexOf(m_cDecimal);
    const QString integerPart = k < 0 ? t : t.left(k);
    const QString fraction = k < 0 ? QString() : t.mid(k + 1);

    QString grouped;
    int count = 0;
    for (qsizetype i = integerPart.size() - 1; i >= 0; --i) {
        grouped.prepend(integerPart.at(i));
        if (++count % 3 == 0) grouped.prepend(m_cThousands);
    }

    QString result = m_nDecimals > 0 ? grouped + m_cDecimal + fraction : grouped;

    const bool negative = result.startsWith(u'-');
    if (negative) result.remove(0, 1);
    if (result.startsWith(m_cThousands)) result.remove(0, 1);
    if (negative) result.prepend(u'-');
    return result;
}

QString CFloatEditText::Format(double value) const {
    if (!std::isfinite(value)) value = 0.0;
    const bool negative = std::signbit(value);
    const double magnitude = std::fabs(value);

    const QString digits = QString::number(magnitude, 'f', m_nDecimals);
    const qsizetype point = digits.indexOf(u'.');
    QString integerPart = point < 0 ? digits : digits.left(point);
    const QString fraction = point < 0 ? QString() : digits.mid(point + 1);
    // Magnitudes below 1 show no integer digit; a whole-number field still shows its zero.
    qsizetype zeros = 0;
    while (zeros < integerPart.size() && integerPart.at(zeros) == u'0')
        ++zeros;
    integerPart.remove(0, zeros);
    if (integerPart.isEmpty() && m_nDecimals == 0) integerPart = QStringLiteral("0");

    QString text = integerPart;
    if (m_nDecimals > 0) text += m_cDecimal + fraction;
    text = Regroup(text);
    if (negative) text.prepend(u'-');
    return text;
}

double CFloatEditText::Parse(const QString& text) const {
    QString t = text;
    t.remove(m_cThousands);
    const qsizetype k = t.indexOf(m_cDecimal);
    const QString integerPart = k < 0 ? t : t.left(k);
    const QString fraction = k < 0 ? QString() : t.mid(k + 1);

    // Locale-independent, like atof in the "C" locale: the longest leading number, 0 when none.
    std::string s;
    for (QChar c : integerPart + u'.' + fraction)
        s += c.unicode() < 128 ? char(c.unicode()) : '?';
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r')))
        ++i;
    if (i < s.size() && s[i] == '+') ++i;
    if (i < s.size() && s[i] == '+') return 0.0;
    double value = 0.0;
    const auto res = std::from_chars(s.data() + i, s.data() + s.size(), value, std::chars_format::fixed);
    if (res.ec == std::errc::result_out_of_range) return s[i] == '-' ? -DBL_MAX : DBL_MAX;
    if (res.ec != std::errc()) return 0.0;
    return value;
}

void CFloatEditText::SetTextAndCaret(const QString& text, int caret) {
    m_strText = text;
    caret = std::clamp(caret, 0, int(m_strText.size()));
    m_nSelStart = m_nSelEnd = caret;
    m_dValue = Parse(m_strText);
}

void CFloatEditText::SetValue(double value) {
    m_dValue = std::isfinite(value) ? value : 0.0;
    SetTextAndCaret(Format(m_dValue), 0);
}

void CFloatEditText::SetState(const QString& text, int selStart, int selEnd) {
    m_strText = text;
    const int n = int(text.size());
    selStart = std::clamp(selStart, 0, n);
    selEnd = std::clamp(selEnd, 0, n);
    m_nSelStart = std::min(selStart, selEnd);
    m_nSelEnd = std::max(selStart, selEnd);
}

void CFloatEditText::Normalise() {
    const int start = m_nSelStart;
    if (m_nSelEnd > m_nSelStart) m_strText.remove(m_nSelStart, m_nSelEnd - m_nSelStart);
    SetTextAndCaret(m_strText, start);
    SetValue(m_dValue);
    m_nSelStart = m_nSelEnd = std::clamp(start, 0, int(m_strText.size()));
}

bool CFloatEditText::OnChar(QChar c) {
    if (c == u'-' || c == u'+') {
        Normalise();
        Sign(c);
    } else if (c >= u'0' && c <= u'9') {
        Normalise();
        InsertDigit(c);
    } else if (c == kBackspace) {
        if (m_nSelEnd > m_nSelStart)
            Normalise();
        else
            Backspace();
    } else if (c == m_cDecimal) {
        Normalise();
        DecimalSeparator();
    } else {
        return false;
    }
    return true;
}

void CFloatEditText::Sign(QChar c) {
    QString s = m_strText;
    int p = m_nSelStart;
    if (s.startsWith(u'-')) {
        s.remove(0, 1);
        --p;
    } else if (c == u'-') {
        s.prepend(u'-');
        ++p;
    }
    SetTextAndCaret(s, p);
}

void CFloatEditText::InsertDigit(QChar d) {
    QString s = m_strText;
    int p = m_nSelStart;
    const qsizetype k = s.indexOf(m_cDecimal);
    if (k >= 0 && p > k) {
        if (p < s.size()) {
            s[p] = d;
            ++p;
        }
    } else {
        const int tail = int(s.size()) - p;
        s.insert(p, d);
        s = Regroup(s);
        p = int(s.size()) - tail;
    }
    if (p >= 0 && p < s.size() && s.at(p) == m_cThousands) ++p;
    SetTextAndCaret(s, p);
}

void CFloatEditText::DecimalSeparator() {
    QString s = m_strText;
    const int p = m_nSelStart;
    qsizetype k = s.indexOf(m_cDecimal);
    if (k < 0 || p <= k) s = s.left(p) + s.mid(k < 0 ? s.size() : k);
    s = Regroup(s);
    k = s.indexOf(m_cDecimal);
    SetTextAndCaret(s, k >= 0 ? int(k) + 1 : int(s.size()));
}

void CFloatEditText::Backspace() {
    QString s = m_strText;
    int p = m_nSelStart;
    if (p > 0 && s.at(p - 1) == m_cDecimal) --p;
    const qsizetype k = s.indexOf(m_cDecimal);
    if (k >= 0 && p > k) {
        s = s.left(p - 1) + s.mid(p) + u'0';
        --p;
    } else {
        const int tail = int(s.size()) - p;
        if (p >= 2 && s.at(p - 1) == m_cThousands)
            s.remove(p - 2, 2);
        else if (p > 0)
            s.remove(p - 1, 1);
        s = Regroup(s);
        p = int(s.size()) - tail;
    }
    SetTextAndCaret(s, p);
}

void CFloatEditText::OnDelete() {
    if (m_nSelEnd > m_nSelStart) {
        Normalise();
        return;
    }
    QString s = m_strText;
    int p = m_nSelStart;
    if (p < s.size() && s.at(p) == m_cDecimal) ++p;
    const qsizetype k = s.indexOf(m_cDecimal);
    if (k >= 0 && p > k) {
        if (p < s.size()) s = s.left(p) + s.mid(p + 1) + u'0';
    } else {
        int tail = int(s.size()) - p;
        if (p + 1 < s.size() && s.at(p) == m_cThousands) {
            s.remove(p, 2);
            tail -= 2;
        } else if (p < s.size()) {
            s.remove(p, 1);
            tail -= 1;
        }
        s = Regroup(s);
        p = int(s.size()) - tail;
    }
    SetTextAndCaret(s, p);
}
