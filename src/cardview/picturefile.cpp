#include "picturefile.h"

#include "carddraw.h"
#include "cardlayout.h"

#include <QBuffer>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
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
    // Qt writes the title into the file as it is given: a name holding "<" or
    // "&" would leave a file no program can read, or one holding a script.
    generator.setTitle(view.nom.toHtmlEscaped());
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

} // namespace

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
