#pragma once

#include <QValidator>

// Refuses, when typed or pasted, what a record cannot hold: a character that
// Windows-1252 has no byte for and, when `maxLength` is positive, a text
// longer than that many characters.
class Cp1252Validator : public QValidator
{
    Q_OBJECT
public:
    explicit Cp1252Validator(QObject *parent = nullptr) : Cp1252Validator(0, parent) {}
    Cp1252Validator(int maxLength, QObject *parent) : QValidator(parent), maxLength_(maxLength) {}

    State validate(QString &input, int &pos) const override;

private:
    int maxLength_;
};

// Every character of `text` has a Windows-1252 byte.
bool cp1252Encodable(const QString &text);
