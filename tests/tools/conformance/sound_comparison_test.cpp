#include "tools/conformance/core/sound_comparison.h"

#include "conformance_fixtures.h"
#include "tools/conformance/core/corpus_rules.h"

#include <gtest/gtest.h>

#include <cmath>

namespace conformance {
namespace {

using testing::rawBytes;
using testing::wavBytes;

// An 11025 Hz mono source with plenty of high-frequency content, as ADPCM sounds have.
std::vector<int> source(int length)
{
    std::vector<int> s(static_cast<size_t>(length));
    for (int n = 0; n < length; ++n)
        s[static_cast<size_t>(n)] = static_cast<int>(12000 * std::sin(n * 0.9) + 8000 * std::sin(n * 2.7));
    return s;
}

// The corpus's reference: stereo, source sample 2k + 1 as frame k.
Pcm referenceOf(const std::vector<int>& s)
{
    Pcm pcm{2, 0, {}};
    for (size_t n = 1; n < s.size(); n += 2) {
        pcm.samples.push_back(static_cast<int16_t>(s[n]));
        pcm.samples.push_back(static_cast<int16_t>(s[n]));
    }
    return pcm;
}

// A 44.1 kHz stereo mix: the source linearly interpolated (sample n at frame 4n), delayed by
// `delay` frames and followed by `tail` frames of `tailLevel`.
Pcm mixOf(const std::vector<int>& s, int delay = 0, int tail = 4410, int16_t tailLevel = 0)
{
    Pcm pcm{2, 44100, {}};
    pcm.samples.assign(static_cast<size_t>(2 * delay), 0);
    for (size_t n = 0; n < s.size(); ++n) {
        const int next = n + 1 < s.size() ? s[n + 1] : 0;
        for (int j = 0; j < 4; ++j) {
            const auto v = static_cast<int16_t>(std::lround(s[n] + (next - s[n]) * j / 4.0));
            pcm.samples.push_back(v);
            pcm.samples.push_back(v);
        }
    }
    for (int i = 0; i < tail; ++i) {
        pcm.samples.push_back(tailLevel);
        pcm.samples.push_back(tailLevel);
    }
    return pcm;
}

TEST(SoundComparison, MixSampledAtTheReferencePhasePasses)
{
    const auto s = source(3316);
    const SoundDifference d = compareSound(referenceOf(s), mixOf(s));
    EXPECT_TRUE(d.passes());
    EXPECT_EQ(d.outliers, 0);
    EXPECT_EQ(d.compared, 3316);
    EXPECT_DOUBLE_EQ(d.psnr, rules::kPsnrIdentical);
}

TEST(SoundComparison, FailsWhenLateQuietCutShortOrRepeated)
{
    const auto s = source(3316);
    const Pcm reference = referenceOf(s);
    // One source sample late.
    EXPECT_FALSE(compareSound(reference, mixOf(s, 4)).passes());
    // At half volume.
    Pcm quiet = mixOf(s);
    for (auto& v : quiet.samples)
        v = static_cast<int16_t>(v / 2);
    EXPECT_FALSE(compareSound(reference, quiet).passes());
    // Cut short: the missing part counts as silence.
    Pcm cut = mixOf(s, 0, 0);
    cut.samples.resize(cut.samples.size() / 2);
    const SoundDifference shortMix = compareSound(reference, cut);
    EXPECT_FALSE(shortMix.passes());
    EXPECT_GT(shortMix.outliers, 1000);
    // Sound where the reference has ended.
    const SoundDifference loud = compareSound(reference, mixOf(s, 0, 4410, 3000));
    EXPECT_EQ(loud.outliers, 0);
    EXPECT_GT(loud.tailOutliers, 0);
    EXPECT_FALSE(loud.passes());
    // Rounding-level noise is within the tolerance.
    Pcm noisy = mixOf(s);
    for (size_t i = 0; i < noisy.samples.size(); ++i)
        noisy.samples[i] = static_cast<int16_t>(noisy.samples[i] + (i % 3 == 0 ? rules::kSoundTolerance : -1));
    EXPECT_TRUE(compareSound(reference, noisy).passes());
}

TEST(SoundComparison, EmptyReferenceWantsSilence)
{
    const Pcm empty{2, 0, {}};
    EXPECT_TRUE(compareSound(empty, mixOf({}, 0, 44100)).passes());
    EXPECT_TRUE(compareSound(empty, Pcm{2, 44100, {}}).passes());
    EXPECT_FALSE(compareSound(empty, mixOf({}, 0, 44100, 500)).passes());
}

TEST(SoundComparison, StreamsAreMixedWithClipping)
{
    const Pcm a{2, 0, {30000, -30000, 100, 100}};
    const Pcm b{2, 0, {30000, -30000}};
    const Pcm mixed = mixStreams({a, b});
    EXPECT_EQ(mixed.samples, (std::vector<int16_t>{32767, -32768, 100, 100}));
}

TEST(PcmFiles, ReadsWavAndRaw)
{
    QString error;
    const auto wav = parseWav(wavBytes({1, -2, 3, -4}, 2, 44100), &error);
    ASSERT_TRUE(wav) << error.toStdString();
    EXPECT_EQ(wav->channels, 2);
    EXPECT_EQ(wav->sampleRate, 44100);
    EXPECT_EQ(wav->samples, (std::vector<int16_t>{1, -2, 3, -4}));

    const auto raw = parseRawStereo(rawBytes({5, 6, -7, 8}), &error);
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->frames(), 2);
    EXPECT_FALSE(parseRawStereo(QByteArray(6, '\0'), &error));
}

TEST(PcmFiles, WavChunksAreCheckedAgainstTheFile)
{
    QString error;
    QByteArray wav = wavBytes({1, 2, 3, 4}, 2, 44100);
    // An odd-sized chunk before the data is skipped with its pad byte.
    QByteArray withList = wav.left(36) + QByteArray("LIST\x03\x00\x00\x00" "abc\x00", 12) + wav.mid(36);
    const auto listed = parseWav(withList, &error);
    ASSERT_TRUE(listed) << error.toStdString();
    EXPECT_EQ(listed->samples.size(), 4u);
    // A data size larger than the file (a writer that could not seek back) yields what is there.
    QByteArray unfinished = wav;
    unfinished[40] = '\xff';
    unfinished[41] = '\xff';
    const auto partial = parseWav(unfinished, &error);
    ASSERT_TRUE(partial);
    EXPECT_EQ(partial->samples.size(), 4u);
    // Damaged headers give errors, not reads past the end.
    EXPECT_FALSE(parseWav(wav.left(30), &error));
    QByteArray hugeFmt = wav;
    hugeFmt[16] = '\xff';
    EXPECT_FALSE(parseWav(hugeFmt, &error));
    QByteArray eightBit = wav;
    eightBit[34] = 8;
    EXPECT_FALSE(parseWav(eightBit, &error));
    EXPECT_TRUE(error.contains("16-bit"));
    EXPECT_FALSE(parseWav(QByteArray("RIFF\x04\x00\x00\x00" "WAVE", 12), &error));
    EXPECT_TRUE(error.contains("no fmt"));
    EXPECT_FALSE(parseWav("not a wav file at all", &error));
}

}  // namespace
}  // namespace conformance
