#pragma once
// An image control: a lightweight picture on the window's surface, transparent where it has no
// picture, never focused. Unstretched, it takes its picture's size and draws it from the top-left
// corner; stretched, it keeps its size and scales the picture to fill it.

#include <QPixmap>
#include <QWidget>

class ImageControl : public QWidget {
    Q_OBJECT

public:
    explicit ImageControl(QWidget* parent = nullptr);

    void setStretch(bool stretch);
    bool stretch() const { return stretch_; }

    // The picture is shared, not copied (QPixmap is implicitly shared).
    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
    bool stretch_ = false;
};
