#pragma once
// A click as the classic controls count it: the left button pressed on the control and released
// while the pointer is still over it.

#include <QMouseEvent>
#include <QRect>

class ClickTracker {
public:
    void press(const QMouseEvent& event) { pressed_ = event.button() == Qt::LeftButton; }

    // True when this release completes a click.
    bool release(const QMouseEvent& event, const QRect& area)
    {
        const bool click = pressed_ && event.button() == Qt::LeftButton && area.contains(event.position().toPoint());
        if (event.button() == Qt::LeftButton)
            pressed_ = false;
        return click;
    }

private:
    bool pressed_ = false;
};
