#pragma once

#include <QString>
#include <QStringView>

// Find as you type in the species list: a species is kept when the typed text
// lies within its name or its formula, both compared folded.
namespace speciessearch
{

// The text as the search compares it: lower case, accents dropped (É -> e),
// ligatures spread (œ -> oe, æ -> ae, ß -> ss), compatibility forms resolved
// (² -> 2), typographic quotes and dashes made plain, the formula markers
// "#" and "*" left out, and each run of spaces made one space.
QString fold(QStringView text);

// The query as typed, folded, without spaces at its ends; empty when the
// field asks for the whole list.
QString foldQuery(QStringView typed);

// What one row is searched by, folded once when the list is filled.
struct Key {
    QString nom;
    QString formule;
    friend bool operator==(const Key &, const Key &) = default;
};

Key keyOf(QStringView nom, QStringView formule);

// True when the folded query lies within the name or the formula. An empty
// query keeps every row.
inline bool matches(const Key &key, QStringView foldedQuery)
{
    return foldedQuery.isEmpty() || key.nom.contains(foldedQuery) ||
           key.formule.contains(foldedQuery);
}

} // namespace speciessearch
