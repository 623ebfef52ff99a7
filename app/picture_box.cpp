#include "app/picture_box.h"

#include <QPainter>

#include "app/system_colours.h"

PictureBox::PictureBox(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setPicture(const QPixmap& picture)
{
    picture_ = picture;
    update();
}

void PictureBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), system_colours::face(palette()));
    if (!picture_.isNull())
        painter.drawPixmap(QPoint(0, 0), picture_);
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    clicks_.press(*event);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (clicks_.release(*event, rect()))
        emit clicked();
}
