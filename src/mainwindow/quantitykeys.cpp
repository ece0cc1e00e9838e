#include "quantitykeys.h"

QuantityKey filterQuantityKey(QChar typed, bool miscible)
{
    const char16_t c = typed.unicode();
    if (miscible && (c == u'm' || c == u'M'))
        return {QuantityKey::Miscible, {}};
    if (c == u'.')
        return {QuantityKey::Insert, QLatin1Char(',')};
    if ((c >= u'0' && c <= u'9') || c == u',' || c == u'-' || c == u'\b')
        return {QuantityKey::Accept, typed};
    return {QuantityKey::Refuse, {}};
}
