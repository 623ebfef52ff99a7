// swfcli run: plays a movie for a number of frames or ticks, and writes what it showed and
// sounded like.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>

#include <QImage>
#include <QString>

#include "commands.h"
#include "input_script.h"
#include "run_options.h"
#include "swf/audio/wav_writer.h"
#include "swf/player.h"

namespace swfcli {
namespace {

// The stage picture at the movie's own size is capped at this many pixels (scaled down, aspect
// kept): a frame rectangle can claim thousands of pixels on a side.
constexpr double kMaxDefaultPixels = 4096.0 * 4096.0;

const char* loadErrorName(swf::LoadError::Kind k)
{
    switch (k) {
    case swf::LoadError::Kind::Io: return "cannot read the file";
    case swf::LoadError::Kind::NotSwf: return "not a SWF file";
    case swf::LoadError::Kind::Truncated: return "truncated";
    case swf::LoadError::Kind::Corrupt: return "corrupt";
    case swf::LoadError::Kind::TooLarge: return "too large";
    case swf::LoadError::Kind::Unsupported: return "unsupported";
    }
    return "error";
}

QSize pictureSize(const RunOptions& o, const swf::MovieInfo& info)
{
    if (o.width) return QSize(*o.width, *o.height);
    double w = std::max(1, info.widthPx), h = std::max(1, info.heightPx);
    if (w * h > kMaxDefaultPixels) {
        const double scale = std::sqrt(kMaxDefaultPixels / (w * h));
        w = std::max(1.0, std::floor(w * scale));
        h = std::max(1.0, std::floor(h * scale));
    }
    return QSize(static_cast<int>(w), static_cast<int>(h));
}

void savePicture(const swf::Player& player, QSize size, const std::string& path)
{
    const QImage image = player.render(size).convertToFormat(QImage::Format_ARGB32);
    if (!image.save(QString::fromStdString(path), "PNG")) throw std::runtime_error("cannot write " + path);
}

// Takes the mix up to `totalFrames` frames since the start, into the WAV file when one is
// asked for. The sound is taken either way, so that sounds end at the same frames (and the
// movie runs the same) whether or not it is written.
class SoundCapture {
public:
    explicit SoundCapture(const std::string& path)
    {
        if (!path.empty()) wav_.emplace(path);
    }
    void pullUntil(swf::Player& player, std::int64_t totalFrames)
    {
        while (pulled_ < totalFrames) {
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(totalFrames - pulled_, 4096));
            buffer_.resize(n * 2);
            const std::size_t got = player.pullAudio(buffer_);
            if (got == 0) break;
            if (wav_) wav_->write(std::span<const std::int16_t>(buffer_.data(), got * 2));
            pulled_ += static_cast<std::int64_t>(got);
        }
    }
    void finish()
    {
        if (wav_) wav_->finish();
    }

private:
    std::optional<swf::audio::WavWriter> wav_;
    std::vector<std::int16_t> buffer_;
    std::int64_t pulled_ = 0;
};

}  // namespace

int runMovie(const std::vector<std::string>& args)
{
    RunOptions o;
    try {
        o = parseRunOptions(args);
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr,
                     "swfcli run: %s\nusage: swfcli run MOVIE --frames N | --ticks N [--tick-ms T] [--trace]\n"
                     "       [--png OUT [--at N]] [--wav OUT] [--size WxH] [--input events.json]\n"
                     "       [--quality low|medium|high]\n",
                     e.what());
        return 2;
    }
    std::vector<InputEvent> events;
    if (!o.inputPath.empty()) events = readInputScript(o.inputPath);

    swf::Player player;
    player.setQuality(o.quality);
    if (o.trace) player.onTrace([](const std::string& line) { std::printf("%s\n", line.c_str()); });
    player.onWarning([](const std::string& w) { std::fprintf(stderr, "swfcli: warning: %s\n", w.c_str()); });
    try {
        player.loadFile(o.movie);
    } catch (const swf::LoadError& e) {
        std::fprintf(stderr, "swfcli: cannot load %s: %s: %s\n", o.movie.c_str(), loadErrorName(e.kind()), e.what());
        return 1;
    }

    const QSize size = pictureSize(o, player.info());
    const double tickMs = o.tickMs.value_or(player.frameIntervalMs());
    const double iterationMs = o.mode == RunOptions::Mode::Frames ? player.frameIntervalMs() : tickMs;
    const double soundFramesPerIteration = swf::Player::kSampleRate * iterationMs / 1000.0;
    SoundCapture sound(o.wavPath);
    InputPlayback input(std::move(events));

    // Iteration 1 is the first frame, shown by the load; each further one runs a frame (or a tick
    // of time), then delivers its input, then takes its share of the sound.
    for (int iteration = 1; iteration <= o.count; ++iteration) {
        if (iteration > 1) {
            if (o.mode == RunOptions::Mode::Frames)
                player.tick();
            else
                player.advance(tickMs);
        }
        input.deliverIteration(player);
        sound.pullUntil(player, std::llround(iteration * soundFramesPerIteration));
        if (!o.pngPath.empty() && o.pngAt == iteration) savePicture(player, size, o.pngPath);
    }
    if (!o.pngPath.empty() && !o.pngAt) savePicture(player, size, o.pngPath);
    sound.finish();
    std::fflush(stdout);
    return 0;
}

int printFeatures()
{
    // What `run` can compare today: pictures and sound. Scripts (trace output) and input come
    // with the script interpreter.
    std::printf("render\nsound\n");
    return 0;
}

}  // namespace swfcli
