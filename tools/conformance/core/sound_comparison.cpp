#include "tools/conformance/core/sound_comparison.h"

#include "tools/conformance/core/corpus_rules.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace conformance {

Pcm mixStreams(const std::vector<Pcm>& streams)
{
    Pcm out{2, 0, {}};
    for (const Pcm& stream : streams) {
        if (stream.samples.size() > out.samples.size())
            out.samples.resize(stream.samples.size(), 0);
        for (size_t i = 0; i < stream.samples.size(); ++i)
            out.samples[i] = static_cast<int16_t>(std::clamp(int(out.samples[i]) + int(stream.samples[i]), -32768, 32767));
    }
    return out;
}

SoundDifference compareSound(const Pcm& reference, const Pcm& mix)
{
    const qsizetype referenceFrames = reference.frames();
    // Mix frames that line up with a reference frame: 8k + 4 for k = 0, 1, ...
    const qsizetype mixFrames = mix.frames();
    const qsizetype decimatedFrames =
        mixFrames > rules::kRawPhase ? (mixFrames - rules::kRawPhase - 1) / rules::kRawDecimation + 1 : 0;
    auto mixValue = [&](qsizetype frame, int channel) -> int {
        if (frame >= decimatedFrames)
            return 0;  // a mix that ends early is silent from there on
        const qsizetype at = frame * rules::kRawDecimation + rules::kRawPhase;
        return mix.samples[static_cast<size_t>(at * mix.channels + channel)];
    };

    SoundDifference result;
    const bool emptyReference = referenceFrames == 0;
    const qsizetype span = emptyReference ? decimatedFrames : referenceFrames;
    double squaredError = 0.0;
    long long within = 0;
    for (qsizetype k = 0; k < span; ++k) {
        for (int c = 0; c < 2; ++c) {
            const int want = emptyReference ? 0 : reference.samples[static_cast<size_t>(2 * k + c)];
            const int diff = std::abs(want - mixValue(k, c));
            squaredError += double(diff) * double(diff);
            if (diff <= rules::kSoundTolerance)
                ++within;
            else
                ++result.outliers;
        }
    }
    for (qsizetype k = span; k < decimatedFrames; ++k)
        for (int c = 0; c < 2; ++c)
            if (std::abs(mixValue(k, c)) > rules::kSoundTolerance)
                ++result.tailOutliers;

    result.compared = 2 * static_cast<long long>(span);
    result.allowed = static_cast<long long>(
        std::floor(rules::kSoundMaxOutlierShare * double(2 * static_cast<long long>(referenceFrames))));
    result.withinShare = result.compared ? double(within) / double(result.compared) : 1.0;
    const double meanSquaredError = result.compared ? squaredError / double(result.compared) : 0.0;
    result.psnr = meanSquaredError == 0.0
        ? rules::kPsnrIdentical
        : std::min(rules::kPsnrIdentical, 10.0 * std::log10(32767.0 * 32767.0 / meanSquaredError));
    return result;
}

}  // namespace conformance
