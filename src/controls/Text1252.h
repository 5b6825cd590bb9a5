// Text of the record files is single-byte Windows-1252; the window shows it as QString.
#pragma once

#include <QString>
#include <QValidator>

#include <string>

// The record-file bytes of a text; false (and out untouched) when a character has no
// Windows-1252 byte.
bool ToCp1252(const QString& text, std::string* out);
bool IsCp1252(const QString& text);
QString FromCp1252(const std::string& bytes);
// For look-ups typed by the user: a character with no Windows-1252 byte becomes '?', which
// matches nothing stored.
std::string ToCp1252Lossy(const QString& text);

// Refuses, as they are typed or pasted, characters a record field cannot hold and text longer
// than the field.
class CCp1252Validator : public QValidator {
    Q_OBJECT
public:
    explicit CCp1252Validator(int maxLength, QObject* parent = nullptr)
        : QValidator(parent), m_nMaxLength(maxLength) {}
    State validate(QString& input, int& pos) const override;

private:
    int m_nMaxLength;
};
