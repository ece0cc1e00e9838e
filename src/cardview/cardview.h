#pragma once

#include "hazardpictures.h"

#include <QRect>
#include <QString>

#include <array>

// What the card editor shows at one moment, as the card picture and the
// printing read it: texts, choices and the geometry the editor laid out.
struct CardView {
    QString nom;
    QString formule; // markup: "#" subscript, "*" superscript, one marker per character
    QString aspect;  // may hold CR LF line breaks
    std::array<QString, 7> quantites;    // Text3(0)..Text3(6)
    std::array<QRect, 7> quantityBoxes;  // Text3(k) geometry now, Frame1 pixels
    std::array<QRect, 7> quantityLabels; // Label4(k) geometry now, Frame1 pixels
    QString densityCaption = QStringLiteral("Densité par rapport à l'eau :"); // Label4(2)

    bool organique = false;        // Option1
    bool inorganique = false;      // Option2
    std::array<bool, 4> hazards{}; // Image8(k) visible
    bool nonPolluant = false;      // Option3
    bool risquePollution = false;  // Option4
    std::array<bool, 3> polu{};    // polu(0..2) checked
    bool locked = false;           // verrou shown
    hazardpictures::Style pictogramStyle = hazardpictures::Style::Orange;
};
