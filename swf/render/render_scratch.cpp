#include "swf/render/render_scratch.h"

namespace swf::render {

namespace {

// Layer images kept for reuse: masks and groups nest a few deep.
constexpr std::size_t kKeptImages = 6;

}  // namespace

std::unique_ptr<QImage> RenderScratch::takeImage(QSize size)
{
    for (auto it = images_.begin(); it != images_.end(); ++it) {
        if ((*it)->size() != size) continue;
        std::unique_ptr<QImage> image = std::move(*it);
        images_.erase(it);
        image->fill(Qt::transparent);
        return image;
    }
    auto image = std::make_unique<QImage>(size, QImage::Format_ARGB32_Premultiplied);
    image->fill(Qt::transparent);
    return image;
}

void RenderScratch::giveImage(std::unique_ptr<QImage> image)
{
    if (!image || image->isNull()) return;
    if (images_.size() >= kKeptImages) images_.erase(images_.begin());  // the oldest goes
    images_.push_back(std::move(image));
}

}  // namespace swf::render
