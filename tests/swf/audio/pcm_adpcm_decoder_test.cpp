// Uncompressed and ADPCM sound data: byte orders and sample sizes, the ADPCM code widths and
// packet layout against hand-worked values and against the corpus's expected output, and
// damaged data.

#include <gtest/gtest.h>

#include <random>

#include "audio_test_support.h"
#include "swf/audio/adpcm_decoder.h"
#include "swf/audio/block_decoder.h"
#include "swf/audio/decoded_sound.h"
#include "swf/audio/mixer.h"
#include "swf/audio/pcm_decoder.h"

namespace swf::audio {
namespace {

std::vector<std::int16_t> decodeWith(const SoundFormat& format, std::span<const std::uint8_t> data)
{
    auto decoder = makeBlockDecoder(format, {});
    std::vector<std::int16_t> out;
    decoder->decode(data, out);
    return out;
}

TEST(PcmDecoder, SixteenBitIsLittleEndianForBothUncompressedCodings)
{
    const std::vector<std::uint8_t> bytes{0x34, 0x12, 0xcc, 0xed, 0x00, 0x80, 0xff, 0x7f};
    const std::vector<std::int16_t> expected{0x1234, -0x1234, -32768, 32767};
    // Format byte: coding << 4 | rate << 2 | 16-bit << 1 | stereo.
    EXPECT_EQ(decodeWith(SoundFormat::fromByte(0x0e), bytes), expected);  // native order
    EXPECT_EQ(decodeWith(SoundFormat::fromByte(0x3e), bytes), expected);  // little-endian
}

TEST(PcmDecoder, EightBitSamplesAreUnsignedAroundHalfScale)
{
    const std::vector<std::uint8_t> bytes{0x00, 0x80, 0xff, 0x81};
    const std::vector<std::int16_t> expected{-32768, 0, 32512, 256};
    EXPECT_EQ(decodeWith(SoundFormat::fromByte(0x3c), bytes), expected);
}

TEST(PcmDecoder, DropsATrailingPartialFrame)
{
    // Stereo 16-bit: 4 bytes a frame, so 7 bytes hold one frame and three bytes of the next.
    std::vector<std::int16_t> out;
    decodePcm(std::vector<std::uint8_t>{1, 0, 2, 0, 3, 0, 4}, true, 2, out);
    EXPECT_EQ(out, (std::vector<std::int16_t>{1, 2}));
    out.clear();
    decodePcm(std::vector<std::uint8_t>{0x90, 0x70, 0x90}, false, 2, out);
    EXPECT_EQ(out.size(), 2u);
}

TEST(PcmDecoder, EventSoundIsCutToItsSampleCount)
{
    const std::vector<std::uint8_t> bytes{1, 0, 2, 0, 3, 0, 4, 0};
    auto sound = decodeEventSound(SoundFormat::fromByte(0x3e), 3, bytes);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->samples, (std::vector<std::int16_t>{1, 2, 3}));
    EXPECT_EQ(sound->sampleRate, 44100);
    // A count larger than the data does not invent samples.
    sound = decodeEventSound(SoundFormat::fromByte(0x3e), 100, bytes);
    EXPECT_EQ(sound->frames(), 4u);
}

TEST(SoundFormat, ResolvesRatesAndFixedCodings)
{
    EXPECT_EQ(SoundFormat::fromByte(0x02).sampleRate, 5512);
    EXPECT_EQ(SoundFormat::fromByte(0x2f).sampleRate, 44100);
    EXPECT_TRUE(SoundFormat::fromByte(0x2f).stereo);
    const auto nelly16 = SoundFormat::fromByte(0x4f);  // rate and type bits ignored
    EXPECT_EQ(nelly16.sampleRate, 16000);
    EXPECT_FALSE(nelly16.stereo);
    EXPECT_EQ(SoundFormat::fromByte(0x50).sampleRate, 8000);
    EXPECT_EQ(SoundFormat::fromByte(0x68).sampleRate, 22050);  // format 6 takes the rate field
}

// Writes bit fields most significant bit first, as the ADPCM stream is laid out.
class BitWriter {
public:
    void put(std::uint32_t value, int bits)
    {
        for (int i = bits - 1; i >= 0; --i) {
            if (used_ % 8 == 0) bytes_.push_back(0);
            if ((value >> i) & 1u) bytes_.back() |= static_cast<std::uint8_t>(0x80u >> (used_ % 8));
            ++used_;
        }
    }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t used_ = 0;
};

std::vector<std::int16_t> adpcm(const BitWriter& bits, int channels)
{
    std::vector<std::int16_t> out;
    decodeAdpcm(bits.bytes(), channels, out);
    return out;
}

TEST(AdpcmDecoder, EachCodeWidthStepsAsWorkedByHand)
{
    // Step index 0 is a step of 7, index 8 a step of 16.
    BitWriter four;
    four.put(2, 2);          // 4-bit codes
    four.put(1000, 16);      // initial sample
    four.put(0, 6);          // initial index
    four.put(0b0111, 4);     // +(7/8 + 7 + 7/2 + 7/4) = +11, index +8
    four.put(0b1000, 4);     // -(16/8) = -2, index -1
    EXPECT_EQ(adpcm(four, 1), (std::vector<std::int16_t>{1000, 1011, 1009}));

    BitWriter two;
    two.put(0, 2);           // 2-bit codes
    two.put(static_cast<std::uint32_t>(-50) & 0xffff, 16);
    two.put(0, 6);
    two.put(0b01, 2);        // +(7/2 + 7) = +10, index +2 -> step 9
    two.put(0b10, 2);        // -(9/2) = -4
    // The byte's last four bits are padding, which decodes as two more codes: as in real files,
    // the sample count cuts them off.
    const auto twoOut = adpcm(two, 1);
    ASSERT_EQ(twoOut.size(), 5u);
    EXPECT_EQ(std::vector<std::int16_t>(twoOut.begin(), twoOut.begin() + 3), (std::vector<std::int16_t>{-50, -40, -44}));

    BitWriter three;
    three.put(1, 2);         // 3-bit codes
    three.put(0, 16);
    three.put(10, 6);        // step 19
    three.put(0b011, 3);     // +(19/4 + 19/2 + 19) = +32, index +4 -> step 28
    three.put(0b110, 3);     // -(28/4 + 28) = -35
    EXPECT_EQ(adpcm(three, 1), (std::vector<std::int16_t>{0, 32, -3}));

    BitWriter five;
    five.put(3, 2);          // 5-bit codes
    five.put(32760, 16);
    five.put(88, 6 );        // 88 does not fit 6 bits: written as 24 (step 73)
    five.put(0b01111, 5);    // +(73/16 + 73/8 + 73/4 + 73/2 + 73) = +140: clamps at 32767
    EXPECT_EQ(adpcm(five, 1), (std::vector<std::int16_t>{32760, 32767}));
}

TEST(AdpcmDecoder, StereoInterleavesAndPacketsFollowWithoutAlignment)
{
    BitWriter bits;
    bits.put(0, 2);  // 2-bit codes
    // First packet: left starts at 100, right at -100, then 4095 pairs of code 0 (+3 each at step 7).
    bits.put(100, 16);
    bits.put(0, 6);
    bits.put(static_cast<std::uint32_t>(-100) & 0xffff, 16);
    bits.put(0, 6);
    for (int i = 0; i < 4095; ++i) {
        bits.put(0, 2);
        bits.put(0, 2);
    }
    // 2 + 44 + 4095 * 4 bits: the second packet starts in the middle of a byte.
    bits.put(12345, 16);
    bits.put(0, 6);
    bits.put(static_cast<std::uint32_t>(-12345) & 0xffff, 16);
    bits.put(0, 6);
    const auto out = adpcm(bits, 2);
    ASSERT_EQ(out.size(), 2u * 4097);
    EXPECT_EQ(out[0], 100);
    EXPECT_EQ(out[1], -100);
    EXPECT_EQ(out[2], 103);   // code 0 steps by step / 2 = 3, index falls to 0
    EXPECT_EQ(out[3], -97);
    EXPECT_EQ(out[2 * 4096], 12345);
    EXPECT_EQ(out[2 * 4096 + 1], -12345);
}

TEST(AdpcmDecoder, TruncatedDataYieldsAPrefixAndGarbageStaysInBounds)
{
    std::mt19937 random(7);
    std::vector<std::uint8_t> data(3000);
    for (auto& b : data) b = static_cast<std::uint8_t>(random());
    for (int channels = 1; channels <= 2; ++channels) {
        std::vector<std::int16_t> whole;
        decodeAdpcm(data, channels, whole);
        for (std::size_t cut : {0u, 1u, 2u, 3u, 5u, 6u, 11u, 100u, 1027u, 2999u}) {
            std::vector<std::int16_t> part;
            // A copy of exactly `cut` bytes, so that AddressSanitizer sees any read past it.
            const std::vector<std::uint8_t> truncated(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(cut));
            decodeAdpcm(truncated, channels, part);
            ASSERT_LE(part.size(), whole.size());
            EXPECT_TRUE(std::equal(part.begin(), part.end(), whole.begin())) << "cut at " << cut;
            EXPECT_LE(part.size(), cut * 8 / 2 + 2u);
        }
    }
}

// The corpus's expected output for these movies holds each sound at half its rate: stereo frame
// i carries sample 2i + 1 of the decoded 11,025 Hz mono sound in both channels, for the part of
// the sound up to its out point. Checked here at the decoder and through the whole mix.
class AdpcmCorpus : public ::testing::TestWithParam<const char*> {};

TEST_P(AdpcmCorpus, MatchesTheExpectedSamples)
{
    const std::string movie = test::corpusPath(std::string("swfdec/sound/") + GetParam() + ".swf");
    if (!test::exists(movie)) GTEST_SKIP() << "corpus not present";
    const auto tags = test::readSwfTags(movie);
    ASSERT_TRUE(tags);
    const test::Tag* defineSound = nullptr;
    const test::Tag* startSound = nullptr;
    for (const auto& tag : *tags) {
        if (tag.code == 14) defineSound = &tag;
        if (tag.code == 15) startSound = &tag;
    }
    ASSERT_TRUE(defineSound && startSound);
    const auto& body = defineSound->body;
    const auto format = SoundFormat::fromByte(body[2]);
    ASSERT_TRUE(format.is(SoundCodec::Adpcm));
    const std::uint32_t count = body[3] | body[4] << 8 | body[5] << 16 | static_cast<std::uint32_t>(body[6]) << 24;
    std::vector<std::string> warnings;
    const auto sound = decodeEventSound(format, count, std::span(body).subspan(7),
                                        [&](const std::string& w) { warnings.push_back(w); });
    ASSERT_TRUE(sound);
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(sound->frames(), count);

    const auto raw = test::readFile(movie + ".1.0.raw");
    ASSERT_EQ(raw.size() % 4, 0u);
    const std::size_t frames = raw.size() / 4;
    const auto expected = [&](std::size_t i, int channel) {
        const std::size_t at = i * 4 + static_cast<std::size_t>(channel) * 2;
        return static_cast<std::int16_t>(raw[at] | raw[at + 1] << 8);
    };
    ASSERT_EQ(frames, count / 2);
    for (std::size_t i = 0; i < frames; ++i) {
        ASSERT_EQ(sound->samples[2 * i + 1], expected(i, 0)) << "frame " << i;
        ASSERT_EQ(expected(i, 1), expected(i, 0));
    }

    // Through StartSound's sound info and the mixer: the 44.1 kHz mix at output frame 8i + 4 lies
    // exactly on source sample 2i + 1, where interpolation must give that sample back.
    const SoundInfo info = test::parseSoundInfo(std::span(startSound->body).subspan(2));
    ASSERT_TRUE(info.outPoint44);
    Mixer mixer;
    ASSERT_NE(mixer.startSound(sound, info), 0u);
    std::vector<std::int16_t> mix(2 * (*info.outPoint44 + 4410));
    mixer.pull(mix);
    for (std::size_t i = 0; i < frames; ++i) {
        ASSERT_EQ(mix[2 * (8 * i + 4)], expected(i, 0)) << "frame " << i;
        ASSERT_EQ(mix[2 * (8 * i + 4) + 1], expected(i, 1)) << "frame " << i;
    }
    // Nothing after the out point (the last sample's interpolation tail aside).
    for (std::size_t i = 2 * (*info.outPoint44 + 16); i < mix.size(); ++i) ASSERT_EQ(mix[i], 0) << i;
}

INSTANTIATE_TEST_SUITE_P(SoundCases, AdpcmCorpus,
                         ::testing::Values("adpcm-2", "adpcm-3", "adpcm-3-2", "adpcm-4", "adpcm-5"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(PcmCorpus, SoundWithoutSamplesPlaysNothing)
{
    const std::string movie = test::corpusPath("swfdec/sound/crash-0.5.3-no-samples.swf");
    if (!test::exists(movie)) GTEST_SKIP() << "corpus not present";
    const auto tags = test::readSwfTags(movie);
    ASSERT_TRUE(tags);
    for (const auto& tag : *tags) {
        if (tag.code != 14) continue;
        const auto sound = decodeEventSound(SoundFormat::fromByte(tag.body[2]), 0, std::span(tag.body).subspan(7));
        ASSERT_TRUE(sound);
        EXPECT_EQ(sound->frames(), 0u);
        Mixer mixer;
        mixer.startSound(sound, {});
        std::vector<std::int16_t> mix(4410 * 2, 1);
        mixer.pull(mix);
        EXPECT_TRUE(std::all_of(mix.begin(), mix.end(), [](auto s) { return s == 0; }));
        EXPECT_EQ(mixer.eventChannelCount(), 0u);
    }
    EXPECT_EQ(test::readFile(movie + ".1.0.raw").size(), 0u);
}

}  // namespace
}  // namespace swf::audio
