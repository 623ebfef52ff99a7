#include "swf/audio/resampler.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace swf::audio {

struct ResamplerKernel {
    static constexpr int kPhaseBits = 10;
    static constexpr int kPhases = 1 << kPhaseBits;
    static constexpr int kTaps = 2 * Resampler::kHalfTaps;
    std::vector<float> taps;  // kPhases rows of kTaps weights
};

namespace {

constexpr FixedPosition kOne = FixedPosition{1} << kPositionFractionBits;
constexpr double kKaiserBeta = 8.0;
// Input frames that may pile up in front of the read position before the buffer is compacted.
constexpr std::int64_t kCompactFrames = 4096;

double besselI0(double x)
{
    double sum = 1.0;
    double term = 1.0;
    for (int k = 1; k < 50; ++k) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
        if (term < sum * 1e-17) break;
    }
    return sum;
}

// One row per sub-sample phase: the weights of the source frames from (i - 7) to (i + 8) for an
// output at i + phase / kPhases. `cutoff` below 1 narrows the pass band when the source is
// faster than the output. Each row sums to exactly one, so silence and constant levels stay put.
std::shared_ptr<const ResamplerKernel> makeKernel(double cutoff)
{
    auto kernel = std::make_shared<ResamplerKernel>();
    constexpr int taps = ResamplerKernel::kTaps;
    constexpr int half = Resampler::kHalfTaps;
    kernel->taps.resize(static_cast<std::size_t>(ResamplerKernel::kPhases) * taps);
    const double windowNorm = besselI0(kKaiserBeta);
    for (int phase = 0; phase < ResamplerKernel::kPhases; ++phase) {
        const double fraction = static_cast<double>(phase) / ResamplerKernel::kPhases;
        double row[taps];
        double sum = 0;
        for (int j = 0; j < taps; ++j) {
            const double distance = (j - half + 1) - fraction;
            double sinc = 1.0;
            if (distance != 0.0) {
                const double x = std::numbers::pi * cutoff * distance;
                // Whole-number distances at full band are exact zeros, so phase 0 copies the frame.
                sinc = (cutoff == 1.0 && phase == 0) ? 0.0 : std::sin(x) / x;
            }
            const double w = distance / half;
            const double window = std::abs(w) >= 1.0 ? 0.0
                                                      : besselI0(kKaiserBeta * std::sqrt(1.0 - w * w)) / windowNorm;
            row[j] = cutoff * sinc * window;
            sum += row[j];
        }
        for (int j = 0; j < taps; ++j) {
            kernel->taps[static_cast<std::size_t>(phase) * taps + j] = static_cast<float>(row[j] / sum);
        }
    }
    return kernel;
}

std::shared_ptr<const ResamplerKernel> kernelFor(int sourceRate)
{
    if (sourceRate <= kOutputRate) {
        // Every SWF rate is at or below the output rate: one shared table serves them all.
        static const std::shared_ptr<const ResamplerKernel> fullBand = makeKernel(1.0);
        return fullBand;
    }
    return makeKernel(static_cast<double>(kOutputRate) / sourceRate);
}

}  // namespace

FixedPosition resampleStep(int sourceRate)
{
    if (sourceRate <= 0) return kOne;
    if (sourceRate == 5512) return kOne / 8;  // the "5.5 kHz" rate is an eighth of 44.1 kHz
    // Rounded up: a sound of a whole number of output frames' length then makes exactly that
    // many (rounded to nearest it could make one more); the speed error is below 2^-32.
    const auto scaled = (static_cast<unsigned __int128>(sourceRate) << kPositionFractionBits) + kOutputRate - 1;
    return static_cast<FixedPosition>(scaled / kOutputRate);
}

double effectiveRate(int sourceRate)
{
    return static_cast<double>(resampleStep(sourceRate)) * kOutputRate / static_cast<double>(kOne);
}

std::int64_t outputFramesFor(std::int64_t sourceFrames, int sourceRate)
{
    if (sourceFrames <= 0) return 0;
    const auto span = static_cast<unsigned __int128>(sourceFrames) << kPositionFractionBits;
    const FixedPosition step = resampleStep(sourceRate);
    return static_cast<std::int64_t>((span + step - 1) / step);
}

Resampler::Resampler(int sourceRate, int channels)
    : sourceRate_(sourceRate > 0 ? sourceRate : kOutputRate),
      channels_(channels == 2 ? 2 : 1),
      step_(resampleStep(sourceRate_))
{
    if (step_ != kOne) {
        kernel_ = kernelFor(sourceRate_);
        base_ = -(kHalfTaps - 1);
        buffer_.assign(static_cast<std::size_t>(kHalfTaps - 1) * channels_, 0.0f);
    }
}

Resampler::~Resampler() = default;
Resampler::Resampler(Resampler&&) noexcept = default;
Resampler& Resampler::operator=(Resampler&&) noexcept = default;

void Resampler::push(std::span<const std::int16_t> interleaved)
{
    if (finished_) return;
    const std::size_t frames = interleaved.size() / static_cast<std::size_t>(channels_);
    const std::size_t samples = frames * static_cast<std::size_t>(channels_);
    buffer_.reserve(buffer_.size() + samples);
    for (std::size_t i = 0; i < samples; ++i) buffer_.push_back(interleaved[i] * (1.0f / 32768.0f));
    inputFrames_ += static_cast<std::int64_t>(frames);
}

void Resampler::pushSilence(std::size_t frames)
{
    if (finished_) return;
    buffer_.resize(buffer_.size() + frames * static_cast<std::size_t>(channels_), 0.0f);
    inputFrames_ += static_cast<std::int64_t>(frames);
}

void Resampler::finish()
{
    if (finished_) return;
    // The last output frames look up to kHalfTaps frames past the end: they see silence.
    if (kernel_) buffer_.resize(buffer_.size() + static_cast<std::size_t>(kHalfTaps) * channels_, 0.0f);
    finished_ = true;
}

std::size_t Resampler::available() const
{
    // Output frame n exists while the whole frame under its position is in the input, and with
    // interpolation, while the kHalfTaps frames after it are too (or the input has ended).
    const std::int64_t limit = (kernel_ && !finished_) ? inputFrames_ - kHalfTaps : inputFrames_;
    if (limit <= 0) return 0;
    const auto end = static_cast<unsigned __int128>(limit) << kPositionFractionBits;
    if (end <= position_) return 0;
    return static_cast<std::size_t>((end - position_ + step_ - 1) / step_);
}

std::size_t Resampler::inputNeededFor(std::size_t outputFrames) const
{
    if (finished_ || outputFrames == 0) return 0;
    const auto last = static_cast<unsigned __int128>(position_) + static_cast<unsigned __int128>(outputFrames - 1) * step_;
    const auto lastFrame = static_cast<std::int64_t>(last >> kPositionFractionBits);
    const std::int64_t required = lastFrame + 1 + (kernel_ ? kHalfTaps : 0);
    return required > inputFrames_ ? static_cast<std::size_t>(required - inputFrames_) : 0;
}

std::size_t Resampler::read(std::span<float> out)
{
    const std::size_t frames = std::min(out.size() / static_cast<std::size_t>(channels_), available());
    const auto ch = static_cast<std::size_t>(channels_);
    float* dst = out.data();
    if (!kernel_) {
        const auto first = static_cast<std::size_t>(static_cast<std::int64_t>(position_ >> kPositionFractionBits) - base_);
        std::copy_n(buffer_.data() + first * ch, frames * ch, dst);
        position_ += frames * step_;
    } else {
        const float* taps = kernel_->taps.data();
        constexpr int kTaps = ResamplerKernel::kTaps;
        constexpr int kPhaseShift = kPositionFractionBits - ResamplerKernel::kPhaseBits;
        for (std::size_t n = 0; n < frames; ++n) {
            const auto frame = static_cast<std::int64_t>(position_ >> kPositionFractionBits);
            const auto phase = static_cast<std::size_t>((position_ >> kPhaseShift) & (ResamplerKernel::kPhases - 1));
            const float* row = taps + phase * kTaps;
            const float* src = buffer_.data() + static_cast<std::size_t>(frame - (kHalfTaps - 1) - base_) * ch;
            for (std::size_t c = 0; c < ch; ++c) {
                float acc = 0.0f;
                for (int j = 0; j < kTaps; ++j) acc += row[j] * src[static_cast<std::size_t>(j) * ch + c];
                *dst++ = acc;
            }
            position_ += step_;
        }
    }
    compact();
    return frames;
}

double Resampler::sourcePosition() const
{
    return static_cast<double>(position_) / static_cast<double>(kOne);
}

void Resampler::compact()
{
    const auto frame = static_cast<std::int64_t>(position_ >> kPositionFractionBits);
    const std::int64_t keepFrom = std::min(frame - (kernel_ ? kHalfTaps - 1 : 0),
                                           inputFrames_ + (finished_ && kernel_ ? kHalfTaps : 0));
    const std::int64_t drop = keepFrom - base_;
    if (drop < kCompactFrames) return;
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(drop * channels_));
    base_ = keepFrom;
}

}  // namespace swf::audio
