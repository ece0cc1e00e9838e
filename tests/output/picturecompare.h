#pragma once

#include "cardlayout.h"

#include <QImage>
#include <QRect>
#include <QStringList>

// Loose comparison of a card drawn on another device (a PDF page rendered
// back, a picture file) with the card picture: the same things at the same
// places in the same colours, whatever the text rendering.
namespace picturecompare
{

inline bool isDark(QRgb c)
{
    return qGray(c) < 96;
}

// The box around the pixels of `area` that pass `test`; empty when none does.
// Any ink at all: the extent of a picture, whose thin strokes each renderer
// shades its own way.
inline bool isInk(QRgb c)
{
    return qGray(c) < 224;
}

inline QRect inkBox(const QImage &image, const QRect &area, bool (*test)(QRgb))
{
    QRect box;
    const QRect a = area.intersected(image.rect());
    for (int y = a.top(); y <= a.bottom(); ++y)
        for (int x = a.left(); x <= a.right(); ++x)
            if (test(image.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

inline QRgb meanColour(const QImage &image, const QRect &area)
{
    const QRect a = area.intersected(image.rect());
    qint64 r = 0, g = 0, b = 0, n = 0;
    for (int y = a.top(); y <= a.bottom(); ++y)
        for (int x = a.left(); x <= a.right(); ++x) {
            const QRgb c = image.pixel(x, y);
            r += qRed(c);
            g += qGreen(c);
            b += qBlue(c);
            ++n;
        }
    return n ? qRgb(int(r / n), int(g / n), int(b / n)) : 0;
}

// Where `drawn` (the card's size, its top-left the card's) departs from
// `picture`: in each control of the layout and in the whole card, the dark
// pixels lie in the same box within `slack` pixels, and the mean colour is
// within `colourSlack` on each channel. Empty when they agree.
inline QStringList differences(const QImage &drawn, const QImage &picture, int slack = 3,
                               int colourSlack = 24)
{
    QStringList out;
    struct Area {
        QString name;
        QRect rect;
        bool (*ink)(QRgb);
    };
    // Texts by their dark pixels, pictures by their extent.
    std::vector<Area> areas{{QStringLiteral("card"), picture.rect(), isDark}};
    static const QStringList notOnTheCard{"Picture1", "opte", "opti", "Frame1"};
    for (const cardlayout::Control &c : cardlayout::allControls())
        if (!notOnTheCard.contains(QString::fromUtf8(c.name)))
            areas.push_back({QString::fromUtf8(c.name),
                             cardlayout::rect(c).intersected(picture.rect()),
                             c.kind == cardlayout::Kind::Image ? isInk : isDark});
    for (const auto &[name, area, ink] : areas) {
        if (area.isEmpty())
            continue;
        const QRect a = inkBox(drawn, area, ink);
        const QRect b = inkBox(picture, area, ink);
        const bool apart =
            a.isEmpty() != b.isEmpty() ||
            (!a.isEmpty() &&
             (qAbs(a.left() - b.left()) > slack || qAbs(a.top() - b.top()) > slack ||
              qAbs(a.right() - b.right()) > slack || qAbs(a.bottom() - b.bottom()) > slack));
        if (apart)
            out << QStringLiteral(
                       "%1: dark pixels in (%2,%3 %4x%5), the picture's in (%6,%7 %8x%9)")
                       .arg(name)
                       .arg(a.x())
                       .arg(a.y())
                       .arg(a.width())
                       .arg(a.height())
                       .arg(b.x())
                       .arg(b.y())
                       .arg(b.width())
                       .arg(b.height());
        const QRgb ca = meanColour(drawn, area);
        const QRgb cb = meanColour(picture, area);
        if (qAbs(qRed(ca) - qRed(cb)) > colourSlack ||
            qAbs(qGreen(ca) - qGreen(cb)) > colourSlack ||
            qAbs(qBlue(ca) - qBlue(cb)) > colourSlack)
            out << QStringLiteral("%1: mean colour #%2, the picture's #%3")
                       .arg(name)
                       .arg(ca & 0xffffff, 6, 16, QLatin1Char('0'))
                       .arg(cb & 0xffffff, 6, 16, QLatin1Char('0'));
    }
    return out;
}

} // namespace picturecompare
