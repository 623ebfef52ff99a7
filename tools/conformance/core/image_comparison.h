// Comparing a rendered stage with a reference picture: the strict rule of a case and the
// similarity figures that show progress before a case passes.
#pragma once

#include "tools/conformance/core/corpus_case.h"

#include <QImage>

namespace conformance {

struct ImageDifference {
    bool sameSize = false;
    long long channelValues = 0;   // values compared (pixels x 4 channels)
    double withinShare = 0.0;      // pixels whose R, G, B and A are all within the similarity tolerance
    double psnr = 0.0;             // dB over R, G, B; rules::kPsnrIdentical when identical
};

// The similarity figures. Pictures of different sizes have 0 share and 0 dB.
ImageDifference measureImages(const QImage& expected, const QImage& actual);

// Channel values (R, G, B and A counted apart) differing by more than `tolerance`; -1 when the
// sizes differ.
long long countOutliers(const QImage& expected, const QImage& actual, int tolerance);

// The outliers `rule` allows on a picture with `channelValues` values.
long long allowedOutliers(const ImageRule& rule, long long channelValues);

}  // namespace conformance
