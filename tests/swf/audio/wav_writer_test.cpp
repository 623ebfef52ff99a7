// WAV output: a header a reader understands, and the samples as written.

#include <gtest/gtest.h>

#include <filesystem>

#include <unistd.h>

#include "audio_test_support.h"
#include "swf/audio/wav_writer.h"

namespace swf::audio {
namespace {

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

TEST(WavWriter, WritesHeaderAndSamples)
{
    const auto path = (std::filesystem::temp_directory_path() / ("vantoro-wav-" + std::to_string(::getpid()) + ".wav")).string();
    {
        WavWriter writer(path);
        writer.write(std::vector<std::int16_t>{1, -1, 0x1234, -32768});
        writer.write(std::vector<std::int16_t>{32767, 2});
        EXPECT_EQ(writer.framesWritten(), 3u);
        writer.finish();
    }
    const auto bytes = test::readFile(path);
    std::filesystem::remove(path);
    ASSERT_EQ(bytes.size(), 44u + 12);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(le32(bytes, 4), 36u + 12);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(le32(bytes, 16), 16u);
    EXPECT_EQ(bytes[20] | bytes[21] << 8, 1);         // PCM
    EXPECT_EQ(bytes[22] | bytes[23] << 8, 2);         // stereo
    EXPECT_EQ(le32(bytes, 24), 44100u);
    EXPECT_EQ(le32(bytes, 28), 44100u * 4);           // bytes per second
    EXPECT_EQ(bytes[32] | bytes[33] << 8, 4);         // block align
    EXPECT_EQ(bytes[34] | bytes[35] << 8, 16);        // bits
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
    EXPECT_EQ(le32(bytes, 40), 12u);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 44, bytes.end()),
              (std::vector<std::uint8_t>{1, 0, 0xff, 0xff, 0x34, 0x12, 0x00, 0x80, 0xff, 0x7f, 2, 0}));
}

TEST(WavWriter, FinishesOnDestructionAndRefusesBadPaths)
{
    const auto path = (std::filesystem::temp_directory_path() / ("vantoro-wav2-" + std::to_string(::getpid()) + ".wav")).string();
    {
        WavWriter writer(path, 1, 22050);
        writer.write(std::vector<std::int16_t>(10, 5));
    }
    const auto bytes = test::readFile(path);
    std::filesystem::remove(path);
    ASSERT_EQ(bytes.size(), 44u + 20);
    EXPECT_EQ(le32(bytes, 40), 20u);
    EXPECT_EQ(le32(bytes, 24), 22050u);
    EXPECT_THROW(WavWriter("/nonexistent-folder/x.wav"), std::runtime_error);
}

}  // namespace
}  // namespace swf::audio
