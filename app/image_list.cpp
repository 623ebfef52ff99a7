#include "app/image_list.h"

#include <QBitmap>

#include "app/handler_failure.h"

ImageList::ImageList(QObject* parent) : QObject(parent) {}

void ImageList::add(const QPixmap& picture)
{
    pictures_.push_back(picture);
}

const QPixmap& ImageList::picture(int index) const
{
    if (index < 1 || index > count())
        throw ViewerError(QStringLiteral("图像列表中没有第 %1 个图像（共 %2 个）").arg(index).arg(count()));
    return pictures_[static_cast<std::size_t>(index - 1)];
}

QIcon ImageList::icon(int index) const
{
    QPixmap masked = picture(index);
    masked.setMask(masked.createMaskFromColor(maskColour_, Qt::MaskInColor));
    return QIcon(masked);
}
