#pragma once
// An image list: a store of pictures addressed by a 1-based index, with the cell size and mask
// colour a toolbar draws them with. It is never drawn itself.

#include <vector>

#include <QColor>
#include <QIcon>
#include <QObject>
#include <QPixmap>
#include <QSize>

class ImageList : public QObject {
    Q_OBJECT

public:
    explicit ImageList(QObject* parent = nullptr);

    QSize imageSize() const { return imageSize_; }
    void setImageSize(QSize size) { imageSize_ = size; }
    QColor maskColour() const { return maskColour_; }
    void setMaskColour(QColor colour) { maskColour_ = colour; }

    // Appends a picture; it gets the index count() after the call.
    void add(const QPixmap& picture);
    int count() const { return static_cast<int>(pictures_.size()); }

    // The picture at `index` (1 to count()). Throws ViewerError for any other index.
    const QPixmap& picture(int index) const;
    // The picture as an icon, with pixels of the mask colour made transparent.
    QIcon icon(int index) const;

private:
    std::vector<QPixmap> pictures_;
    QSize imageSize_{16, 16};
    QColor maskColour_{Qt::lightGray};
};
