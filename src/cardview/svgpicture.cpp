#include "svgpicture.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QSvgRenderer>

#include <map>
#include <memory>

QPixmap svgPicture(const QString &resource, QSize size, qreal ratio)
{
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    if (renderer.isValid()) {
        QPainter p(&image);
        renderer.render(&p, QRectF(QPointF(0, 0), QSizeF(image.size())));
    }
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

void paintSvg(QPainter &p, const QString &resource, const QRectF &bounds)
{
    // Each picture is read once: a listing draws the same few thousands of times.
    static std::map<QString, std::unique_ptr<QSvgRenderer>> renderers;
    auto it = renderers.find(resource);
    if (it == renderers.end())
        it = renderers.emplace(resource, std::make_unique<QSvgRenderer>(resource)).first;
    if (it->second->isValid())
        it->second->render(&p, bounds);
}

bool paintsOneForOne(const QPainter &p)
{
    const QPaintEngine *engine = p.paintEngine();
    return engine && engine->type() == QPaintEngine::Raster &&
           p.combinedTransform().type() <= QTransform::TxTranslate;
}
