#pragma once

#include <QChar>
#include <QString>

// The text model of the numeric edit: a signed decimal number grouped in threes with a
// fixed number of decimals, rebuilt around the caret at every editing key.
class CFloatEditText {
public:
    struct Separators {
        QChar decimal;
        QChar thousands;
    };

    CFloatEditText() = default;

    // Separators from the locale's texts: first character of each; the thousands separator
    // keeps "," when it would be the decimal separator's character; an empty text keeps the default.
    static Separators SeparatorsFrom(const QString& decimalText, const QString& thousandsText);

    void SetSeparators(QChar decimal, QChar thousands);
    QChar DecimalSeparator() const { return m_cDecimal; }
    QChar ThousandsSeparator() const { return m_cThousands; }

    void SetGrouping(bool grouping);
    bool Grouping() const { return m_bGrouping; }

    void SetDecimals(int decimals);
    int Decimals() const { return m_nDecimals; }

    double GetValue() const { return m_dValue; }
    void SetValue(double value);

    QString Regroup(const QString& text) const;
    QString Format(double value) const;

    // Shows the text with an empty selection at the caret and parses it into the value.
    void SetTextAndCaret(const QString& text, int caret);

    // What the box currently shows, before a key is applied.
    void SetState(const QString& text, int selStart, int selEnd);

    void Normalise();
    // A typed character; false when it is not one the control understands (discarded).
    bool OnChar(QChar c);
    void OnDelete();

    const QString& Text() const { return m_strText; }
    int SelStart() const { return m_nSelStart; }
    int SelEnd() const { return m_nSelEnd; }

    static constexpr QChar kBackspace = QChar(8);
    static constexpr int kMaxDecimals = 20;

private:
    double Parse(const QString& text) const;
    void Sign(QChar c);
    void InsertDigit(QChar d);
    void DecimalSeparator();
    void Backspace();

    double m_dValue = 0.0;
    bool m_bGrouping = true;
    QChar m_cThousands = u',';
    QChar m_cDecimal = u'.';
    int m_nDecimals = 2;

    QString m_strText;
    int m_nSelStart = 0;
    int m_nSelEnd = 0;
};
