// Nellymoser through libavcodec: length, content, blocks split between stream blocks, and the
// rates of its three codings.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "audio_test_support.h"
#include "swf/audio/decoded_sound.h"
#include "swf/audio/nellymoser_decoder.h"

namespace swf::audio {
namespace {

// The strength of one frequency in a signal (Goertzel), relative to the signal's energy.
double toneShare(std::span<const std::int16_t> samples, double frequency, int rate)
{
    const double w = 2 * std::numbers::pi * frequency / rate;
    double s1 = 0, s2 = 0, energy = 0;
    for (const std::int16_t x : samples) {
        const double s0 = x + 2 * std::cos(w) * s1 - s2;
        s2 = s1;
        s1 = s0;
        energy += static_cast<double>(x) * x;
    }
    const double power = s1 * s1 + s2 * s2 - 2 * std::cos(w) * s1 * s2;
    return energy > 0 ? 2 * power / (static_cast<double>(samples.size()) * energy) : 0;
}

TEST(NellymoserDecoder, DecodesEachBlockTo256SamplesOfTheEncodedTone)
{
    const auto data = test::readFile(test::dataPath("sine440_16000.nellymoser"));
    ASSERT_EQ(data.size(), 11 * kNellymoserBlockBytes);
    const auto sound = decodeEventSound(SoundFormat::fromByte(0x42), 0, data);  // format 4: 16 kHz
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->sampleRate, 16000);
    EXPECT_EQ(sound->channels, 1);
    EXPECT_EQ(sound->frames(), 11 * kNellymoserBlockSamples);
    // Away from the encoder's start-up, the sound is the 440 Hz tone at about half scale.
    const auto middle = std::span(sound->samples).subspan(512, 2048);
    EXPECT_GT(toneShare(middle, 440, 16000), 0.8);
    EXPECT_LT(toneShare(middle, 1000, 16000), 0.05);
    double peak = 0;
    for (auto s : middle) peak = std::max(peak, std::abs(static_cast<double>(s)));
    EXPECT_NEAR(peak, 16384, 16384 * 0.25);
}

TEST(NellymoserDecoder, BlocksSplitBetweenPiecesDecodeAsIfWhole)
{
    const auto data = test::readFile(test::dataPath("sine440_16000.nellymoser"));
    NellymoserDecoder whole(16000, {});
    std::vector<std::int16_t> expected;
    whole.decode(data, expected);
    NellymoserDecoder split(16000, {});
    std::vector<std::int16_t> out;
    for (std::size_t at = 0; at < data.size(); at += 50) {
        split.decode(std::span(data).subspan(at, std::min<std::size_t>(50, data.size() - at)), out);
    }
    EXPECT_EQ(out, expected);
    // A partial block at the very end is not played.
    NellymoserDecoder partial(16000, {});
    std::vector<std::int16_t> cut;
    partial.decode(std::span(data).first(data.size() - 10), cut);
    EXPECT_EQ(cut.size(), 10 * kNellymoserBlockSamples);
}

TEST(NellymoserDecoder, RateComesFromTheCodingOrTheRateField)
{
    const auto data = test::readFile(test::dataPath("sine440_16000.nellymoser"));
    const auto eightK = decodeEventSound(SoundFormat::fromByte(0x5e), 0, data);
    ASSERT_TRUE(eightK);
    EXPECT_EQ(eightK->sampleRate, 8000);
    const auto any = decodeEventSound(SoundFormat::fromByte(0x66), 0, data);  // format 6, 11 kHz field
    ASSERT_TRUE(any);
    EXPECT_EQ(any->sampleRate, 11025);
    EXPECT_EQ(any->frames(), 11 * kNellymoserBlockSamples);
    // Twice as long played at 8 kHz as at 16 kHz.
    EXPECT_NEAR(eightK->durationMs(), 2 * 11 * 256 * 1000.0 / 16000, 0.1);
}

TEST(NellymoserDecoder, NoiseDecodesToBoundedOutput)
{
    std::mt19937 random(3);
    std::vector<std::uint8_t> noise(64 * 20 + 17);
    for (auto& b : noise) b = static_cast<std::uint8_t>(random());
    const auto sound = decodeEventSound(SoundFormat::fromByte(0x42), 0, noise);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->frames(), 20 * kNellymoserBlockSamples);
}

TEST(UnsupportedCoding, IsSkippedWithAWarning)
{
    std::vector<std::string> warnings;
    const auto speex = decodeEventSound(SoundFormat::fromByte(0xb2), 100, std::vector<std::uint8_t>(100, 1),
                                        [&](const std::string& w) { warnings.push_back(w); });
    EXPECT_FALSE(speex);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("Speex"), std::string::npos);
    EXPECT_FALSE(decodeEventSound(SoundFormat::fromByte(0x92), 100, std::vector<std::uint8_t>(100, 1)));
}

}  // namespace
}  // namespace swf::audio
