#pragma once
// Pixel work on layers: blend modes that QPainter lacks, and the bitmap filters.

#include <cstddef>
#include <vector>

#include <QImage>
#include <QPoint>

#include "swf/render/effects.h"

namespace swf::render {

// Working memory of the filters, kept between frames: memory fresh from the system costs a page
// fault for every page on first touch, which for frame-sized planes outweighs the filtering.
class FilterMemory {
public:
    // At least `size` values, as earlier use left them (the filters write every value they read).
    std::vector<float> take(std::size_t size);
    void give(std::vector<float> plane);
    std::vector<double> sums;  // running sums of a vertical blur pass

private:
    std::vector<std::vector<float>> free_;
};

// Composites `layer` (premultiplied ARGB32) onto `backdrop` at `offset` with a blend mode.
void blendLayer(QImage& backdrop, const QImage& layer, QPoint offset, BlendMode mode);

// Applies the filters in order to the premultiplied image in place. `scale` is device pixels
// per filter pixel.
void applyFilters(QImage& image, const std::vector<Filter>& filters, double scale, FilterMemory& memory);

// Box blur of every channel, `passes` times, with fractional radii.
void boxBlur(QImage& image, double blurX, double blurY, int passes, FilterMemory& memory);

}  // namespace swf::render
