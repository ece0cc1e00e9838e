#pragma once

#include "aspectwrap.h"
#include "cardview.h"
#include "formulamarkup.h"

#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

class QPainter;
class QPixmap;

// Painting of the card and of the main window, shared by the screen, the card
// picture and the printing. Every function paints from the state it is given.
namespace carddraw
{

// Frame1's repaint: the white band and the unit (with its raised exponent)
// right of each quantity box that carries one. `frameWidth` is Frame1's inner width.
void paintUnitMarks(QPainter &p, const CardView::Boxes &boxes, const CardView::Quantities &texts,
                    int frameWidth);

// Whether quantity k shows its unit after `value`: a field that may hold the
// word "miscible" shows none after it.
bool showsUnit(int k, const QString &value);

// The window background: 601-line gradient, the card panel's shadow and the
// embossed "Critère de tri :" heading.
void paintWindowBackground(QPainter &p, const QRect &frame1, int ms1Left);

// Gradient colour of line i (0..600), rounding halves to even.
QRgb gradientColour(int i);

// The bevel of the script-mode panel Picture1 (101 x 63).
void paintBevel(QPainter &p);

// The rendered formula as Picture2 shows it (without the caret marker),
// `size` being Picture2's size.
void paintFormula(QPainter &p, const QString &markup, const QSize &size);

// Measurement of the formula display's font ("Arial" 12 and 8 points).
const formula::Metrics &formulaMetrics();

// Draws a laid-out formula in Picture2's colours (background included).
void paintFormulaLayout(QPainter &p, const formula::Layout &layout, const QSize &size);

// One of the application's pictures (":/pictures/....svg") at its natural size.
QPixmap picture(const QString &resource, const QSize &size);

// A button picture by its name ("btn-imprimer", "exp-expedier"): the desktop
// theme's icon for the same action when the theme has one, else ours.
QIcon buttonIcon(const QString &name);

// The mouse pointer of the aspect and quantity boxes (a pencil, its tip as
// the hot spot).
QCursor quantityCursor();

// The card picture: Frame1's inner size, built from the layout and the view.
// A quantity box or label whose geometry in the view is empty stands where
// the layout puts it.
QImage creimage(const CardView &view);

// The card picture painted in Frame1 pixels from the painter's origin, its
// background included; the painter's state is left as it was. The same
// drawing serves every device: texts stay texts, and the pictures are drawn
// from their SVG sources wherever the device is not an image painted one for
// one (a printer, a PDF or SVG file, an enlarged image).
void paintCard(QPainter &p, const CardView &view);

// The quantity labels and boxes laid out as the editor does it: each label
// as wide as its caption and a space, its box right after it, 17 pixels high
// and as wide as its text plus 8.
void layQuantityBoxes(CardView &view);

// The number of aspect lines that fit in a box of `height` pixels, at least
// one: a further line is printed while the box's bottom lies below the
// current line's bottom plus one line.
int aspectMaxLines(int height, int lineHeight);

// "Non polluant", "Risque de pollution pour l'air, l'eau." ... or "" (no option).
QString pollutionSentence(const CardView &view);

} // namespace carddraw
