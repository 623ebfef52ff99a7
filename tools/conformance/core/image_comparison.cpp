#include "tools/conformance/core/image_comparison.h"

#include "tools/conformance/core/corpus_rules.h"

#include <cmath>
#include <cstdlib>

namespace conformance {
namespace {

// Both pictures as straight (not premultiplied) RGBA bytes, the form the PNG files hold.
QImage asRgba(const QImage& image)
{
    return image.convertToFormat(QImage::Format_RGBA8888);
}

template <typename PixelVisitor>
void forEachPixelPair(const QImage& a, const QImage& b, PixelVisitor&& visit)
{
    for (int y = 0; y < a.height(); ++y) {
        const uchar* rowA = a.constScanLine(y);
        const uchar* rowB = b.constScanLine(y);
        for (int x = 0; x < a.width(); ++x)
            visit(rowA + 4 * x, rowB + 4 * x);
    }
}

}  // namespace

ImageDifference measureImages(const QImage& expected, const QImage& actual)
{
    ImageDifference result;
    if (expected.size() != actual.size() || expected.isNull())
        return result;
    result.sameSize = true;
    const QImage a = asRgba(expected);
    const QImage b = asRgba(actual);
    long long within = 0;
    double squaredError = 0.0;
    forEachPixelPair(a, b, [&](const uchar* p, const uchar* q) {
        int worst = 0;
        for (int c = 0; c < 4; ++c)
            worst = std::max(worst, std::abs(int(p[c]) - int(q[c])));
        if (worst <= rules::kSimilarityTolerance)
            ++within;
        for (int c = 0; c < 3; ++c) {
            const double d = double(p[c]) - double(q[c]);
            squaredError += d * d;
        }
    });
    const long long pixels = static_cast<long long>(a.width()) * a.height();
    result.channelValues = pixels * 4;
    result.withinShare = double(within) / double(pixels);
    const double meanSquaredError = squaredError / (3.0 * double(pixels));
    result.psnr = meanSquaredError == 0.0
        ? rules::kPsnrIdentical
        : std::min(rules::kPsnrIdentical, 10.0 * std::log10(255.0 * 255.0 / meanSquaredError));
    return result;
}

long long countOutliers(const QImage& expected, const QImage& actual, int tolerance)
{
    if (expected.size() != actual.size() || expected.isNull())
        return -1;
    const QImage a = asRgba(expected);
    const QImage b = asRgba(actual);
    long long outliers = 0;
    forEachPixelPair(a, b, [&](const uchar* p, const uchar* q) {
        for (int c = 0; c < 4; ++c)
            if (std::abs(int(p[c]) - int(q[c])) > tolerance)
                ++outliers;
    });
    return outliers;
}

long long allowedOutliers(const ImageRule& rule, long long channelValues)
{
    return rule.maxOutliers + static_cast<long long>(std::floor(rule.maxOutlierShare * double(channelValues)));
}

}  // namespace conformance
