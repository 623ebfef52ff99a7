// Resampling to 44.1 kHz: output lengths for every rate, exact samples where positions meet,
// quality on tones, and identical output however the input is split.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "swf/audio/resampler.h"

namespace swf::audio {
namespace {

std::vector<std::int16_t> tone(int rate, double frequency, std::size_t frames, double amplitude = 0.5)
{
    std::vector<std::int16_t> out(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        out[i] = static_cast<std::int16_t>(std::lround(amplitude * 32767 * std::sin(2 * std::numbers::pi * frequency * i / rate)));
    }
    return out;
}

std::vector<float> resampleAll(int rate, int channels, std::span<const std::int16_t> input)
{
    Resampler r(rate, channels);
    r.push(input);
    r.finish();
    std::vector<float> out(r.available() * static_cast<std::size_t>(channels));
    EXPECT_EQ(r.read(out) * static_cast<std::size_t>(channels), out.size());
    EXPECT_TRUE(r.drained());
    return out;
}

TEST(Resampler, OutputLengthForEveryRate)
{
    struct Case {
        int rate;
        std::int64_t frames;
        std::int64_t expected;
    };
    for (const Case c : {Case{5512, 1000, 8000}, Case{11025, 1000, 4000}, Case{22050, 1001, 2002},
                         Case{44100, 777, 777}, Case{8000, 8000, 44100}, Case{16000, 16000, 44100},
                         Case{16000, 1, 3}, Case{48000, 48000, 44100}, Case{32000, 3200, 4410}}) {
        EXPECT_EQ(outputFramesFor(c.frames, c.rate), c.expected) << c.rate;
        const std::vector<std::int16_t> input(static_cast<std::size_t>(c.frames), 1000);
        EXPECT_EQ(static_cast<std::int64_t>(resampleAll(c.rate, 1, input).size()), c.expected) << c.rate;
    }
    EXPECT_EQ(outputFramesFor(0, 22050), 0);
    EXPECT_DOUBLE_EQ(effectiveRate(5512), 5512.5);
}

TEST(Resampler, PositionsOnSourceFramesReproduceThemExactly)
{
    std::mt19937 random(5);
    std::vector<std::int16_t> input(2000);
    for (auto& s : input) s = static_cast<std::int16_t>(random());
    for (const auto& [rate, ratio] : {std::pair{5512, 8}, {11025, 4}, {22050, 2}, {44100, 1}}) {
        const auto out = resampleAll(rate, 2, input);  // as 1000 stereo frames
        ASSERT_EQ(out.size(), input.size() * static_cast<std::size_t>(ratio));
        for (std::size_t i = 0; i < input.size(); ++i) {
            const std::size_t frame = i / 2, channel = i % 2;
            ASSERT_EQ(out[frame * ratio * 2 + channel] * 32768.0f, input[i]) << rate << " sample " << i;
        }
    }
}

TEST(Resampler, TonesComeOutClean)
{
    struct Case {
        int rate;
        double frequency;
        double maxError;  // relative to full scale
    };
    for (const Case c : {Case{11025, 1000, 0.001}, Case{22050, 2000, 0.001}, Case{5512, 500, 0.001},
                         Case{11025, 3500, 0.02}, Case{8000, 1000, 0.002}, Case{48000, 1000, 0.002}}) {
        const auto input = tone(c.rate, c.frequency, static_cast<std::size_t>(c.rate / 2));
        const auto out = resampleAll(c.rate, 1, input);
        const double rate = effectiveRate(c.rate);
        double worst = 0;
        // Away from the ends, where the kernel sees silence beyond the input.
        for (std::size_t n = 200; n + 200 < out.size(); ++n) {
            const double t = static_cast<double>(n) * rate / kOutputRate;
            const double ideal = 0.5 * 32767 * std::sin(2 * std::numbers::pi * c.frequency * t / c.rate) / 32768;
            worst = std::max(worst, std::abs(out[n] - ideal));
        }
        EXPECT_LT(worst, c.maxError) << c.rate << " Hz, " << c.frequency << " Hz tone";
    }
}

TEST(Resampler, KeepsConstantLevels)
{
    const std::vector<std::int16_t> input(3000, -12000);
    const auto out = resampleAll(22050, 1, input);
    for (std::size_t n = 20; n + 20 < out.size(); ++n) ASSERT_NEAR(out[n], -12000 / 32768.0, 1e-6) << n;
}

TEST(Resampler, InputSplitAnywhereGivesTheSameOutput)
{
    std::mt19937 random(9);
    for (const int rate : {5512, 11025, 16000, 22050, 44100}) {
        const auto input = tone(rate, 700, 20000);
        const auto expected = resampleAll(rate, 1, input);
        Resampler r(rate, 1);
        std::vector<float> out;
        std::size_t at = 0;
        while (!r.drained()) {
            // Feed a random piece, read a random amount: like blocks arriving and the output pulling.
            if (at < input.size() && random() % 2) {
                const std::size_t n = std::min<std::size_t>(random() % 3000, input.size() - at);
                r.push(std::span(input).subspan(at, n));
                at += n;
                if (at == input.size()) r.finish();
            }
            std::vector<float> chunk(random() % 2000);
            chunk.resize(r.read(chunk));
            out.insert(out.end(), chunk.begin(), chunk.end());
        }
        EXPECT_EQ(out, expected) << rate;
    }
}

TEST(Resampler, InputNeededIsExactlyEnough)
{
    for (const int rate : {5512, 11025, 22050, 44100, 8000}) {
        Resampler r(rate, 2);
        std::size_t wanted = 1;
        for (int round = 0; round < 50; ++round) {
            const std::size_t need = r.inputNeededFor(wanted);
            if (need > 0) {
                r.pushSilence(need - 1);
                ASSERT_LT(r.available(), wanted) << rate;  // one frame less is not enough
                r.pushSilence(1);
            }
            ASSERT_GE(r.available(), wanted) << rate;
            std::vector<float> out(2 * wanted);
            ASSERT_EQ(r.read(out), wanted);
            wanted = 1 + (wanted * 7 + 300) % 1500;
        }
    }
}

}  // namespace
}  // namespace swf::audio
