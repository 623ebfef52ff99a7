#pragma once
// Working memory the renderer reuses from frame to frame: the rasterizer's buffers, the filters'
// planes and layer images. Memory fresh from the system costs a page fault for every page the
// first time it is touched, which for frame-sized buffers costs more than drawing into them.

#include <memory>
#include <vector>

#include <QImage>
#include <QRect>
#include <QSize>

#include "swf/render/compositing.h"
#include "swf/render/scanline_rasterizer.h"

namespace swf::render {

class RenderScratch {
public:
    ScanlineRasterizer rasterizer;
    FilterMemory filters;

    // A transparent premultiplied image of `size`, reused when one of that size was given back.
    std::unique_ptr<QImage> takeImage(QSize size);
    // `drawn` holds every pixel that is not transparent (only it is cleared for the next use).
    void giveImage(std::unique_ptr<QImage> image, QRect drawn);

private:
    struct Kept {
        std::unique_ptr<QImage> image;
        QRect drawn;
    };
    std::vector<Kept> images_;
};

}  // namespace swf::render
