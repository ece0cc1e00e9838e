#include "carddraw.h"

#include "cardlayout.h"
#include "hazardpictures.h"
#include "svgpicture.h"

#include <QFile>
#include <QFontMetrics>
#include <QHash>
#include <QPaintEngine>
#include <QPainter>
#include <QPixmap>

#include <cmath>

// The pictures live in this static library: registering them here makes the
// linker keep them in every program that draws.
static void registerPictures()
{
    Q_INIT_RESOURCE(pictures);
}
namespace
{
const bool picturesRegistered = (registerPictures(), true);
}

namespace carddraw
{

using namespace cardlayout;

namespace
{

const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);

// Filled rectangle (x1, y1)-(x2, y2), both corners included.
void fillBox(QPainter &p, int x1, int y1, int x2, int y2, const QColor &colour)
{
    p.fillRect(QRect(QPoint(x1, y1), QPoint(x2, y2)).normalized(), colour);
}

// One-pixel outline through both corners.
void outlineBox(QPainter &p, int x1, int y1, int x2, int y2, const QColor &colour)
{
    fillBox(p, x1, y1, x2, y1, colour);
    fillBox(p, x1, y2, x2, y2, colour);
    fillBox(p, x1, y1, x1, y2, colour);
    fillBox(p, x2, y1, x2, y2, colour);
}

// Horizontal or vertical line (x1, y1)-(x2, y2), the end point not drawn.
void straightLine(QPainter &p, int x1, int y1, int x2, int y2, const QColor &colour)
{
    if (y1 == y2 && x2 != x1)
        fillBox(p, x1, y1, x2 > x1 ? x2 - 1 : x2 + 1, y1, colour);
    else if (x1 == x2 && y2 != y1)
        fillBox(p, x1, y1, x1, y2 > y1 ? y2 - 1 : y2 + 1, colour);
}

// A text whose baseline starts at `at`. A condensed face ("MS Sans Serif"
// mapped to Liberation Sans at 94 %) is drawn as what it is on a vector
// device: the plain face, narrowed by the painter. A PDF or SVG file names
// its fonts without their condensing, and a viewer would draw them wider than
// the card lays them out, over what follows them.
void drawText(QPainter &p, const QPointF &at, const QString &text)
{
    const QFont font = p.font();
    const int stretch = font.stretch();
    if (stretch == QFont::AnyStretch || stretch == QFont::Unstretched ||
        p.paintEngine()->type() == QPaintEngine::Raster) {
        p.drawText(at, text);
        return;
    }
    QFont plain = font;
    plain.setStretch(QFont::Unstretched);
    p.save();
    p.setFont(plain);
    p.translate(at);
    p.scale(stretch / 100.0, 1);
    p.drawText(QPointF(0, 0), text);
    p.restore();
}

// Text with its top-left corner at (x, y); returns the x right after it.
int textAt(QPainter &p, qreal x, qreal y, const QString &text)
{
    const QFontMetrics fm(p.font());
    drawText(p, QPointF(x, y + fm.ascent()), text);
    return int(x) + fm.horizontalAdvance(text);
}

// The fonts that are used often, made once per thread (a font's metrics keep
// what they measured, and the web catalogue draws its cards on several threads).
struct Fonts {
    QFont quantity = font(kQuantityFont);
    QFont exponent = font(kQuantityFont.face, 8, kQuantityFont.bold);
    QFont formula = font("Arial", 12, false);
    QFont formulaSmall = font("Arial", 8, false);
    QFontMetrics quantityMetrics{quantity};
    QFontMetrics exponentMetrics{exponent};
    QFontMetrics formulaMetrics{formula};
    QFontMetrics formulaSmallMetrics{formulaSmall};
};

const Fonts &fonts()
{
    thread_local const Fonts f;
    return f;
}

QColor colour(QRgb rgb)
{
    return QColor::fromRgb(rgb);
}

} // namespace

bool showsUnit(int k, const QString &value)
{
    return !(cards::quantityInfo(k).miscible && value == QString::fromUtf8(cards::kMiscible));
}

namespace
{

// The white band right of each box that carries a unit, to the frame's edge.
void paintUnitBands(QPainter &p, const CardView::Boxes &boxes, int frameWidth)
{
    for (int k = 0; k < cards::kQuantityCount; ++k) {
        if (cards::quantityInfo(k).unit.empty())
            continue;
        const QRect &box = boxes[std::size_t(k)];
        fillBox(p, box.x(), box.y() - 2, frameWidth, box.y() + 16, kWhite);
    }
}

// Each unit, with its raised exponent, right after its box.
void paintUnits(QPainter &p, const CardView::Boxes &boxes, const CardView::Quantities &texts)
{
    const Fonts &f = fonts();
    p.setPen(colour(quantityBox(0).fore));
    for (int k = 0; k < cards::kQuantityCount; ++k) {
        const cards::FieldInfo &q = cards::quantityInfo(k);
        if (q.unit.empty() || !showsUnit(k, texts[std::size_t(k)]))
            continue;
        const QRect &box = boxes[std::size_t(k)];
        const int x = box.x() + box.width();
        const int y = box.y();
        p.setFont(f.quantity);
        const QString unit = QString::fromUtf8(q.unit);
        drawText(p, QPointF(x, y + f.quantityMetrics.ascent()), unit);
        if (!q.exponent.empty()) {
            const int ex = x + f.quantityMetrics.horizontalAdvance(unit);
            p.setFont(f.exponent);
            drawText(p, QPointF(ex, y - 4 + f.exponentMetrics.ascent()),
                     QString::fromUtf8(q.exponent));
        }
    }
}

} // namespace

void paintUnitMarks(QPainter &p, const CardView::Boxes &boxes, const CardView::Quantities &texts,
                    int frameWidth)
{
    paintUnitBands(p, boxes, frameWidth);
    paintUnits(p, boxes, texts);
}

QRgb gradientColour(int i)
{
    // nearbyint rounds halves to even under the default rounding mode.
    const int a = int(std::nearbyint(255.0 - (double(i) / 600.0) * 55.0));
    const int b = int(std::nearbyint(255.0 - (double(i) / 600.0) * 75.0));
    return qRgb(a, a, b);
}

void paintWindowBackground(QPainter &p, const QRect &frame1, int ms1Left)
{
    for (int i = 0; i <= 600; ++i)
        straightLine(p, 0, i, 800, i, colour(gradientColour(i)));
    const int left = frame1.x();
    const int top = frame1.y();
    fillBox(p, left + 3, top + 3, left + frame1.width() + 3, top + frame1.height() + 3,
            QColor(128, 128, 128));
    p.setFont(font("MS Sans Serif", 12, true));
    const QString heading = QStringLiteral("Critère de tri :");
    p.setPen(QColor(192, 192, 192));
    textAt(p, ms1Left + 1, 104, heading);
    p.setPen(QColor(128, 128, 0));
    textAt(p, ms1Left, 103, heading);
}

void paintBevel(QPainter &p)
{
    const QColor grey(128, 128, 128);
    outlineBox(p, 0, 0, 100, 62, kBlack);
    outlineBox(p, 1, 1, 99, 61, kWhite);
    outlineBox(p, 2, 2, 99, 61, grey);
    outlineBox(p, 2, 2, 98, 60, kWhite);
    straightLine(p, 3, 60, 99, 60, grey);
    straightLine(p, 98, 3, 98, 61, grey);
}

const formula::Metrics &formulaMetrics()
{
    thread_local const formula::Metrics metrics{
        [](const QString &text, bool small) {
            const Fonts &f = fonts();
            return (small ? f.formulaSmallMetrics : f.formulaMetrics).horizontalAdvance(text);
        },
        fonts().formulaMetrics.height()};
    return metrics;
}

void paintFormulaLayout(QPainter &p, const formula::Layout &layout, const QSize &size)
{
    const Control &picture2 = control("Picture2");
    const Fonts &f = fonts();
    p.fillRect(QRect(QPoint(0, 0), size), colour(*picture2.back));
    p.setPen(colour(picture2.fore));
    for (const formula::Glyph &g : layout.glyphs) {
        if (g.ch.isEmpty())
            continue;
        const bool small = g.level != formula::Level::Normal;
        p.setFont(small ? f.formulaSmall : f.formula);
        p.drawText(g.x, g.y + (small ? f.formulaSmallMetrics : f.formulaMetrics).ascent(), g.ch);
    }
}

void paintFormula(QPainter &p, const QString &markup, const QSize &size)
{
    paintFormulaLayout(p, formula::layout(markup, formulaMetrics(), size), size);
}

QPixmap picture(const QString &resource, const QSize &size)
{
    static QHash<QString, QPixmap> cache;
    const QString key = resource + QLatin1Char('@') + QString::number(size.width()) +
                        QLatin1Char('x') + QString::number(size.height());
    auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    const QPixmap pixmap = svgPicture(resource, size);
    cache.insert(key, pixmap);
    return pixmap;
}

QIcon buttonIcon(const QString &name)
{
    // Names from the freedesktop icon theme.
    static const QHash<QString, QString> themeNames{
        {QStringLiteral("btn-fermer"), QStringLiteral("application-exit")},
        {QStringLiteral("btn-aide"), QStringLiteral("help-contents")},
        {QStringLiteral("btn-cours"), QStringLiteral("help-faq")},
        {QStringLiteral("btn-calculatrice"), QStringLiteral("accessories-calculator")},
        {QStringLiteral("btn-imprimer"), QStringLiteral("document-print")},
        {QStringLiteral("btn-copier"), QStringLiteral("edit-copy")},
        {QStringLiteral("btn-exporter"), QStringLiteral("mail-send")},
        {QStringLiteral("btn-importer"), QStringLiteral("mail-receive")},
        {QStringLiteral("btn-enregistrer"), QStringLiteral("document-save")},
        {QStringLiteral("btn-ouvrir"), QStringLiteral("document-open")},
        {QStringLiteral("btn-enlever"), QStringLiteral("edit-delete")},
        {QStringLiteral("btn-valider"), QStringLiteral("dialog-ok")},
        {QStringLiteral("btn-nouveau"), QStringLiteral("document-new")},
        {QStringLiteral("exp-annuler"), QStringLiteral("dialog-cancel")},
        {QStringLiteral("exp-parametres"), QStringLiteral("preferences-system")},
        {QStringLiteral("exp-expedier"), QStringLiteral("mail-send")},
    };
    const QString resource = QStringLiteral(":/pictures/") + name + QStringLiteral(".svg");
    QIcon ours;
    if (QFile::exists(resource))
        ours = svgIcon(resource);
    const QString themeName = themeNames.value(name);
    if (!themeName.isEmpty() && QIcon::hasThemeIcon(themeName))
        return QIcon::fromTheme(themeName, ours);
    return ours;
}

QCursor quantityCursor()
{
    return QCursor(picture(QStringLiteral(":/pictures/pointeur.svg"), QSize(32, 32)), 2, 29);
}

QString pollutionSentence(const CardView &view)
{
    QString s;
    if (view.nonPolluant)
        s = QStringLiteral("Non polluant");
    if (view.risquePollution) {
        s = QStringLiteral("Risque de pollution pour");
        if (view.polu[0])
            s += QStringLiteral(" l'air,");
        if (view.polu[1])
            s += QStringLiteral(" l'eau,");
        if (view.polu[2])
            s += QStringLiteral(" la terre,");
        if (s.endsWith(QLatin1Char(',')))
            s.chop(1);
        s += QLatin1Char('.');
    }
    return s;
}

int aspectMaxLines(int height, int lineHeight)
{
    // After n lines the next is printed while height > (n + 1) * lineHeight.
    int n = 1;
    while (lineHeight > 0 && height > (n + 1) * lineHeight)
        ++n;
    return n;
}

void layQuantityBoxes(CardView &view)
{
    const QFontMetrics &fm = fonts().quantityMetrics;
    for (std::size_t k = 0; k < view.quantites.size(); ++k) {
        const Control &label = quantityLabel(int(k));
        const int width = fm.horizontalAdvance(view.captions[k] + QLatin1Char(' '));
        view.quantityLabels[k] = QRect(label.left, label.top, width, label.height);
        view.quantityBoxes[k] =
            QRect(label.left + width, label.top, fm.horizontalAdvance(view.quantites[k]) + 8, 17);
    }
}

namespace
{

QRect viewRect(const QRect &fromView, const Control &c)
{
    return fromView.isEmpty() ? rect(c) : fromView;
}

// A label's background, when opaque.
void labelBackground(QPainter &p, const Control &c, const QRect &r)
{
    if (c.opaque && c.back)
        fillBox(p, r.x(), r.y(), r.x() + r.width(), r.y() + r.height(), colour(*c.back));
}

// A label's caption from its top-left corner (alignment left), not clipped
// to its width.
void labelText(QPainter &p, const Control &c, const QRect &r, const QString &caption)
{
    p.setFont(font(c.font));
    p.setPen(colour(c.fore));
    textAt(p, r.x(), r.y(), caption);
}

// A text box's background.
void boxBackground(QPainter &p, const Control &c, const QRect &r)
{
    fillBox(p, r.x(), r.y(), r.x() + r.width(), r.y() + r.height(),
            c.back ? colour(*c.back) : kWhite);
}

// A text box's text, on one line.
void boxText(QPainter &p, const Control &c, const QRect &r, const QString &text)
{
    p.setFont(font(c.font));
    p.setPen(colour(c.fore));
    textAt(p, r.x(), r.y(), text);
}

// One of our pictures filling `place`: on an image painted one for one, the
// very pixmap the screen shows; elsewhere drawn from its source.
void drawPicture(QPainter &p, const QString &resource, const QRect &place)
{
    if (paintsOneForOne(p))
        p.drawPixmap(place.topLeft(), picture(resource, place.size()));
    else
        paintSvg(p, resource, QRectF(place));
}

void drawPicture(QPainter &p, const Control &c)
{
    drawPicture(p, QString::fromUtf8(c.caption), rect(c));
}

} // namespace

QImage creimage(const CardView &view)
{
    QImage image(kFrame1Inner, QImage::Format_RGB32);
    QPainter p(&image);
    paintCard(p, view);
    return image;
}

void paintCard(QPainter &p, const CardView &view)
{
    const QSize size = kFrame1Inner;
    p.save();
    // Frame1 clips its contents: a band or a unit that runs past its edge is
    // cut there on every device, as the image's edge cuts it.
    p.setClipRect(QRect(QPoint(0, 0), size), Qt::IntersectClip);
    fillBox(p, 0, 0, size.width() - 1, size.height() - 1, colour(*control("Frame1").back));

    CardView::Boxes boxes;
    CardView::Boxes labels;
    for (std::size_t k = 0; k < boxes.size(); ++k) {
        boxes[k] = viewRect(view.quantityBoxes[k], quantityBox(int(k)));
        labels[k] = viewRect(view.quantityLabels[k], quantityLabel(int(k)));
    }

    // Every background first, every text after: no text is covered by the
    // background of what follows it, however wide a device draws its glyphs.
    paintUnitBands(p, boxes, size.width());
    const char *const labelNames[] = {"Label1", "Label3", "Label2"};
    for (const char *name : labelNames)
        labelBackground(p, control(name), rect(control(name)));
    const Control &text4 = control("Text4");
    boxBackground(p, text4, rect(text4));
    for (std::size_t k = 0; k < boxes.size(); ++k)
        boxBackground(p, quantityBox(int(k)), boxes[k]);
    // The formula, and one more row of its blue band below it.
    const Control &picture2 = control("Picture2");
    p.save();
    p.translate(picture2.left, picture2.top);
    p.setClipRect(QRect(0, 0, picture2.width, picture2.height));
    paintFormula(p, view.formule, QSize(picture2.width, picture2.height));
    p.restore();
    straightLine(p, picture2.left, picture2.top + picture2.height, picture2.left + picture2.width,
                 picture2.top + picture2.height, colour(*picture2.back));

    const Control &frame2 = control("Frame2");
    fillBox(p, frame2.left, frame2.top, frame2.left + frame2.width, frame2.top + frame2.height,
            colour(*frame2.back));
    const Control &text2 = control("Text2");
    fillBox(p, text2.left, text2.top, text2.left + text2.width, text2.top + text2.height,
            colour(*text2.back));

    for (const char *name : {"Image1", "Image3", "Image4", "Image5", "Image6", "Image7"})
        drawPicture(p, control(name));
    for (int i = 0; i < 4; ++i) {
        if (!view.hazards[i])
            continue;
        const Control &c = control(("Image8(" + QByteArray::number(i) + ')').constData());
        drawPicture(p, hazardpictures::hazardResource(view.pictogramStyle, i), rect(c));
    }
    if (hazardpictures::showsEnvironment(view.pictogramStyle, view.polu[1]))
        drawPicture(p, hazardpictures::kEnvironmentResource, hazardpictures::kEnvironmentPlace);

    // The card's black frame, before the texts that run up to it.
    outlineBox(p, 0, 0, size.width() - 1, size.height() - 1, kBlack);

    for (const char *name : labelNames)
        labelText(p, control(name), rect(control(name)), QString::fromUtf8(control(name).caption));
    boxText(p, text4, rect(text4), view.nom);
    for (std::size_t k = 0; k < labels.size(); ++k)
        labelText(p, quantityLabel(int(k)), labels[k], view.captions[k]);
    for (std::size_t k = 0; k < boxes.size(); ++k)
        boxText(p, quantityBox(int(k)), boxes[k], view.quantites[k]);
    paintUnits(p, boxes, view.quantites);

    // The organic/inorganic word, vertically centred in the green box.
    p.setFont(font(kDefaultFont.face, 10, true));
    p.setPen(kBlack);
    const qreal wordY = frame2.top + (frame2.height - QFontMetrics(p.font()).height()) / 2.0;
    if (view.organique)
        textAt(p, frame2.left + 8, wordY, QStringLiteral("Organique"));
    else if (view.inorganique)
        textAt(p, frame2.left + 8, wordY, QStringLiteral("Inorganique"));

    // The pollution sentence stands where Label5 is on screen.
    const Control &label5 = control("Label5");
    p.setFont(font(kQuantityFont.face, 10, false));
    p.setPen(kBlack);
    textAt(p, label5.left, control("Image5").top + 9, pollutionSentence(view));

    // The aspect, wrapped to its box.
    const QFont aspectFont = font(text2.font);
    const QFontMetrics fm(aspectFont);
    p.setFont(aspectFont);
    p.setPen(colour(text2.fore));
    const QStringList lines = wrapAspect(
        view.aspect, text2.width, [&fm](const QString &s) { return fm.horizontalAdvance(s); },
        aspectMaxLines(text2.height, fm.height()));
    int y = text2.top;
    for (const QString &line : lines) {
        textAt(p, text2.left, y, line);
        y += fm.height();
    }

    p.restore();
}

} // namespace carddraw
