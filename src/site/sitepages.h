#pragma once

#include "cardview.h"
#include "carte.h"
#include "hazardpictures.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <vector>

// The pages of the web catalogue, as texts: the index of every species and
// one page per species. Everything taken from a card is escaped.
namespace sitepages
{

// One species of the catalogue: its card, what the card shows in the chosen
// pictogram style, and the name its files share in the folder "especes/".
struct Species {
    cards::carte card;
    CardView view;
    QString stem; // "ethanol": especes/ethanol.html, .svg and .CAR
};

// The names the species' files go under, one per card in the same order:
// the species' name folded as the search folds it, letters and digits only,
// words joined by "-", at most 60 characters; a name that two cards would
// share (in any case, as a USB stick's file system compares them) gets "-2",
// "-3"...
std::vector<QString> fileStems(const std::vector<cards::carte> &cards);

// Text for HTML content or a quoted attribute value.
QString escaped(QStringView text);

// The formula markup as HTML: "#" makes the next character a subscript, "*"
// a superscript; a run of one level is one <sub> or <sup>.
QString formulaHtml(QStringView markup);

// The pictogram files the pages of this style use, by the resource they are
// copied from: "flamme.svg" from ":/pictures/flamme.svg".
QString pictogramFile(const QString &resource);
std::vector<QString> pictogramResources(hazardpictures::Style style);

// The page of one species, in "especes/".
QByteArray speciesPage(const Species &species);

// The index: every species in the program's list order by name, each
// linking to its page, and the data the page's script sorts and searches by.
// `species` in any order.
QByteArray indexPage(const std::vector<Species> &species);

// The characters whose search folding a browser cannot work out by itself
// (compatibility decomposition, lower case, non-spacing marks left out), with
// their folded form, as a JSON object keyed by code point.
const QString &foldExceptionsJson();

} // namespace sitepages
