#pragma once

#include "cardview.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <map>
#include <vector>

class QPainter;

// The printed database listing, laid out line by line as on a line printer: a
// current position (X, Y) in device pixels, a current font (always the Times
// face, a size in points and a weight), texts printed at the current position
// that either stay on the line or go to the next one. Every offset of the
// layout is a number of device pixels of a 600 dpi printer.
namespace listing
{

// One text as it was printed, for the checks of the layout.
struct Run {
    int page = 1; // 1-based page of the document
    QString text;
    double x = 0;     // left edge, device pixels
    double y = 0;     // top of the text line, device pixels
    double right = 0; // x + the text's advance width
    double points = 0;
    bool bold = false;
};

class PageWriter
{
public:
    // `page` is the printable area in device pixels; `newPage` starts a new
    // page of the device and tells whether it could.
    PageWriter(QPainter &painter, QSizeF page, std::function<bool()> newPage);

    double W() const { return page_.width(); }
    double H() const { return page_.height(); }

    void setPoints(double points);
    void setBold(bool bold);
    double points() const { return points_; }
    bool bold() const { return bold_; }

    double textWidth(const QString &text);
    double textHeight(); // line height of the current font

    // Draws `text` with its top-left corner at the current position, then
    // either stays on the line (X after the text) or goes to the next line.
    void print(const QString &text, bool nextLine);
    void nextLine(); // X = 0, Y + line height
    // A picture filling `place`: `image` on an image painted one for one,
    // else drawn from `source` at the device's resolution (vectors on a
    // printer or in a PDF file). Nothing when `image` is null.
    void drawPicture(const QRectF &place, const QImage &image, const QString &source);
    bool newPage();

    double X = 0;
    double Y = 0;
    int page() const { return pageNumber_; }

    // When set, every printed text is recorded here.
    std::vector<Run> *journal = nullptr;

private:
    struct FontEntry {
        QFont font;
        QFontMetricsF metrics;
    };
    const FontEntry &current();

    QPainter &painter_;
    QSizeF page_;
    std::function<bool()> newPage_;
    double points_ = 10;
    bool bold_ = false;
    int pageNumber_ = 1;
    std::map<std::pair<int, bool>, FontEntry> fonts_; // by (points x 100, bold)
    const FontEntry *current_ = nullptr;
    const FontEntry *applied_ = nullptr;
};

// The hazard pictograms as rendered pictures, for pages that are images; a
// printer or a PDF file gets them drawn from their sources.
struct Pictograms {
    std::array<QImage, 4> images; // the orange squares
    std::array<QImage, 4> ghs;    // the CLP diamonds
    QImage environment;           // GHS09
    static Pictograms load();     // the application's pictures, rendered finely
    const QImage &hazard(hazardpictures::Style style, std::size_t j) const
    {
        return style == hazardpictures::Style::Ghs ? ghs[j] : images[j];
    }
};

// Pictogram size and spacing on paper, in device pixels.
inline constexpr double kPictogramSize = 66;
inline constexpr double kPictogramGap = 20;

inline const QString kTitle = QStringLiteral("Base de données espèces chimiques");
inline const QString kFooter = QStringLiteral("Lumisque - BORVEL - page");

// The footer of page p: "Lumisque - BORVEL - page 1" (the number as a
// number-to-text conversion writes it, with a space before it).
QString footerText(int page);

// "Environnement : non polluant." / "Environnement : risque de pollution pour
// l'air, l'eau." / "Environnement : " (no option).
QString environmentLine(const CardView &card);

// The name line: "nom : " then the formula character by character, scripts
// in 10 pt below or above the 14 pt line whose top is the current Y.
void printNameLine(PageWriter &out, const QString &nom, const QString &formule);

// The aspect text as printed after its label: its own line breaks kept, and
// each line broken after the last space that keeps it within `firstWidth`
// (the first line) or `width` (the others); a word wider than a whole line
// is cut inside the word.
QStringList wrapAspect(const QString &text, double firstWidth, double width,
                       const std::function<double(const QString &)> &textWidth);

// One card block, from the current Y.
void printCardBlock(PageWriter &out, const CardView &card, const Pictograms &pictograms);

// Called after each card: (cards printed, cards to print).
using Progress = std::function<void(int, int)>;

// One copy of the listing, on the current page: the title, then the block of
// each card in turn, with the page rule and the footers. False when a new
// page could not be started.
bool printListing(PageWriter &out, const std::vector<CardView> &cards, const Pictograms &pictograms,
                  const Progress &progress = {});

} // namespace listing
