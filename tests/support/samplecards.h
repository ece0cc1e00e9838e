#pragma once

// Cards as the editor shows them, for the drawing, picture, clipboard and
// printing tests.

#include "cardview.h"

#include <QStringList>

// Water with the texts of the bundled card: every quantity filled, inorganic,
// no pictogram, not a pollutant.
inline CardView water()
{
    CardView v;
    v.nom = QStringLiteral("Eau");
    v.formule = QStringLiteral("H#2O");
    v.aspect = QStringLiteral("Liquide incolore, inodore et sans saveur");
    v.quantites = {QStringLiteral("18"),      QStringLiteral("1000"), QStringLiteral("1"),
                   QStringLiteral("100"),     QStringLiteral("0"),    QStringLiteral("1,333"),
                   QStringLiteral("miscible")};
    v.inorganique = true;
    v.nonPolluant = true;
    return v;
}

// Card `i` of a family whose every field is filled and whose choices vary
// with `i`.
inline CardView sampleCard(int i)
{
    static const QStringList formulas{QStringLiteral("H#2O"),        QStringLiteral("C#2H#5OH"),
                                      QStringLiteral("SO#4*2*-"),    QStringLiteral("NaCl"),
                                      QStringLiteral("C#6H#1#2O#6"), QStringLiteral("NH#4*+")};
    CardView c;
    c.nom = QStringLiteral("Espèce %1").arg(i, 4, 10, QLatin1Char('0'));
    c.formule = formulas.at(i % formulas.size());
    c.aspect = i % 3 == 0 ? QStringLiteral("liquide incolore, odeur piquante")
                          : QStringLiteral("solide blanc");
    c.quantites = {QStringLiteral("%1,02").arg(10 + i % 90),
                   QStringLiteral("1000"),
                   QStringLiteral("1,00"),
                   QStringLiteral("100"),
                   QStringLiteral("0"),
                   QStringLiteral("1,333"),
                   i % 4 == 0 ? QStringLiteral("miscible") : QStringLiteral("36")};
    c.organique = i % 2 == 0;
    c.inorganique = !c.organique;
    c.hazards = {i % 2 == 0, i % 3 == 0, i % 5 == 0, i % 7 == 0};
    c.nonPolluant = i % 2 == 0;
    c.risquePollution = !c.nonPolluant;
    c.polu = {i % 3 == 0, true, false};
    return c;
}
