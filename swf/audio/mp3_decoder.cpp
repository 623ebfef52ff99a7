#include "swf/audio/mp3_decoder.h"

#include <cstring>
#include <mutex>
#include <stdexcept>
#include <string>

#include <mpg123.h>

namespace swf::audio {
namespace {

void initialiseLibraryOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

}  // namespace

void Mp3Decoder::HandleDeleter::operator()(mpg123_handle_struct* handle) const
{
    mpg123_delete(handle);
}

Mp3Decoder::Mp3Decoder(int channels, int expectedRate, WarningHandler warnings)
    : channels_(channels == 2 ? 2 : 1), rate_(expectedRate > 0 ? expectedRate : 44100),
      warnings_(std::move(warnings))
{
    initialiseLibraryOnce();
    open();
}

Mp3Decoder::~Mp3Decoder() = default;

void Mp3Decoder::open()
{
    int error = MPG123_OK;
    handle_.reset(mpg123_new(nullptr, &error));
    if (!handle_) throw std::runtime_error(std::string("MP3 decoder: ") + mpg123_plain_strerror(error));
    mpg123_handle* h = handle_.get();
    // Quiet: damaged frames are reported once through our own warnings, not on stderr.
    // No gapless trimming: SWF carries its own count of samples to drop at the start.
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    mpg123_param(h, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0.0);
    // Only 16-bit output with our channel count; every rate stays as it is in the frames.
    mpg123_format_none(h);
    const long* rates = nullptr;
    std::size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (std::size_t i = 0; i < rateCount; ++i) {
        mpg123_format(h, rates[i], channels_ == 2 ? MPG123_STEREO : MPG123_MONO, MPG123_ENC_SIGNED_16);
    }
    if (mpg123_open_feed(h) != MPG123_OK) {
        throw std::runtime_error(std::string("MP3 decoder: ") + mpg123_strerror(h));
    }
}

void Mp3Decoder::reset()
{
    open();
}

void Mp3Decoder::decode(std::span<const std::uint8_t> data, std::vector<std::int16_t>& out)
{
    mpg123_handle* h = handle_.get();
    if (!data.empty() && mpg123_feed(h, data.data(), data.size()) != MPG123_OK) {
        warn(warnings_, std::string("MP3 data not accepted: ") + mpg123_strerror(h));
        return;
    }
    // Decode every frame that is complete now. Each call either consumes input or says it needs
    // more, so the loop ends; the bound guards against a library that would not.
    constexpr int kMaxErrorsInARow = 64;
    int errorsInARow = 0;
    for (int guard = 0; guard < 1 << 20; ++guard) {
        off_t frameNumber = 0;
        unsigned char* audio = nullptr;
        std::size_t bytes = 0;
        const int result = mpg123_decode_frame(h, &frameNumber, &audio, &bytes);
        if (result == MPG123_NEW_FORMAT) {
            long rate = 0;
            int channels = 0;
            int encoding = 0;
            mpg123_getformat(h, &rate, &channels, &encoding);
            if (!rateKnown_) {
                rate_ = static_cast<int>(rate);
                rateKnown_ = true;
            } else if (rate != rate_ && !warnedRateChange_) {
                warnedRateChange_ = true;
                warn(warnings_, "MP3 sound changes its sample rate; later frames play at the first rate");
            }
            continue;
        }
        if (result == MPG123_OK) {
            errorsInARow = 0;
            const std::size_t samples = bytes / sizeof(std::int16_t);
            const std::size_t at = out.size();
            out.resize(at + samples);
            if (samples) std::memcpy(out.data() + at, audio, samples * sizeof(std::int16_t));
            continue;
        }
        if (result == MPG123_NEED_MORE || result == MPG123_DONE) return;
        // A damaged frame: mpg123 skips it and looks for the next one on the following call.
        // Give up on this piece only when it keeps failing.
        if (!warnedDamage_) {
            warnedDamage_ = true;
            warn(warnings_, std::string("damaged MP3 data: ") + mpg123_strerror(h));
        }
        if (++errorsInARow > kMaxErrorsInARow) return;
    }
}

}  // namespace swf::audio
