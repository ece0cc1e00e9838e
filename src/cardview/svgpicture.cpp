#include "svgpicture.h"

#include <QApplication>
#include <QHash>
#include <QIconEngine>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
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

namespace
{

class SvgIconEngine : public QIconEngine
{
public:
    explicit SvgIconEngine(const QString &resource) : resource_(resource) {}

    QIconEngine *clone() const override { return new SvgIconEngine(resource_); }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override
    {
        const quint64 key =
            (quint64(size.width()) << 34) | (quint64(size.height()) << 2) | quint64(mode);
        auto it = drawn_.constFind(key);
        if (it != drawn_.constEnd())
            return *it;
        QPixmap pixmap = svgPicture(resource_, size);
        if (mode != QIcon::Normal) {
            QStyleOption option;
            option.palette = QGuiApplication::palette();
            pixmap = QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
        }
        drawn_.insert(key, pixmap);
        return pixmap;
    }

    void paint(QPainter *p, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = p->device() ? p->device()->devicePixelRatioF() : 1.0;
        p->drawPixmap(rect, pixmap(rect.size() * ratio, mode, state));
    }

    QString key() const override { return QStringLiteral("svg"); }

private:
    QString resource_;
    QHash<quint64, QPixmap> drawn_;
};

} // namespace

QIcon svgIcon(const QString &resource)
{
    return QIcon(new SvgIconEngine(resource));
}

void paintSvg(QPainter &p, const QString &resource, const QRectF &bounds)
{
    // Each picture is read once: a listing draws the same few thousands of
    // times. Once per thread: the web catalogue draws its cards on several.
    thread_local std::map<QString, std::unique_ptr<QSvgRenderer>> renderers;
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
