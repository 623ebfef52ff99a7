// MP3 through libmpg123: the encoder latency carried as SeekSamples, channel order, frames split
// between pieces, frame headers, and damaged data.

#include <gtest/gtest.h>

#include <random>

#include "audio_test_support.h"
#include "swf/audio/decoded_sound.h"
#include "swf/audio/mp3_decoder.h"
#include "swf/audio/mp3_frame.h"

namespace swf::audio {
namespace {

// Both test files were encoded with 1105 samples of encoder plus decoder delay.
constexpr int kLatency = 1105;

TEST(Mp3FrameHeader, SizesFramesOfEachVersion)
{
    // MPEG 1, 128 kbit/s, 44.1 kHz, padded, stereo: 417 + 1 bytes.
    auto h = parseMp3FrameHeader(std::vector<std::uint8_t>{0xff, 0xfb, 0x92, 0x00});
    ASSERT_TRUE(h);
    EXPECT_EQ(h->bytes, 418);
    EXPECT_EQ(h->samples, 1152);
    EXPECT_EQ(h->sampleRate, 44100);
    EXPECT_EQ(h->channels, 2);
    // MPEG 2, 32 kbit/s, 22.05 kHz, mono: 72 * 32000 / 22050 = 104 bytes, 576 samples.
    h = parseMp3FrameHeader(std::vector<std::uint8_t>{0xff, 0xf3, 0x40, 0xc4});
    ASSERT_TRUE(h);
    EXPECT_EQ(h->bytes, 104);
    EXPECT_EQ(h->samples, 576);
    EXPECT_EQ(h->sampleRate, 22050);
    EXPECT_EQ(h->channels, 1);
    // MPEG 2.5, 8 kbit/s, 11.025 kHz.
    h = parseMp3FrameHeader(std::vector<std::uint8_t>{0xff, 0xe3, 0x10, 0xc0});
    ASSERT_TRUE(h);
    EXPECT_EQ(h->sampleRate, 11025);
    EXPECT_EQ(h->bytes, 52);
    // Refused: free format, bad bitrate, reserved rate, reserved version, Layer I, short data.
    for (const auto& bad : std::vector<std::vector<std::uint8_t>>{
             {0xff, 0xfb, 0x00, 0x00}, {0xff, 0xfb, 0xf0, 0x00}, {0xff, 0xfb, 0x9c, 0x00},
             {0xff, 0xeb, 0x90, 0x00}, {0xff, 0xff, 0x90, 0x00}, {0xff, 0xfb, 0x90}}) {
        EXPECT_FALSE(parseMp3FrameHeader(bad));
    }
}

TEST(Mp3FrameHeader, CountsSamplesAcrossJunk)
{
    const auto mp3 = test::readFile(test::dataPath("chirp_mono_22050.mp3"));
    ASSERT_FALSE(mp3.empty());
    EXPECT_EQ(countMp3Samples(mp3), 25 * 576);
    std::vector<std::uint8_t> withJunk{0x00, 0xff, 0x12};
    withJunk.insert(withJunk.end(), mp3.begin(), mp3.end());
    EXPECT_EQ(countMp3Samples(withJunk), 25 * 576);
}

TEST(Mp3Decoder, SeekSamplesRemoveTheLatencySoTheSoundStartsOnTime)
{
    const auto mp3 = test::readFile(test::dataPath("chirp_mono_22050.mp3"));
    const auto reference = test::chirp(22050, 0.6, 300, 3000, 0.5);
    const auto format = SoundFormat::fromByte(0x2a);  // MP3, 22 kHz, mono

    const auto aligned = decodeEventSound(format, static_cast<std::uint32_t>(reference.size()),
                                          test::mp3SoundData(mp3, kLatency));
    ASSERT_TRUE(aligned);
    EXPECT_EQ(aligned->sampleRate, 22050);
    EXPECT_EQ(aligned->channels, 1);
    EXPECT_EQ(aligned->frames(), reference.size());
    const auto samples = test::channelOf(aligned->samples, 1, 0);
    const auto match = test::bestLag(reference, samples, -200, 200, reference.size());
    EXPECT_EQ(match.lag, 0);
    EXPECT_GT(match.correlation, 0.95);

    // Without SeekSamples the sound comes late by the latency.
    const auto late = decodeEventSound(format, 0, test::mp3SoundData(mp3, 0));
    ASSERT_TRUE(late);
    EXPECT_EQ(late->frames(), 25u * 576);
    EXPECT_EQ(test::bestLag(reference, test::channelOf(late->samples, 1, 0), 0, 1500, reference.size()).lag,
              kLatency);
}

TEST(Mp3Decoder, StereoKeepsLeftAndRightApart)
{
    const auto mp3 = test::readFile(test::dataPath("chirp_stereo_44100.mp3"));
    const auto left = test::chirp(44100, 0.4, 400, 4000, 0.5);
    const auto right = test::chirp(44100, 0.4, 2500, 200, 0.25, 1.0);
    const auto sound = decodeEventSound(SoundFormat::fromByte(0x2f), 0, test::mp3SoundData(mp3, kLatency));
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->sampleRate, 44100);
    ASSERT_EQ(sound->channels, 2);
    const auto l = test::channelOf(sound->samples, 2, 0);
    const auto r = test::channelOf(sound->samples, 2, 1);
    EXPECT_GT(test::bestLag(left, l, 0, 0, left.size()).correlation, 0.95);
    EXPECT_GT(test::bestLag(right, r, 0, 0, right.size()).correlation, 0.9);
    EXPECT_LT(test::bestLag(left, r, 0, 0, left.size()).correlation, 0.2);
}

TEST(Mp3Decoder, ChannelCountFollowsTheSoundFormat)
{
    // A stereo file declared mono is mixed down; a mono file declared stereo is doubled.
    const auto stereoMp3 = test::readFile(test::dataPath("chirp_stereo_44100.mp3"));
    const auto down = decodeEventSound(SoundFormat::fromByte(0x2e), 0, test::mp3SoundData(stereoMp3, 0));
    ASSERT_TRUE(down);
    EXPECT_EQ(down->channels, 1);
    EXPECT_EQ(down->frames(), 17u * 1152);
    const auto monoMp3 = test::readFile(test::dataPath("chirp_mono_22050.mp3"));
    const auto up = decodeEventSound(SoundFormat::fromByte(0x2b), 0, test::mp3SoundData(monoMp3, 0));
    ASSERT_TRUE(up);
    ASSERT_EQ(up->channels, 2);
    for (std::size_t i = 0; i < up->frames(); ++i) ASSERT_EQ(up->samples[2 * i], up->samples[2 * i + 1]);
}

TEST(Mp3Decoder, FramesSplitBetweenPiecesDecodeAsIfWhole)
{
    const auto mp3 = test::readFile(test::dataPath("chirp_stereo_44100.mp3"));
    Mp3Decoder whole(2, 44100, {});
    std::vector<std::int16_t> expected;
    whole.decode(mp3, expected);
    ASSERT_EQ(expected.size(), 2u * 17 * 1152);

    for (std::size_t piece : {1u, 7u, 100u, 313u, 1000u}) {
        Mp3Decoder split(2, 44100, {});
        std::vector<std::int16_t> out;
        for (std::size_t at = 0; at < mp3.size(); at += piece) {
            split.decode(std::span(mp3).subspan(at, std::min(piece, mp3.size() - at)), out);
        }
        EXPECT_EQ(out, expected) << "pieces of " << piece << " bytes";
    }
}

TEST(Mp3Decoder, ResetStartsAFreshStream)
{
    const auto mp3 = test::readFile(test::dataPath("chirp_mono_22050.mp3"));
    Mp3Decoder decoder(1, 22050, {});
    std::vector<std::int16_t> first;
    decoder.decode(std::span(mp3).first(mp3.size() / 2 + 17), first);  // stops inside a frame
    decoder.reset();
    std::vector<std::int16_t> again;
    decoder.decode(mp3, again);
    Mp3Decoder fresh(1, 22050, {});
    std::vector<std::int16_t> expected;
    fresh.decode(mp3, expected);
    EXPECT_EQ(again, expected);
}

TEST(Mp3Decoder, DamagedDataNeverCrashesAndKeepsGoodFrames)
{
    const auto mp3 = test::readFile(test::dataPath("chirp_mono_22050.mp3"));
    std::mt19937 random(11);
    int warnings = 0;
    const WarningHandler count = [&](const std::string&) { ++warnings; };
    for (int round = 0; round < 40; ++round) {
        std::vector<std::uint8_t> damaged = mp3;
        // Flip bytes here and there, then cut the data at a random place.
        for (int i = 0; i < 1 + round % 8; ++i) damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
        damaged.resize(random() % (damaged.size() + 1));
        const auto sound = decodeEventSound(SoundFormat::fromByte(0x2a), 0, test::mp3SoundData(damaged, 0), count);
        ASSERT_TRUE(sound);
        EXPECT_LE(sound->frames(), 60u * 576);
    }
    // Pure noise, and data shorter than the SeekSamples field.
    std::vector<std::uint8_t> noise(5000);
    for (auto& b : noise) b = static_cast<std::uint8_t>(random());
    EXPECT_TRUE(decodeEventSound(SoundFormat::fromByte(0x2a), 0, noise, count));
    EXPECT_FALSE(decodeEventSound(SoundFormat::fromByte(0x2a), 0, std::vector<std::uint8_t>{0x10}, count));

    // A corrupt frame in the middle costs at most its neighbours, not the rest of the sound.
    std::vector<std::uint8_t> middle = mp3;
    const auto frames = test::mp3Frames(mp3);
    for (std::size_t i = 0; i < frames[12].size; ++i) middle[frames[12].offset + i] = 0xff;
    const auto sound = decodeEventSound(SoundFormat::fromByte(0x2a), 0, test::mp3SoundData(middle, 0), count);
    ASSERT_TRUE(sound);
    EXPECT_GE(sound->frames(), 20u * 576);
}

}  // namespace
}  // namespace swf::audio
