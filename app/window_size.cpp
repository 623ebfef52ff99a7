// The window's size in twips and its two size modes. The mode in force is the window's size and
// nothing else: no variable records it.
#include <QResizeEvent>
#include <QScreen>
#include <QStyle>
#include <QToolBar>

#include "app/form1.h"
#include "app/form1_layout.h"
#include "app/twips.h"

int Form1::Width() const
{
    return twips::fromPixels(width()) + form1_layout::kFrameWidth;
}

int Form1::Height() const
{
    return twips::fromPixels(height()) + form1_layout::kFrameHeight;
}

void Form1::setWidth(int twips)
{
    setFixedWidth(twips::toPixels(twips - form1_layout::kFrameWidth));
}

void Form1::setHeight(int twips)
{
    setFixedHeight(twips::toPixels(twips - form1_layout::kFrameHeight));
}

void Form1::applyBrowseMode()
{
    setWidth(form1_layout::kBrowseWidth);
    setHeight(form1_layout::kModeHeight);
}

void Form1::applyPlayMode()
{
    setWidth(form1_layout::kPlayWidth);
    setHeight(form1_layout::kModeHeight);
}

void Form1::resizeEvent(QResizeEvent* event)
{
    // The toolbar is docked to the top edge: it spans the client width whatever the mode.
    if (Toolbar1)
        Toolbar1->resize(event->size().width(), Toolbar1->height());
    QWidget::resizeEvent(event);
}

void Form1::centreOnScreen()
{
    const QScreen* display = screen();
    if (!display)
        return;
    // The window manager's frame is not known before the window is shown; the designed one is
    // near enough for centring.
    const QSize outer = size() + QSize(twips::toPixels(form1_layout::kFrameWidth), twips::toPixels(form1_layout::kFrameHeight));
    move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, outer, display->availableGeometry()).topLeft());
}
