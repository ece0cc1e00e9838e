#pragma once

#include <QIcon>
#include <QPixmap>
#include <QRectF>
#include <QSize>
#include <QString>

class QPainter;

// One of our SVG pictures (a resource path such as ":/pictures/flamme.svg")
// drawn to fill `size`, at `ratio` device pixels per pixel. A picture that
// cannot be read gives a transparent pixmap.
QPixmap svgPicture(const QString &resource, QSize size, qreal ratio = 1.0);

// An icon drawn from one of our SVG pictures at each size it is shown at, and
// greyed by the style when disabled. The picture is read only when the icon is
// first painted, and without the icon plug-ins Qt would otherwise look for.
QIcon svgIcon(const QString &resource);

// The same picture drawn by `p` to fill `bounds`, as vectors: sharp at any
// scale, and kept as paths in a PDF or SVG file. Nothing is drawn for a
// picture that cannot be read.
void paintSvg(QPainter &p, const QString &resource, const QRectF &bounds);

// True when `p` puts pixels one for one into an image (no scaling, no
// rotation): there a picture can be the pixmap the screen shows. A printer,
// a PDF or SVG file and an enlarged image need the picture drawn from its
// source instead.
bool paintsOneForOne(const QPainter &p);
