// Comparing swfcli's 44.1 kHz mix with a corpus's low-rate reference PCM.
#pragma once

#include "tools/conformance/core/pcm_files.h"

namespace conformance {

struct SoundDifference {
    long long compared = 0;       // sample values over the reference's length (both channels)
    long long outliers = 0;       // of those, values off by more than the tolerance
    long long tailOutliers = 0;   // values of the mix past the reference's end that are not silent
    long long allowed = 0;
    double withinShare = 0.0;     // over the reference's length (the whole mix for an empty one)
    double psnr = 0.0;            // dB against full scale, same span
    bool passes() const { return outliers + tailOutliers <= allowed; }
};

// Several reference streams played at once: summed and clipped as a mixer does.
Pcm mixStreams(const std::vector<Pcm>& streams);

// `reference` is stereo at 1/rules::kRawDecimation of the mix's rate; `mix` must be stereo.
SoundDifference compareSound(const Pcm& reference, const Pcm& mix);

}  // namespace conformance
