// The numeric edit's text model, driven without a window.
#include "CFloatEditText.h"

#include <QtTest>

class TestFloatEditText : public QObject {
    Q_OBJECT

    static CFloatEditText Model(int decimals = 2) {
        CFloatEditText m;
        m.SetDecimals(decimals);
        return m;
    }

private slots:
    // Formatted with grouping, rounded to the decimals; the value kept is the one shown, the caret
    // at the start. Changing the decimals rebuilds the text.
    void setValueFormatsAndKeepsTheShownValue() {
        const std::tuple<int, double, const char*, double> cases[] = {
            {2, 1234567.891, "1,234,567.89", 1234567.89},
            {2, 0.5, ".50", 0.5},
            {2, 0.05, ".05", 0.05}, // the leading zero of the fraction
            {2, -1234.5, "-1,234.50", -1234.5},
            {2, 123.0, "123.00", 123.0},
            {0, -123456.0, "-123,456", -123456.0},
            {0, 12.7, "13", 13.0},
            {2, 0.0, ".00", 0.0},
            {0, 0.0, "0", 0.0},
            {2, std::nan(""), ".00", 0.0}};
        for (auto [decimals, value, text, stored] : cases) {
            CFloatEditText m = Model(decimals);
            m.SetValue(value);
            QVERIFY2(m.Text() == text && m.SelStart() == 0 && m.SelEnd() == 0 && m.GetValue() == stored,
                     qPrintable(QString(text) + " gave " + m.Text()));
        }
        CFloatEditText m = Model();
        m.SetValue(12.345);
        QCOMPARE(m.Text(), QString("12.35"));
        m.SetDecimals(0);
        QCOMPARE(m.Text(), QString("12"));
    }

    void regroup() {
        const std::pair<const char*, const char*> cases[] = {
            {"123.00", "123.00"},   {"-123456.00", "-123,456.00"}, // the minus counted like a digit
            {"-123.00", "-123.00"}, {"1,2,34.50", "1,234.50"},     // old separators removed
            {"1234", "1,234."},                                    // the separator appended
        };
        for (auto [in, out] : cases)
            QCOMPARE(Model().Regroup(in), QString(out));
    }

    // Keys typed at a caret or over a selection: '\b' is Backspace, '\x7f' Delete. The value always
    // follows the text shown.
    void keystrokes() {
        struct Case {
            const char* text;
            int selStart, selEnd;
            const char* keys;
            const char* out;
            int caret;
        };
        const Case cases[] = {
            {"1,234.50", 3, 3, ".", "12.50", 3},     // the point drops the digits up to it
            {"1,234.50", 7, 7, ".", "1,234.50", 6},  // in the fraction it only moves the caret
            {"1,234.56", 8, 8, "\b", "1,234.50", 7}, // backspace in the fraction pads a zero
            {"1,234.00", 2, 2, "\b", "234.00", 0},   // and jumps over separators
            {"1,234.50", 6, 6, "\b", "123.50", 3},
            {"1,234.50", 0, 0, "\b", "1,234.50", 0},
            {"1,234.50", 5, 5, "\x7f", "1,234.00", 6}, // delete before the point clears a fraction digit
            {"1,234.00", 1, 1, "\x7f", "134.00", 1},   // over a thousands separator takes the digit
            {"1,234.50", 8, 8, "\x7f", "1,234.50", 8},
            {"1,234.50", 0, 0, "9", "91,234.50", 1}, // digits insert in the integer part
            {"1,234.50", 6, 6, "7", "1,234.70", 7},  // and overwrite the fraction
            {"1,234.50", 8, 8, "7", "1,234.50", 8},
            {"123.00", 0, 0, "4", "4,123.00", 2}, // past the separator that appears
            {"12.00", 2, 2, "-", "-12.00", 3},
            {"12.00", 2, 2, "--", "12.00", 2}, // minus toggles
            {"-12.00", 3, 3, "+", "12.00", 2}, // plus makes positive
            {".00", 0, 0, "-5", "-5.00", 2},
            {"1,234.50", 0, 8, "7", "7.00", 1},     // a digit replaces the selection
            {"12.00", 1, 1, "a ,e*\t", "12.00", 1}, // anything else is dropped
        };
        for (const Case& c : cases) {
            const QString row = QStringLiteral("%1 at %2: %3").arg(c.text).arg(c.selStart).arg(c.keys);
            CFloatEditText m = Model();
            m.SetTextAndCaret(c.text, c.selStart);
            m.SetState(c.text, c.selStart, c.selEnd);
            for (QChar k : QString(c.keys)) {
                if (k == QChar(0x7f))
                    m.OnDelete();
                else
                    m.OnChar(k);
            }
            QVERIFY2(m.Text() == c.out && m.SelStart() == c.caret, qPrintable(row + " gave " + m.Text()));
            QVERIFY2(m.GetValue() == QString(c.out).remove(QLatin1Char(',')).toDouble(), qPrintable(row));
        }
    }

    // The locale's first characters, unless missing or equal: then the defaults, never one
    // character for both.
    void separatorsFromLocale() {
        const std::tuple<QString, QString, QChar, QChar> cases[] = {
            {",", ".", ',', '.'},
            {".", ".", '.', ','},
            {",", ",", ',', '.'},
            {QString(), QString(), '.', ','},
            {QString::fromUtf16(u"\u066B."), QString::fromUtf16(u"\u202Fx"), QChar(0x066B), QChar(0x202F)}};
        for (const auto& [decimal, thousands, wantDecimal, wantThousands] : cases) {
            const auto got = CFloatEditText::SeparatorsFrom(decimal, thousands);
            QVERIFY2(got.decimal == wantDecimal && got.thousands == wantThousands,
                     qPrintable(decimal + " " + thousands));
        }
    }

    void localeSeparatorsDriveTextButParseUsesPoint() {
        CFloatEditText m;
        m.SetSeparators(',', '.');
        m.SetDecimals(2);
        m.SetValue(1234.5);
        QCOMPARE(m.Text(), QString("1.234,50"));
        m.SetTextAndCaret(m.Text(), 2);
        m.OnChar(',');
        QCOMPARE(m.Text(), QString("1,50"));
        QCOMPARE(m.GetValue(), 1.5);
    }

    void hostileStatesNeverCrash() {
        CFloatEditText m = Model();
        const QStringList texts = {"", "-", ".", ",", "--1", "1.2.3", ",,,", QString(400, '9') + ".5", "abc"};
        for (const QString& t : texts) {
            for (int p : {-5, 0, 1, 3, 1000}) {
                for (QChar c : QString("-+0.9")) {
                    m.SetState(t, p, p + 2);
                    m.OnChar(c);
                    m.SetState(t, p, p);
                    m.OnChar(c);
                    m.SetState(t, p, p);
                    m.OnChar(CFloatEditText::kBackspace);
                    m.SetState(t, p, p);
                    m.OnDelete();
                    QVERIFY(m.SelStart() >= 0 && m.SelStart() <= m.Text().size());
                }
            }
        }
        m.SetDecimals(-3);
        QCOMPARE(m.Decimals(), 0);
        m.SetDecimals(500);
        m.SetValue(1e308);
        QVERIFY(std::isfinite(m.GetValue()));
    }
};

QTEST_APPLESS_MAIN(TestFloatEditText)
#include "test_float_edit_text.moc"
