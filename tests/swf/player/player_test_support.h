#pragma once
// Helpers of the player tests: loading written movies and reading pixels.

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include "support/swf_writer.h"
#include "swf/player.h"
#include "swf/runtime/runtime_test_support.h"  // tests/swf/runtime

namespace swf::test {

inline void load(Player& player, const writer::Bytes& bytes)
{
    try {
        player.loadBytes(bytes);
    } catch (const LoadError& e) {
        FAIL() << "load failed: " << e.what();
    }
}

inline QRgb pixel(const QImage& image, int x, int y) { return image.pixel(x, y); }

// Whether two colours agree within `tolerance` per channel (antialiasing, rounding).
inline bool near(QRgb a, QRgb b, int tolerance = 2)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance && std::abs(qAlpha(a) - qAlpha(b)) <= tolerance;
}

}  // namespace swf::test

#define EXPECT_PIXEL(image, x, y, expected)                                                                   \
    EXPECT_TRUE(swf::test::near((image).pixel((x), (y)), (expected)))                                         \
        << "pixel (" << (x) << ", " << (y) << ") is " << std::hex << (image).pixel((x), (y)) << ", expected " \
        << (expected) << std::dec
