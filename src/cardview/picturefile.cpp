#include "picturefile.h"

#include "carddraw.h"
#include "cardlayout.h"

#include <QBuffer>
#include <QImage>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSvgGenerator>

namespace picturefile
{

namespace
{

constexpr int kScreenDpi = 96;

QByteArray png(const CardView &view, int scale)
{
    QImage image;
    if (scale == 1) {
        image = carddraw::creimage(view);
    } else {
        image = QImage(cardlayout::kFrame1Inner * scale, QImage::Format_RGB32);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        carddraw::paintCard(p, view);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray svg(const CardView &view)
{
    const QSize size = cardlayout::kFrame1Inner;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setResolution(kScreenDpi);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(view.nom);
    QPainter p(&generator);
    carddraw::paintCard(p, view);
    p.end();
    return bytes;
}

QByteArray pdf(const CardView &view)
{
    const QSize size = cardlayout::kFrame1Inner;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(view.nom);
        writer.setCreator(QStringLiteral("Cartes d'identité des espèces chimiques"));
        // One page of the card's size, a panel pixel being 1/96 inch.
        writer.setResolution(kScreenDpi);
        writer.setPageLayout(
            QPageLayout(QPageSize(QSizeF(size) * 72.0 / kScreenDpi, QPageSize::Point, QString(),
                                  QPageSize::ExactMatch),
                        QPageLayout::Portrait, QMarginsF()));
        QPainter p(&writer);
        carddraw::paintCard(p, view);
    }
    return bytes;
}

// The boiling point as the editor reads it: a decimal comma, spaces around,
// nothing else; 1000 (a liquid's caption) when it is not such a number.
double boilingPoint(const std::string &text)
{
    QString t = QString::fromStdString(text);
    while (t.startsWith(u' '))
        t.remove(0, 1);
    while (t.endsWith(u' '))
        t.chop(1);
    static const QRegularExpression number(QStringLiteral("^-?[0-9]*(,[0-9]*)?$"));
    if (t.isEmpty() || !number.match(t).hasMatch() || !t.contains(QRegularExpression("[0-9]")))
        return 1000;
    bool ok = false;
    const double value = QLocale::c().toDouble(t.replace(u',', u'.'), &ok);
    return ok ? value : 1000;
}

} // namespace

CardView cardViewOf(const cards::carte &card, hazardpictures::Style style)
{
    CardView v;
    v.nom = QString::fromStdString(card.nom());
    v.formule = QString::fromStdString(card.formule());
    v.aspect = QString::fromStdString(card.aspect());
    for (int k = 0; k < 7; ++k)
        v.quantites[std::size_t(k)] = QString::fromStdString(card.quantite(k));
    const cards::Flags flags = cards::decodeFlags(card.drapeaux());
    v.organique = flags.organique();
    v.inorganique = flags.inorganique();
    for (int k = 0; k < 4; ++k)
        v.hazards[std::size_t(k)] = flags.hazard(k) == 1;
    for (int k = 0; k < 3; ++k)
        v.polu[std::size_t(k)] = flags.pollution(k) == 1;
    v.risquePollution = v.polu[0] || v.polu[1] || v.polu[2];
    v.nonPolluant = !v.risquePollution;
    v.locked = flags.locked();
    v.densityCaption = boilingPoint(card.quantite(3)) < 20
                           ? QStringLiteral("Densité par rapport à l'air :")
                           : QStringLiteral("Densité par rapport à l'eau :");
    v.pictogramStyle = style;
    carddraw::layQuantityBoxes(v);
    return v;
}

QString fileBaseName(const QString &nom)
{
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    QString name;
    for (const QChar c : nom)
        name += c.unicode() < 32 || forbidden.contains(c) ? QChar(u'-') : c;
    name = name.trimmed();
    while (name.startsWith(u'.'))
        name.remove(0, 1);
    return name.isEmpty() ? QStringLiteral("Carte") : name;
}

std::optional<Format> formatOf(const QString &path)
{
    const QString name = path.toLower();
    if (name.endsWith(QLatin1String("@2x.png")))
        return Format{Kind::Png, 2};
    if (name.endsWith(QLatin1String("@4x.png")))
        return Format{Kind::Png, 4};
    if (name.endsWith(QLatin1String(".png")))
        return Format{Kind::Png, 1};
    if (name.endsWith(QLatin1String(".svg")))
        return Format{Kind::Svg, 1};
    if (name.endsWith(QLatin1String(".pdf")))
        return Format{Kind::Pdf, 1};
    return std::nullopt;
}

QByteArray cardPictureBytes(const CardView &view, Format format)
{
    switch (format.kind) {
    case Kind::Png:
        return png(view, format.scale);
    case Kind::Svg:
        return svg(view);
    case Kind::Pdf:
        return pdf(view);
    }
    return {};
}

bool writeCardPicture(const CardView &view, const QString &path)
{
    const std::optional<Format> format = formatOf(path);
    if (!format)
        return false;
    const QByteArray bytes = cardPictureBytes(view, *format);
    if (bytes.isEmpty())
        return false;
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace picturefile
