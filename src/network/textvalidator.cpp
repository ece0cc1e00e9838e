#include "textvalidator.h"

#include "cp1252.h"

namespace network
{

QValidator::State Cp1252Validator::validate(QString &input, int &) const
{
    const auto bytes = cards::toCp1252(input.toStdString());
    if (!bytes)
        return Invalid;
    if (maxLength_ > 0 && static_cast<int>(bytes->size()) > maxLength_)
        return Invalid;
    return Acceptable;
}

} // namespace network
