#include "tools/conformance/core/image_comparison.h"

#include "conformance_fixtures.h"
#include "tools/conformance/core/corpus_rules.h"

#include <gtest/gtest.h>

#include <cmath>

namespace conformance {
namespace {

using testing::solidImage;

TEST(ImageComparison, CountsEachChannelBeyondTheTolerance)
{
    const QImage reference = solidImage(20, 10, QColor(100, 100, 100));
    QImage rendered = reference;
    rendered.setPixelColor(3, 4, QColor(110, 100, 100));
    EXPECT_EQ(countOutliers(reference, rendered, 9), 1);
    EXPECT_EQ(countOutliers(reference, rendered, 10), 0);
    rendered.setPixelColor(5, 5, QColor(150, 50, 160));
    EXPECT_EQ(countOutliers(reference, rendered, 9), 4);   // the first pixel's R, all three of the second
    EXPECT_EQ(countOutliers(reference, rendered, 10), 3);
    EXPECT_EQ(countOutliers(reference, reference, 0), 0);
}

TEST(ImageComparison, AlphaIsComparedAndPremultiplicationIgnored)
{
    QImage straight(4, 4, QImage::Format_ARGB32);
    straight.fill(QColor(200, 100, 50, 128));
    const QImage premultiplied = straight.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // Rounding in premultiplication moves a channel by at most one level.
    EXPECT_EQ(countOutliers(straight, premultiplied, 1), 0);
    QImage opaque(4, 4, QImage::Format_ARGB32);
    opaque.fill(QColor(200, 100, 50, 255));
    EXPECT_EQ(countOutliers(straight, opaque, 8), 16);
}

TEST(ImageComparison, SimilarityFigures)
{
    const QImage reference = solidImage(10, 10, QColor(100, 100, 100));
    const ImageDifference same = measureImages(reference, reference);
    EXPECT_TRUE(same.sameSize);
    EXPECT_DOUBLE_EQ(same.withinShare, 1.0);
    EXPECT_DOUBLE_EQ(same.psnr, rules::kPsnrIdentical);
    EXPECT_EQ(same.channelValues, 400);

    // A uniform error of 16 levels: MSE 256, PSNR 10 log10(255^2 / 256).
    const ImageDifference shifted = measureImages(reference, solidImage(10, 10, QColor(116, 116, 116)));
    EXPECT_NEAR(shifted.psnr, 10.0 * std::log10(65025.0 / 256.0), 1e-9);
    EXPECT_DOUBLE_EQ(shifted.withinShare, 0.0);

    // Within 8 is per pixel: 8 levels is in, 9 is out.
    QImage mixed = reference;
    for (int x = 0; x < 10; ++x)
        mixed.setPixelColor(x, 0, QColor(108, 92, 100));
    for (int x = 0; x < 5; ++x)
        mixed.setPixelColor(x, 1, QColor(109, 100, 100));
    EXPECT_DOUBLE_EQ(measureImages(reference, mixed).withinShare, 0.95);
}

TEST(ImageComparison, DifferentSizesNeverPass)
{
    const QImage a = solidImage(10, 10, Qt::white);
    const QImage b = solidImage(10, 11, Qt::white);
    EXPECT_EQ(countOutliers(a, b, 255), -1);
    const ImageDifference d = measureImages(a, b);
    EXPECT_FALSE(d.sameSize);
    EXPECT_EQ(d.withinShare, 0.0);
    EXPECT_EQ(countOutliers(a, QImage(), 255), -1);
}

TEST(ImageComparison, AllowedOutliersAddTheShare)
{
    EXPECT_EQ(allowedOutliers(ImageRule{0, 17, 0.0}, 120000), 17);
    EXPECT_EQ(allowedOutliers(ImageRule{8, 0, 0.002}, 120000), 240);
    EXPECT_EQ(allowedOutliers(ImageRule{8, 0, 0.002}, 499), 0);
}

}  // namespace
}  // namespace conformance
