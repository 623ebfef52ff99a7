#include "player/audio_pump.h"

#include <algorithm>
#include <cstring>

#include "player/movie_engine.h"

namespace {
// What the device may claim to hold at most: a second. A wrong count from a device must not
// stall a movie for long.
constexpr std::int64_t kMaxHeldFrames = AudioPump::kSampleRate;
}  // namespace

AudioPump::AudioPump(QObject* parent) : QIODevice(parent) {}

void AudioPump::attach(MovieEngine* engine)
{
    std::lock_guard lock(mutex_);
    engine_ = engine;
}

void AudioPump::setHeldFrames(HeldFrames held)
{
    std::lock_guard lock(mutex_);
    held_ = std::move(held);
}

void AudioPump::resetCount()
{
    std::lock_guard lock(mutex_);
    given_ = 0;
}

std::int64_t AudioPump::framesGiven() const
{
    std::lock_guard lock(mutex_);
    return given_;
}

qint64 AudioPump::bytesAvailable() const
{
    // A mix never runs dry: silence when nothing sounds.
    return kSampleRate * kBytesPerFrame + QIODevice::bytesAvailable();
}

qint64 AudioPump::readData(char* data, qint64 maxSize)
{
    const qint64 frames = maxSize / kBytesPerFrame;
    if (frames <= 0)
        return 0;
    const auto samples = static_cast<std::size_t>(2 * frames);
    std::lock_guard lock(mutex_);
    scratch_.assign(samples, 0);
    if (engine_) {
        const std::int64_t before = held_ ? held_(given_) : 0;
        engine_->setAudioOutputLatency(std::clamp<std::int64_t>(before + frames, 0, kMaxHeldFrames));
        engine_->pullAudio(scratch_);
    }
    std::memcpy(data, scratch_.data(), samples * sizeof(std::int16_t));
    given_ += frames;
    return frames * kBytesPerFrame;
}

qint64 AudioPump::writeData(const char*, qint64)
{
    return -1;  // read only
}
