#pragma once
// A label as the window designs it: plain text at the top left, the button-text colour on an
// opaque 3-D face background, no border, no focus, a fixed size whatever its text. It reports
// clicks, which a plain QLabel does not.

#include <QLabel>

#include "app/click_tracker.h"

class Label : public QLabel {
    Q_OBJECT

public:
    explicit Label(const QString& text, QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    ClickTracker clicks_;
};
