#pragma once

#include <QValidator>

namespace network
{

// Refuses what a record cannot hold: characters without a Windows-1252 byte
// and, when `maxLength` is positive, texts longer than that.
class Cp1252Validator : public QValidator
{
public:
    explicit Cp1252Validator(int maxLength, QObject *parent = nullptr)
        : QValidator(parent), maxLength_(maxLength)
    {
    }
    State validate(QString &input, int &pos) const override;

private:
    int maxLength_;
};

} // namespace network
