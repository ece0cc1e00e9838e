#pragma once

// The record bytes come from the shared fixtures; the card of the cards tests
// numbers its fields after a tag.

#include "cardbytes.h"
#include "carte.h"

#include <QTest>

#include <string>

inline cards::carte card(const std::string &nom, const std::string &tag = "x")
{
    cards::carte c;
    c.field(1) = nom;
    for (int k = 2; k <= 11; ++k)
        c.field(k) = numbered(tag, k);
    return c;
}
