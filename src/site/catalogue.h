#pragma once

#include "carte.h"
#include "hazardpictures.h"

#include <QString>

#include <vector>

// The web catalogue of a species database: a folder of plain files that any
// browser reads, opened from a disk or a USB stick as well as from a web
// server, and that the program's download window also reads (its LISTEC.ZYP
// names the card files beside the pages):
//   index.html, site.css, catalogue.js   the list, sorted and searched as the program's
//   especes/NAME.html, .svg, .CAR        each species' page, its card's picture, its card file
//   pictogrammes/*.svg                   the hazard pictograms of the chosen style
//   LISTEC.ZYP                           the download list, addresses relative to it
//   catalogue-cartes.txt                 the mark of a catalogue, and the files it holds
namespace site
{

inline constexpr const char *kMarkFile = "catalogue-cartes.txt";

struct Published {
    bool ok = false;
    QString message; // in French: what was written, or why nothing was
    int species = 0;
};

// Writes the catalogue of `cards` into `folder`, made when missing. A folder
// that holds anything but a catalogue is refused, and nothing is written.
// An existing catalogue is replaced whole: the new files are all written
// beside the old ones first, and only then take their places; the files of
// species no longer there go, the files the catalogue does not own stay. A
// write that fails leaves the old catalogue as it was.
// Draws the card pictures: needs a QGuiApplication.
Published writeCatalogue(const std::vector<cards::carte> &cards, const QString &folder,
                         hazardpictures::Style style);

} // namespace site
