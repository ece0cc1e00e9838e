#include "listing.h"

#include "carddraw.h"
#include "cardlayout.h"
#include "svgpicture.h"

#include <QPainter>

#include <cmath>

namespace listing
{

namespace
{

const char *const kFace = "Times new roman";

// A position kept as a whole number of device pixels (the block height, the
// line of a raised exponent): rounded to the nearest, halves to even.
int whole(double v)
{
    return int(std::nearbyint(v));
}

} // namespace

PageWriter::PageWriter(QPainter &painter, QSizeF page, std::function<bool()> newPage)
    : painter_(painter), page_(page), newPage_(std::move(newPage))
{
}

void PageWriter::setPoints(double points)
{
    if (points != points_) {
        points_ = points;
        current_ = nullptr;
    }
}

void PageWriter::setBold(bool bold)
{
    if (bold != bold_) {
        bold_ = bold;
        current_ = nullptr;
    }
}

const PageWriter::FontEntry &PageWriter::current()
{
    if (current_)
        return *current_;
    const std::pair key{whole(points_ * 100), bold_};
    auto it = fonts_.find(key);
    if (it == fonts_.end()) {
        // The installed face for "Times new roman", sized in points: the
        // device's resolution turns them into its pixels.
        QFont font = cardlayout::font(kFace, points_, bold_);
        font.setPointSizeF(points_);
        it = fonts_.emplace(key, FontEntry{font, QFontMetricsF(font, painter_.device())}).first;
    }
    current_ = &it->second;
    return *current_;
}

double PageWriter::textWidth(const QString &text)
{
    return current().metrics.horizontalAdvance(text);
}

double PageWriter::textHeight()
{
    return current().metrics.height();
}

void PageWriter::print(const QString &text, bool nextLine_)
{
    const FontEntry &f = current();
    if (!text.isEmpty()) {
        if (applied_ != &f) {
            painter_.setFont(f.font);
            applied_ = &f;
        }
        painter_.drawText(QPointF(X, Y + f.metrics.ascent()), text);
        if (journal)
            journal->push_back(Run{pageNumber_, text, X, Y, X + f.metrics.horizontalAdvance(text),
                                   points_, bold_});
    }
    if (nextLine_)
        nextLine();
    else
        X += f.metrics.horizontalAdvance(text);
}

void PageWriter::nextLine()
{
    X = 0;
    Y += textHeight();
}

void PageWriter::drawPicture(const QRectF &place, const QImage &image, const QString &source)
{
    if (image.isNull())
        return;
    if (paintsOneForOne(painter_))
        painter_.drawImage(place, image);
    else
        paintSvg(painter_, source, place);
}

bool PageWriter::newPage()
{
    if (!newPage_())
        return false;
    ++pageNumber_;
    X = 0;
    Y = 0;
    return true;
}

Pictograms Pictograms::load()
{
    static constexpr std::array<const char *, 4> names{"Image8(0)", "Image8(1)", "Image8(2)",
                                                       "Image8(3)"};
    Pictograms p;
    for (std::size_t j = 0; j < names.size(); ++j) {
        const cardlayout::Control &c = cardlayout::control(names[j]);
        // Four times the screen size: 66 device pixels at 600 dpi are small,
        // but a printer that enlarges the page should not see the pixels.
        const QSize size(c.width * 4, c.height * 4);
        p.images[j] = carddraw::picture(QString::fromLatin1(c.caption), size).toImage();
        p.ghs[j] = carddraw::picture(
                       hazardpictures::hazardResource(hazardpictures::Style::Ghs, int(j)), size)
                       .toImage();
    }
    // GHS09 is printed at the hazards' size: the page has room for it.
    p.environment = carddraw::picture(hazardpictures::kEnvironmentResource,
                                      QSize(int(kPictogramSize) * 4, int(kPictogramSize) * 4))
                        .toImage();
    return p;
}

QString footerText(int page)
{
    return kFooter + QLatin1Char(' ') + QString::number(page);
}

QString environmentLine(const CardView &card)
{
    QString line = QStringLiteral("Environnement : ");
    if (card.nonPolluant)
        line += QStringLiteral("non polluant.");
    if (card.risquePollution) {
        QString s = QStringLiteral("risque de pollution pour");
        static const std::array<QString, 3> targets{
            QStringLiteral(" l'air,"), QStringLiteral(" l'eau,"), QStringLiteral(" le sol,")};
        for (std::size_t i = 0; i < targets.size(); ++i)
            if (card.polu[i])
                s += targets[i];
        if (s.endsWith(QLatin1Char(',')))
            s.chop(1);
        line += s + QLatin1Char('.');
    }
    return line;
}

void printNameLine(PageWriter &out, const QString &nom, const QString &formule)
{
    out.setPoints(14);
    out.setBold(true);
    out.X = out.W() / 20;
    const double y0 = out.Y;
    out.print(nom + QStringLiteral(" : "), false);

    int mode = 0;    // 0 normal, -1 subscript, +1 superscript
    double xSub = 0; // X where the current subscript run began
    double xMax = 0; // furthest X reached by a script character
    for (const QChar ch : formule) {
        if (ch == u'#') {
            mode = -1;
            if (xSub == 0)
                xSub = out.X;
            continue;
        }
        if (ch == u'*') {
            mode = 1;
            continue;
        }
        if (mode == 0 && xMax != 0) {
            out.X = xMax;
            xMax = 0;
        }
        if (mode == 1 && xSub != 0) {
            // A superscript after a subscript run stands above it.
            out.X = xSub;
            xSub = 0;
        }
        out.Y = y0 - 26 * mode;
        if (mode != 0) {
            out.Y += 15;
            out.setPoints(10);
        } else {
            out.setPoints(14);
        }
        out.print(QString(ch), false);
        if (mode == 0)
            xSub = 0;
        else if (out.X > xMax)
            xMax = out.X;
        mode = 0;
    }
    out.Y = y0;
}

QStringList wrapAspect(const QString &text, double firstWidth, double width,
                       const std::function<double(const QString &)> &textWidth)
{
    QStringList lines;
    QString flat = text;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    flat.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (QString t : flat.split(QLatin1Char('\n'))) {
        for (;;) {
            const double w = lines.isEmpty() ? firstWidth : width;
            if (textWidth(t) <= w) {
                lines << t;
                break;
            }
            // The longest head of t within the width (widths grow with length).
            qsizetype lo = 0, hi = t.size();
            while (lo < hi) {
                const qsizetype mid = (lo + hi + 1) / 2;
                if (textWidth(t.left(mid)) <= w)
                    lo = mid;
                else
                    hi = mid - 1;
            }
            const qsizetype fit = lo;
            // Break after the last space of that head (the space ends the
            // line), or inside the word when it has none.
            const qsizetype space = fit > 0 ? t.lastIndexOf(QLatin1Char(' '), fit) : -1;
            qsizetype k = 0;
            if (space > 0 || (space == 0 && fit > 0))
                k = space + 1;
            else if (lines.isEmpty() && firstWidth < width)
                k = 0; // nothing of the first word beside the label: next line
            else
                k = std::max<qsizetype>(fit, 1);
            lines << t.left(k);
            t = t.mid(k);
            if (t.isEmpty())
                break;
        }
    }
    return lines;
}

void printCardBlock(PageWriter &out, const CardView &card, const Pictograms &pictograms)
{
    const double W = out.W();

    printNameLine(out, card.nom, card.formule);
    out.setPoints(10);
    out.nextLine();
    out.nextLine();

    // Pictograms of the hazards that are set, left to right without gaps; the
    // row's height is kept even when none is printed.
    const double y1 = out.Y;
    double x = W / 10;
    for (std::size_t j = 0; j < card.hazards.size(); ++j) {
        if (!card.hazards[j])
            continue;
        out.drawPicture(QRectF(x, y1, kPictogramSize, kPictogramSize),
                        pictograms.hazard(card.pictogramStyle, j),
                        hazardpictures::hazardResource(card.pictogramStyle, int(j)));
        x += kPictogramSize + kPictogramGap;
    }
    if (hazardpictures::showsEnvironment(card.pictogramStyle, card.polu[1]))
        out.drawPicture(QRectF(x, y1, kPictogramSize, kPictogramSize), pictograms.environment,
                        hazardpictures::kEnvironmentResource);
    out.X = W / 10;
    out.Y = y1 + kPictogramSize + kPictogramGap;

    if (card.organique) {
        out.X = W / 10;
        out.print(QStringLiteral("Organique"), true);
    }
    if (card.inorganique) {
        out.X = W / 10;
        out.print(QStringLiteral("Inorganique"), true);
    }

    // The aspect follows its label and is wrapped within the page, its
    // further lines under its first.
    out.X = W / 10;
    // The card's own caption: the aspect is given at 20 °C, not in the
    // normal conditions of 0 °C.
    out.print(QString::fromUtf8(cardlayout::control("Label1").caption) + QLatin1Char(' '), false);
    out.setBold(false);
    const double aspectX = out.X;
    const double right = W - W / 10;
    const QStringList aspect = wrapAspect(card.aspect, right - aspectX, right - aspectX,
                                          [&out](const QString &s) { return out.textWidth(s); });
    for (qsizetype i = 0; i < aspect.size(); ++i) {
        out.X = aspectX;
        out.print(aspect[i], true);
    }
    out.setBold(true);

    // Each quantity's line: its caption ending at the middle of the page,
    // then its value with the card's unit, a space before it.
    for (int k = 0; k < cards::kQuantityCount; ++k) {
        const cards::FieldInfo &q = cards::quantityInfo(k);
        const QString label = QString::fromUtf8(q.printCaption);
        const QString &field = card.quantites[std::size_t(k)];
        out.setBold(true);
        out.X = W / 2 - out.textWidth(label);
        out.print(label, false);
        if (!field.trimmed().isEmpty()) {
            out.setBold(false);
            out.X = W / 2;
            out.print(field, false);
            if (!q.unit.empty() && carddraw::showsUnit(k, field)) {
                out.print(QLatin1Char(' ') + QString::fromUtf8(q.unit), false);
                if (!q.exponent.empty()) {
                    const int y = whole(out.Y);
                    out.Y -= 13;
                    out.setPoints(8);
                    out.print(QString::fromUtf8(q.exponent), false);
                    out.setPoints(10);
                    out.Y = y;
                }
            }
        }
        out.nextLine();
    }

    out.setPoints(10);
    out.setBold(false);
    out.X = W / 10;
    out.print(environmentLine(card), true);
    out.nextLine();
}

bool printListing(PageWriter &out, const std::vector<CardView> &cards, const Pictograms &pictograms,
                  const Progress &progress)
{
    const double W = out.W();
    const double H = out.H();

    out.setPoints(24);
    out.setBold(true);
    out.X = (W - out.textWidth(kTitle)) / 2;
    out.Y = H / 20;
    out.print(kTitle, true);
    out.nextLine();

    int p = 1;
    const int rows = int(cards.size());
    for (int r = 1; r <= rows; ++r) {
        const double top = out.Y;
        printCardBlock(out, cards[std::size_t(r - 1)], pictograms);
        if (progress)
            progress(r, rows);

        const int h = whole(out.Y - top);
        const bool last = r == rows;
        if (out.Y + h > H || last) {
            const QString footer = footerText(p);
            out.setPoints(10);
            out.setBold(false);
            out.Y = H - out.textHeight();
            out.setPoints(8);
            out.X = (W - out.textWidth(footer)) / 2;
            out.print(footer, true);
            ++p;
            if (!last) {
                if (!out.newPage())
                    return false;
                out.Y = H / 20;
            }
        }
    }
    return true;
}

} // namespace listing
