#include "picturelabel.h"

#include "carddraw.h"

PictureLabel::PictureLabel(QWidget *parent, const QString &resource)
    : QLabel(parent), resource_(resource)
{
}

void PictureLabel::setResource(const QString &resource)
{
    resource_ = resource;
    if (isVisible())
        draw();
}

void PictureLabel::showEvent(QShowEvent *event)
{
    draw();
    QLabel::showEvent(event);
}

void PictureLabel::paintEvent(QPaintEvent *event)
{
    draw();
    QLabel::paintEvent(event);
}

void PictureLabel::draw()
{
    if (drawn_ == resource_)
        return;
    setPixmap(carddraw::picture(resource_, size()));
    drawn_ = resource_;
}
