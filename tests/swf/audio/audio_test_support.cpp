#include "audio_test_support.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>

#include <zlib.h>

#include "swf/audio/mp3_frame.h"
#include "swf/format/reader.h"

namespace swf::audio::test {

std::vector<std::uint8_t> readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string dataPath(const std::string& name)
{
    return std::string(VANTORO_SOURCE_DIR) + "/tests/swf/audio/data/" + name;
}

std::string corpusPath(const std::string& relative)
{
    return std::string(VANTORO_CORPUS_DIR) + "/" + relative;
}

bool exists(const std::string& path)
{
    return std::filesystem::exists(path);
}

std::vector<double> chirp(int rate, double seconds, double f0, double f1, double amplitude, double phase)
{
    const auto n = static_cast<int>(rate * seconds);
    std::vector<double> out(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double f = f0 + (f1 - f0) * t / (2 * seconds);
        const double fade = std::min({1.0, i / (rate * 0.01), (n - 1 - i) / (rate * 0.01)});
        out[static_cast<std::size_t>(i)] = std::round(amplitude * std::sin(2 * std::numbers::pi * f * t + phase) * fade * 32767);
    }
    return out;
}

Match bestLag(std::span<const double> reference, std::span<const double> signal, int minLag, int maxLag,
              std::size_t length)
{
    Match best{minLag, -2};
    for (int lag = minLag; lag <= maxLag; ++lag) {
        double dot = 0, a = 0, b = 0;
        for (std::size_t i = 0; i < length; ++i) {
            const auto j = static_cast<std::ptrdiff_t>(i) + lag;
            if (i >= reference.size() || j < 0 || static_cast<std::size_t>(j) >= signal.size()) continue;
            const double x = reference[i];
            const double y = signal[static_cast<std::size_t>(j)];
            dot += x * y;
            a += x * x;
            b += y * y;
        }
        const double c = (a > 0 && b > 0) ? dot / std::sqrt(a * b) : 0;
        if (c > best.correlation) best = {lag, c};
    }
    return best;
}

std::vector<double> channelOf(std::span<const std::int16_t> interleaved, int channels, int channel)
{
    std::vector<double> out;
    for (std::size_t i = static_cast<std::size_t>(channel); i < interleaved.size(); i += static_cast<std::size_t>(channels)) {
        out.push_back(interleaved[i]);
    }
    return out;
}

std::vector<double> channelOf(std::span<const float> interleaved, int channels, int channel)
{
    std::vector<double> out;
    for (std::size_t i = static_cast<std::size_t>(channel); i < interleaved.size(); i += static_cast<std::size_t>(channels)) {
        out.push_back(interleaved[i] * 32768.0);
    }
    return out;
}

std::vector<FrameRange> mp3Frames(std::span<const std::uint8_t> mp3)
{
    std::vector<FrameRange> frames;
    std::size_t at = 0;
    while (at + 4 <= mp3.size()) {
        const auto header = parseMp3FrameHeader(mp3.subspan(at));
        if (!header || at + static_cast<std::size_t>(header->bytes) > mp3.size()) break;
        frames.push_back({at, static_cast<std::size_t>(header->bytes), header->samples});
        at += static_cast<std::size_t>(header->bytes);
    }
    return frames;
}

std::vector<std::vector<std::uint8_t>> mp3StreamBlocks(std::span<const std::uint8_t> mp3, int sampleRate,
                                                       double frameRate, int latency)
{
    const auto frames = mp3Frames(mp3);
    const double perFrame = sampleRate / frameRate;
    std::vector<std::vector<std::uint8_t>> blocks;
    std::size_t next = 0;
    std::int64_t written = 0;
    for (int k = 0; next < frames.size(); ++k) {
        const auto idealStart = static_cast<std::int64_t>(std::llround(k * perFrame));
        const double idealEnd = (k + 1) * perFrame;
        std::vector<std::uint8_t> block(4);
        const std::int64_t seek = idealStart - (written - latency);
        int count = 0;
        while (next < frames.size() && written + frames[next].samples - latency <= idealEnd) {
            block.insert(block.end(), mp3.begin() + static_cast<std::ptrdiff_t>(frames[next].offset),
                         mp3.begin() + static_cast<std::ptrdiff_t>(frames[next].offset + frames[next].size));
            written += frames[next].samples;
            count += frames[next].samples;
            ++next;
        }
        const bool empty = count == 0;
        block[0] = static_cast<std::uint8_t>(count);
        block[1] = static_cast<std::uint8_t>(count >> 8);
        block[2] = static_cast<std::uint8_t>(empty ? 0 : seek);
        block[3] = static_cast<std::uint8_t>((empty ? 0 : seek) >> 8);
        blocks.push_back(std::move(block));
    }
    return blocks;
}

std::vector<std::uint8_t> mp3SoundData(std::span<const std::uint8_t> mp3, int seekSamples)
{
    std::vector<std::uint8_t> data(2 + mp3.size());
    data[0] = static_cast<std::uint8_t>(seekSamples);
    data[1] = static_cast<std::uint8_t>(seekSamples >> 8);
    std::copy(mp3.begin(), mp3.end(), data.begin() + 2);
    return data;
}

std::optional<std::vector<Tag>> readSwfTags(const std::string& path, double* frameRate)
{
    const auto file = readFile(path);
    if (file.size() < 8) return std::nullopt;
    ByteReader header(file);
    const auto signature = header.bytes(3);
    header.u8();  // version
    const std::uint32_t length = header.u32();
    std::vector<std::uint8_t> body;
    if (signature[0] == 'F') {
        body.assign(file.begin() + 8, file.end());
    } else if (signature[0] == 'C' && length > 8) {
        body.resize(length - 8);
        uLongf size = body.size();
        if (uncompress(body.data(), &size, file.data() + 8, file.size() - 8) != Z_OK) return std::nullopt;
        body.resize(size);
    } else {
        return std::nullopt;
    }
    ByteReader reader(body);
    const unsigned bits = reader.u8() >> 3;
    reader.seek((5 + 4 * bits + 7) / 8);
    const double rate = reader.fixed8();
    if (frameRate) *frameRate = rate;
    reader.skip(2);  // frame count
    std::vector<Tag> tags;
    while (!reader.atEnd()) {
        const std::uint16_t codeAndLength = reader.u16();
        std::uint32_t size = codeAndLength & 0x3f;
        if (size == 0x3f) size = reader.u32();
        const auto tagBody = reader.bytes(size);
        tags.push_back({codeAndLength >> 6, {tagBody.begin(), tagBody.end()}});
        if (tags.back().code == 0) break;
    }
    return tags;
}

SoundInfo parseSoundInfo(std::span<const std::uint8_t> data)
{
    ByteReader reader(data);
    SoundInfo info;
    const std::uint8_t flags = reader.u8();
    info.syncStop = flags & 0x20;
    info.noMultiple = flags & 0x10;
    if (flags & 0x01) info.inPoint44 = reader.u32();
    if (flags & 0x02) info.outPoint44 = reader.u32();
    if (flags & 0x04) info.loops = reader.u16();
    if (flags & 0x08) {
        const int points = reader.u8();
        for (int i = 0; i < points; ++i) {
            EnvelopePoint p;
            p.position44 = reader.u32();
            p.leftLevel = reader.u16();
            p.rightLevel = reader.u16();
            info.envelope.push_back(p);
        }
    }
    return info;
}

}  // namespace swf::audio::test
