#pragma once

#include "cardview.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The card picture as a file: PNG at 1, 2 or 4 times the panel's size, SVG or
// PDF, the kind told by the file name.
namespace picturefile
{

// A card's name as a file name (without its ending): the characters a file
// name cannot hold replaced by "-", no leading dot, "Carte" when nothing is left.
QString fileBaseName(const QString &nom);

enum class Kind { Png, Svg, Pdf };

struct Format {
    Kind kind = Kind::Png;
    int scale = 1; // PNG only: 1, 2 or 4

    bool operator==(const Format &) const = default;
};

// The format a file name asks for, by its ending, in any case: ".png" the
// panel's size, "@2x.png" and "@4x.png" twice and four times as large (the
// usual marks of high-density pictures), ".svg", ".pdf". Nothing for any
// other name.
std::optional<Format> formatOf(const QString &path);

// The file's content. PNG at 1x is the copied picture, pixel for pixel;
// larger PNG files are drawn at their size, not enlarged; SVG and PDF hold
// the texts as text and the pictures as vectors, the PDF page the card's size.
QByteArray cardPictureBytes(const CardView &view, Format format);

// Writes the picture to `path` in one step: a failed write leaves the old
// file as it was and no partial one. False when the name has no known
// format or the file cannot be written.
bool writeCardPicture(const CardView &view, const QString &path);

} // namespace picturefile
