#pragma once

#include "carddraw.h"
#include "cardlayout.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QRect>
#include <QStringList>
#include <QTextItem>

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

// A box as the messages below write it.
inline QString boxText(const QRectF &r)
{
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// Where paintCard puts each of its texts: the box of each text item as a
// vector device is given it, in card pixels, and the texts that a background
// or a picture drawn after them covers in part.
class TextRecorder : public QPaintDevice, QPaintEngine
{
public:
    explicit TextRecorder(const CardView &card) : QPaintEngine(AllFeatures)
    {
        QPainter p(this);
        carddraw::paintCard(p, card);
    }
    std::vector<std::pair<QString, QRectF>> texts;
    QStringList covered;

    QPaintEngine *paintEngine() const override { return const_cast<TextRecorder *>(this); }
    int metric(PaintDeviceMetric m) const override
    {
        const QSize size = cardlayout::kFrame1Inner;
        return m == PdmWidth                          ? size.width()
               : m == PdmHeight                       ? size.height()
               : m == PdmDepth                        ? 32
               : m >= PdmDpiX && m <= PdmPhysicalDpiY ? 96
               : m == PdmDevicePixelRatioScaled       ? int(devicePixelRatioFScale())
                                                      : 1;
    }
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }
    void updateState(const QPaintEngineState &state) override
    {
        if (state.state() & DirtyTransform)
            transform_ = state.transform();
    }
    void drawPixmap(const QRectF &r, const QPixmap &, const QRectF &) override { drawn(r); }
    void drawImage(const QRectF &r, const QImage &, const QRectF &,
                   Qt::ImageConversionFlags) override
    {
        drawn(r);
    }
    void drawRects(const QRectF *r, int count) override
    {
        for (int k = 0; k < count; ++k)
            drawn(r[k]);
    }
    void drawPath(const QPainterPath &path) override { drawn(path.boundingRect()); }
    void drawPolygon(const QPointF *points, int count, PolygonDrawMode) override
    {
        drawn(QPolygonF(QList<QPointF>(points, points + count)).boundingRect());
    }
    void drawTextItem(const QPointF &p, const QTextItem &t) override
    {
        QRectF r(p.x(), p.y() - t.ascent(), t.width(), t.ascent() + t.descent());
        if (painter()->hasClipping())
            r &= painter()->clipBoundingRect();
        if (!t.text().trimmed().isEmpty())
            texts.emplace_back(t.text(), transform_.mapRect(r));
    }

private:
    void drawn(const QRectF &r)
    {
        const QRectF area = transform_.mapRect(r);
        for (const auto &[text, box] : texts)
            if (const QRectF both = area & box; both.width() > 0.01 && both.height() > 0.01)
                covered << QStringLiteral("\"%1\" covered by %2").arg(text, boxText(area));
    }
    QTransform transform_;
};

// Where the card's texts on `drawn` depart from the card picture `picture`
// (both at `scale` times the card's size): within each text's box, what is
// not the picture's background there lies in the same box within `slack`
// pixels; nothing drawn after a text covers it. A text covered in part,
// clipped or drawn wider shows.
inline QStringList textDifferences(const QImage &drawn, const QImage &picture, const CardView &card,
                                   int scale = 1, int slack = 2)
{
    const TextRecorder recorder(card);
    QStringList out = recorder.covered;
    for (const auto &[text, box] : recorder.texts) {
        const QRect aligned = box.toAlignedRect();
        const QRect area =
            QRect(aligned.topLeft() * scale, aligned.size() * scale).intersected(picture.rect());
        if (area.isEmpty())
            continue;
        // The background: the picture's commonest colour on the box's edge.
        QHash<QRgb, int> counts;
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[picture.pixel(x, area.top())], ++counts[picture.pixel(x, area.bottom())];
        for (int y = area.top(); y <= area.bottom(); ++y)
            ++counts[picture.pixel(area.left(), y)], ++counts[picture.pixel(area.right(), y)];
        const QRgb back = std::max_element(counts.begin(), counts.end()).key();
        const auto inkBoxOf = [&](const QImage &image) {
            QRect ink;
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    if (const QRgb c = image.pixel(x, y);
                        std::max({qAbs(qRed(c) - qRed(back)), qAbs(qGreen(c) - qGreen(back)),
                                  qAbs(qBlue(c) - qBlue(back))}) > 112)
                        ink |= QRect(x, y, 1, 1);
            return ink;
        };
        const QRect a = inkBoxOf(drawn), b = inkBoxOf(picture);
        const QMargins gap(slack, slack, slack, slack);
        if (a.isEmpty() != b.isEmpty() ||
            (!a.isEmpty() && (!(b + gap).contains(a) || !(a + gap).contains(b))))
            out << QStringLiteral("\"%1\": ink in %2, the picture's in %3")
                       .arg(text, boxText(a), boxText(b));
    }
    return out;
}

} // namespace picturecompare
