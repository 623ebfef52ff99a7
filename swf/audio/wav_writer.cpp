#include "swf/audio/wav_writer.h"

#include <stdexcept>

namespace swf::audio {
namespace {

constexpr std::uint32_t kHeaderBytes = 44;

void put16(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

void putTag(std::vector<std::uint8_t>& out, const char (&tag)[5])
{
    out.insert(out.end(), tag, tag + 4);
}

}  // namespace

std::vector<std::uint8_t> wavHeader(std::uint32_t frames, int channels, int sampleRate)
{
    const std::uint32_t blockAlign = static_cast<std::uint32_t>(channels) * 2;
    const std::uint32_t dataBytes = frames * blockAlign;
    std::vector<std::uint8_t> h;
    h.reserve(kHeaderBytes);
    putTag(h, "RIFF");
    put32(h, kHeaderBytes - 8 + dataBytes);
    putTag(h, "WAVE");
    putTag(h, "fmt ");
    put32(h, 16);  // size of the format chunk
    put16(h, 1);   // PCM
    put16(h, static_cast<std::uint32_t>(channels));
    put32(h, static_cast<std::uint32_t>(sampleRate));
    put32(h, static_cast<std::uint32_t>(sampleRate) * blockAlign);
    put16(h, blockAlign);
    put16(h, 16);  // bits per sample
    putTag(h, "data");
    put32(h, dataBytes);
    return h;
}

WavWriter::WavWriter(const std::string& path, int channels, int sampleRate)
    : file_(path, std::ios::binary | std::ios::trunc), path_(path), channels_(channels), sampleRate_(sampleRate)
{
    if (!file_) throw std::runtime_error("cannot write " + path);
    const auto header = wavHeader(0, channels_, sampleRate_);
    file_.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    if (!file_) throw std::runtime_error("cannot write " + path);
}

WavWriter::~WavWriter()
{
    if (finished_) return;
    try {
        finish();
    } catch (...) {
        // A destructor must not throw; callers who care call finish() themselves.
    }
}

void WavWriter::write(std::span<const std::int16_t> interleaved)
{
    const std::uint64_t frames = interleaved.size() / static_cast<std::size_t>(channels_);
    const std::uint64_t bytesAfter = (frames_ + frames) * static_cast<std::uint64_t>(channels_) * 2;
    if (bytesAfter > 0xffffffffull - kHeaderBytes) throw std::runtime_error(path_ + ": too long for a WAV file");
    std::vector<std::uint8_t> bytes;
    bytes.reserve(frames * static_cast<std::size_t>(channels_) * 2);
    for (std::size_t i = 0; i < frames * static_cast<std::size_t>(channels_); ++i) {
        const auto v = static_cast<std::uint16_t>(interleaved[i]);
        bytes.push_back(static_cast<std::uint8_t>(v));
        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    file_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file_) throw std::runtime_error("cannot write " + path_);
    frames_ += frames;
}

void WavWriter::finish()
{
    if (finished_) return;
    finished_ = true;
    const auto header = wavHeader(static_cast<std::uint32_t>(frames_), channels_, sampleRate_);
    file_.seekp(0);
    file_.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    file_.close();
    if (!file_) throw std::runtime_error("cannot finish " + path_);
}

}  // namespace swf::audio
