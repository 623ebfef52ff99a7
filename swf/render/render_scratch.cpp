#include "swf/render/render_scratch.h"

#include <algorithm>
#include <cstdint>

namespace swf::render {

namespace {

// Layer images kept for reuse: masks and groups nest a few deep.
constexpr std::size_t kKeptImages = 8;

}  // namespace

std::unique_ptr<QImage> RenderScratch::takeImage(QSize size)
{
    for (auto it = images_.begin(); it != images_.end(); ++it) {
        if (it->image->size() != size) continue;
        std::unique_ptr<QImage> image = std::move(it->image);
        const QRect drawn = it->drawn;
        images_.erase(it);
        if (!drawn.isEmpty()) {
            const auto stride = std::size_t(image->bytesPerLine() / 4);
            auto* bits = reinterpret_cast<std::uint32_t*>(image->bits());
            for (int y = drawn.top(); y <= drawn.bottom(); ++y)
                std::fill_n(bits + std::size_t(y) * stride + std::size_t(drawn.left()), drawn.width(), 0u);
        }
        return image;
    }
    auto image = std::make_unique<QImage>(size, QImage::Format_ARGB32_Premultiplied);
    image->fill(Qt::transparent);
    return image;
}

void RenderScratch::giveImage(std::unique_ptr<QImage> image, QRect drawn)
{
    if (!image || image->isNull()) return;
    drawn = drawn.intersected(image->rect());
    images_.push_back({std::move(image), drawn});
    if (images_.size() <= kKeptImages) return;
    // The smallest goes: large images are the costly ones to make again.
    auto smallest = std::min_element(images_.begin(), images_.end(), [](const Kept& a, const Kept& b) {
        return qint64(a.image->width()) * a.image->height() < qint64(b.image->width()) * b.image->height();
    });
    images_.erase(smallest);
}

}  // namespace swf::render
