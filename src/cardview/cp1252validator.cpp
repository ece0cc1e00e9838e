#include "cp1252validator.h"

#include "cp1252.h"

#include <QStringView>

bool cp1252Encodable(const QString &text)
{
    for (const char32_t c : QStringView(text).toUcs4())
        if (!cards::cp1252Encodable(c))
            return false;
    return true;
}

QValidator::State Cp1252Validator::validate(QString &input, int &) const
{
    if (!cp1252Encodable(input))
        return Invalid;
    // One byte per character once encodable.
    if (maxLength_ > 0 && QStringView(input).toUcs4().size() > maxLength_)
        return Invalid;
    return Acceptable;
}
