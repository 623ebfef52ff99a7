#include "app/image_control.h"

#include <QPainter>

ImageControl::ImageControl(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

void ImageControl::setStretch(bool stretch)
{
    stretch_ = stretch;
    update();
}

void ImageControl::setPicture(const QPixmap& picture)
{
    picture_ = picture;
    if (!stretch_ && !picture_.isNull())
        resize(picture_.deviceIndependentSize().toSize());
    update();
}

void ImageControl::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    if (stretch_) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(rect(), picture_);
    } else {
        painter.drawPixmap(QPoint(0, 0), picture_);
    }
}
