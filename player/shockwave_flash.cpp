#include "player/shockwave_flash.h"

#include <QPainter>

ShockwaveFlash::ShockwaveFlash(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ShockwaveFlash::paintEvent(QPaintEvent*)
{
    // An empty stage is white, the colour a movie without a background colour has.
    QPainter(this).fillRect(rect(), Qt::white);
}
