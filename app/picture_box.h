#pragma once
// A picture box without a border: it fills its area with the 3-D face colour and draws its
// picture, if any, unscaled from the top-left corner. A new picture replaces the old one
// entirely. It reports clicks.

#include <QPixmap>
#include <QWidget>

#include "app/click_tracker.h"

class PictureBox : public QWidget {
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent = nullptr);

    // The picture is shared, not copied (QPixmap is implicitly shared).
    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return picture_; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPixmap picture_;
    ClickTracker clicks_;
};
