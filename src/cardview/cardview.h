#pragma once

#include "carte.h"
#include "hazardpictures.h"

#include <QRect>
#include <QString>

#include <array>

// What a card shows, as the card picture, the printing and the picture files
// draw it: texts, choices, the quantities' captions and the quantity boxes
// laid out as the editor lays them out.
struct CardView {
    using Quantities = std::array<QString, cards::kQuantityCount>;
    using Boxes = std::array<QRect, cards::kQuantityCount>;

    QString nom;
    QString formule;      // markup: "#" subscript, "*" superscript, one marker per character
    QString aspect;       // may hold CR LF line breaks
    Quantities quantites; // Text3(k)
    Quantities captions = tableCaptions(); // Label4(k), the gas caption where it applies
    Boxes quantityBoxes;                   // Text3(k) geometry, Frame1 pixels (empty: the layout's)
    Boxes quantityLabels; // Label4(k) geometry, Frame1 pixels (empty: the layout's)

    bool organique = false;        // Option1
    bool inorganique = false;      // Option2
    std::array<bool, 4> hazards{}; // Image8(k) visible: the hazard set, its picture shown
    bool nonPolluant = false;      // Option3
    bool risquePollution = false;  // Option4
    std::array<bool, 3> polu{};    // polu(0..2) checked
    bool locked = false;           // verrou shown
    hazardpictures::Style pictogramStyle = hazardpictures::Style::Orange;

    // The quantities' captions as the field table writes them.
    static Quantities tableCaptions();
};

// A stored card as it shows in a pictogram style: the texts; the choices
// from its flag string (a greyed box counts as unchecked, "risque de
// pollution pour:" when a pollution box is checked, else "non polluant"),
// the hazard pictures by the style's rules (showsHazard);
// the captions after its boiling point; the quantity boxes laid out.
CardView cardViewOf(const cards::carte &card,
                    hazardpictures::Style style = hazardpictures::Style::Orange);
