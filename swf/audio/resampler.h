#pragma once
// Converts samples at a sound's own rate to the output rate by windowed-sinc interpolation
// (16 taps, Kaiser window, 1024 sub-sample phases). It keeps its input history between calls, so
// a stream pushed in pieces comes out exactly as if pushed at once: nothing changes at the seams
// between blocks. An output position that falls on a source frame reproduces that frame exactly;
// sounds already at 44.1 kHz pass through untouched.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "swf/audio/sound_format.h"

namespace swf::audio {

// Source positions are kept in 32.32 fixed point so that the common rates step exactly.
using FixedPosition = std::uint64_t;
inline constexpr int kPositionFractionBits = 32;

// The source distance between two output frames for a source rate; 5512 stands for 44100 / 8.
FixedPosition resampleStep(int sourceRate);
// The rate a source is actually played at (5512.5 for the 5512 rate), in source frames per second.
double effectiveRate(int sourceRate);
// How many output frames `sourceFrames` frames at `sourceRate` make.
std::int64_t outputFramesFor(std::int64_t sourceFrames, int sourceRate);

struct ResamplerKernel;

class Resampler {
public:
    static constexpr int kHalfTaps = 8;

    Resampler(int sourceRate, int channels);
    ~Resampler();
    Resampler(Resampler&&) noexcept;
    Resampler& operator=(Resampler&&) noexcept;

    int channels() const { return channels_; }
    int sourceRate() const { return sourceRate_; }

    // Input, as interleaved frames of channels() samples.
    void push(std::span<const std::int16_t> interleaved);
    void pushSilence(std::size_t frames);
    // The input has ended: the last output frames (which look past the end) become available.
    void finish();
    bool finished() const { return finished_; }

    // Output frames that can be read with the input pushed so far.
    std::size_t available() const;
    // Source frames still to push before `outputFrames` output frames are available.
    std::size_t inputNeededFor(std::size_t outputFrames) const;
    // Writes up to out.size() / channels() frames (interleaved floats, 1.0 = full scale) and
    // returns how many it wrote.
    std::size_t read(std::span<float> out);
    // Finished and everything read.
    bool drained() const { return finished_ && available() == 0; }

    // Source frames pushed, and the source position of the next output frame.
    std::int64_t inputFrames() const { return inputFrames_; }
    double sourcePosition() const;

private:
    void compact();

    int sourceRate_;
    int channels_;
    FixedPosition step_;
    std::shared_ptr<const ResamplerKernel> kernel_;  // null when passing through
    // buffer_ holds interleaved frames from absolute frame index base_ on; base_ starts below
    // zero with silence so that the first output frames have their left neighbours.
    std::vector<float> buffer_;
    std::int64_t base_ = 0;
    std::int64_t inputFrames_ = 0;
    FixedPosition position_ = 0;  // absolute source position of the next output frame
    bool finished_ = false;
};

}  // namespace swf::audio
