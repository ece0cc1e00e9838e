#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

// One of our SVG pictures (a resource path such as ":/pictures/flamme.svg")
// drawn to fill `size`, at `ratio` device pixels per pixel. A picture that
// cannot be read gives a transparent pixmap.
QPixmap svgPicture(const QString &resource, QSize size, qreal ratio = 1.0);
