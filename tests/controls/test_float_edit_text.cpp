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
    // Puts a text in the box with the caret at p, as the user left it.
    static CFloatEditText At(const QString& text, int p, int decimals = 2) {
        CFloatEditText m = Model(decimals);
        m.SetTextAndCaret(text, p);
        return m;
    }

private slots:
    void setValueFormats_data() {
        QTest::addColumn<int>("decimals");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("stored");
        QTest::newRow("millions") << 2 << 1234567.891 << "1,234,567.89" << 1234567.89;
        QTest::newRow("half") << 2 << 0.5 << ".50" << 0.5;
        QTest::newRow("leading zero of fraction") << 2 << 0.05 << ".05" << 0.05;
        QTest::newRow("negative") << 2 << -1234.5 << "-1,234.50" << -1234.5;
        QTest::newRow("three digits") << 2 << 123.0 << "123.00" << 123.0;
        QTest::newRow("six digits negative") << 0 << -123456.0 << "-123,456" << -123456.0;
        QTest::newRow("no decimals rounds") << 0 << 12.7 << "13" << 13.0;
        QTest::newRow("zero") << 2 << 0.0 << ".00" << 0.0;
        QTest::newRow("zero without decimals") << 0 << 0.0 << "0" << 0.0;
        QTest::newRow("not a number") << 2 << std::nan("") << ".00" << 0.0;
    }
    void setValueFormats() {
        QFETCH(int, decimals);
        QFETCH(double, value);
        QFETCH(QString, text);
        QFETCH(double, stored);
        CFloatEditText m = Model(decimals);
        m.SetValue(value);
        QCOMPARE(m.Text(), text);
        QCOMPARE(m.SelStart(), 0);
        QCOMPARE(m.SelEnd(), 0);
        QCOMPARE(m.GetValue(), stored);
    }

    void setDecimalsRebuildsText() {
        CFloatEditText m = Model();
        m.SetValue(12.345);
        QCOMPARE(m.Text(), QString("12.35"));
        m.SetDecimals(0);
        QCOMPARE(m.Text(), QString("12"));
        QVERIFY(!m.Text().contains('.'));
    }

    void regroup_data() {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("short") << "123.00"
                               << "123.00";
        QTest::newRow("minus counted like a digit") << "-123456.00"
                                                    << "-123,456.00";
        QTest::newRow("minus over three") << "-123.00"
                                          << "-123.00";
        QTest::newRow("old separators removed") << "1,2,34.50"
                                                << "1,234.50";
        QTest::newRow("separator appended") << "1234"
                                            << "1,234.";
    }
    void regroup() {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(Model().Regroup(in), out);
    }

    void decimalSeparatorDropsDigitsUpToIt() {
        CFloatEditText m = At("1,234.50", 3);
        QVERIFY(m.OnChar('.'));
        QCOMPARE(m.Text(), QString("12.50"));
        QCOMPARE(m.SelStart(), 3);
        QCOMPARE(m.GetValue(), 12.5);
    }

    void decimalSeparatorInFractionOnlyMovesCaret() {
        CFloatEditText m = At("1,234.50", 7);
        m.OnChar('.');
        QCOMPARE(m.Text(), QString("1,234.50"));
        QCOMPARE(m.SelStart(), 6);
    }

    void backspaceInFractionShiftsAndPadsZero() {
        CFloatEditText m = At("1,234.56", 8);
        m.OnChar(CFloatEditText::kBackspace);
        QCOMPARE(m.Text(), QString("1,234.50"));
        QCOMPARE(m.SelStart(), 7);
        QCOMPARE(m.GetValue(), 1234.5);
    }

    void backspaceJumpsOverSeparators() {
        CFloatEditText m = At("1,234.00", 2);
        m.OnChar(CFloatEditText::kBackspace);
        QCOMPARE(m.Text(), QString("234.00"));
        QCOMPARE(m.SelStart(), 0);

        CFloatEditText d = At("1,234.50", 6); // right after the decimal separator
        d.OnChar(CFloatEditText::kBackspace);
        QCOMPARE(d.Text(), QString("123.50"));
        QCOMPARE(d.SelStart(), 3);
    }

    void backspaceAtStartChangesNothing() {
        CFloatEditText m = At("1,234.50", 0);
        m.OnChar(CFloatEditText::kBackspace);
        QCOMPARE(m.Text(), QString("1,234.50"));
        QCOMPARE(m.SelStart(), 0);
    }

    void deleteBeforeSeparatorClearsFractionDigit() {
        CFloatEditText m = At("1,234.50", 5);
        m.OnDelete();
        QCOMPARE(m.Text(), QString("1,234.00"));
        QCOMPARE(m.SelStart(), 6);
    }

    void deleteOverThousandsSeparatorTakesTheDigit() {
        CFloatEditText m = At("1,234.00", 1);
        m.OnDelete();
        QCOMPARE(m.Text(), QString("134.00"));
        QCOMPARE(m.SelStart(), 1);
        CFloatEditText end = At("1,234.50", 8);
        end.OnDelete();
        QCOMPARE(end.Text(), QString("1,234.50"));
    }

    void digitsInsertInIntegerAndOverwriteFraction() {
        CFloatEditText m = At("1,234.50", 0);
        m.OnChar('9');
        QCOMPARE(m.Text(), QString("91,234.50"));
        QCOMPARE(m.SelStart(), 1);

        CFloatEditText f = At("1,234.50", 6);
        f.OnChar('7');
        QCOMPARE(f.Text(), QString("1,234.70"));
        QCOMPARE(f.SelStart(), 7);
        QCOMPARE(f.GetValue(), 1234.7);

        CFloatEditText full = At("1,234.50", 8);
        full.OnChar('7');
        QCOMPARE(full.Text(), QString("1,234.50"));
    }

    void digitSkipsSeparatorAfterCaret() {
        // 123 -> 1,234 with the caret landing on the comma moves past it.
        CFloatEditText m = At("123.00", 0);
        m.OnChar('4');
        QCOMPARE(m.Text(), QString("4,123.00"));
        QCOMPARE(m.SelStart(), 2);
    }

    void signTogglesAndPlusMakesPositive() {
        CFloatEditText m = At("12.00", 2);
        m.OnChar('-');
        QCOMPARE(m.Text(), QString("-12.00"));
        QCOMPARE(m.SelStart(), 3);
        QCOMPARE(m.GetValue(), -12.0);
        m.OnChar('-');
        QCOMPARE(m.Text(), QString("12.00"));
        QCOMPARE(m.SelStart(), 2);
        m.OnChar('+');
        QCOMPARE(m.Text(), QString("12.00"));
        QCOMPARE(m.GetValue(), 12.0);
    }

    void minusOnZeroThenDigitGivesNegative() {
        CFloatEditText m = Model();
        m.SetValue(0);
        m.OnChar('-');
        m.OnChar('5');
        QCOMPARE(m.Text(), QString("-5.00"));
        QCOMPARE(m.GetValue(), -5.0);
    }

    void typingReplacesSelection() {
        CFloatEditText m = Model();
        m.SetValue(1234.5);
        m.SetState(m.Text(), 0, int(m.Text().size()));
        m.OnChar('7');
        QCOMPARE(m.Text(), QString("7.00"));
        QCOMPARE(m.SelStart(), 1);
        QCOMPARE(m.GetValue(), 7.0);
    }

    void otherCharactersAreDropped() {
        CFloatEditText m = At("12.00", 1);
        for (QChar c : QString("a ,e*\t"))
            QVERIFY(!m.OnChar(c));
        QCOMPARE(m.Text(), QString("12.00"));
        QCOMPARE(m.SelStart(), 1);
    }

    void groupingOffNeverShowsSeparator() {
        CFloatEditText m = Model();
        m.SetGrouping(false);
        m.SetValue(1234567.5);
        QCOMPARE(m.Text(), QString("1234567.50"));
        m.SetTextAndCaret(m.Text(), 0);
        m.OnChar('9');
        m.OnChar('8');
        QCOMPARE(m.Text(), QString("981234567.50"));
        QVERIFY(!m.Text().contains(','));
        QCOMPARE(m.GetValue(), 981234567.5);
    }

    void separatorsFromLocale() {
        const auto german = CFloatEditText::SeparatorsFrom(",", ".");
        QCOMPARE(german.decimal, QChar(','));
        QCOMPARE(german.thousands, QChar('.'));
        const auto same = CFloatEditText::SeparatorsFrom(".", ".");
        QCOMPARE(same.decimal, QChar('.'));
        QCOMPARE(same.thousands, QChar(','));
        const auto sameComma = CFloatEditText::SeparatorsFrom(",", ",");
        QVERIFY(sameComma.thousands != sameComma.decimal);
        const auto failed = CFloatEditText::SeparatorsFrom(QString(), QString());
        QCOMPARE(failed.decimal, QChar('.'));
        QCOMPARE(failed.thousands, QChar(','));
        const auto longText =
            CFloatEditText::SeparatorsFrom(QString::fromUtf16(u"\u066B."), QString::fromUtf16(u"\u202Fx"));
        QCOMPARE(longText.decimal, QChar(0x066B));
        QCOMPARE(longText.thousands, QChar(0x202F));
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
