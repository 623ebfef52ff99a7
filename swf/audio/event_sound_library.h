#pragma once
// The event sounds of one movie (DefineSound), each decoded once and kept for every later use.
//
// Decoding a long MP3 takes long enough to hold up a frame, so a worker thread decodes the
// sounds ahead of use, in order of their ids, up to a budget of decoded samples (sounds beyond
// it are decoded at their first use). Asking for a sound never waits for more than that one
// sound: one already decoded comes at once, one the worker is on is waited for, and one the
// worker has not reached is decoded by the caller there and then. Either way the result is the
// same, so the mix does not depend on how far the worker got.
//
// Warnings of a decoding are handed to the caller that first asks for the sound, on its own
// thread, never from the worker. Destroying the library stops the worker between two pieces
// of work and joins it.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "swf/audio/decoded_sound.h"
#include "swf/audio/sound_format.h"
#include "swf/audio/warning.h"

namespace swf::audio {

struct EventSoundSource {
    SoundFormat format;
    std::uint32_t sampleCount = 0;
    std::span<const std::uint8_t> data;
};

class EventSoundLibrary {
public:
    // Samples decoded ahead of use at most: two minutes of 44.1 kHz stereo (20 MB).
    static constexpr std::size_t kDefaultPreloadSamples = std::size_t{kOutputRate} * 2 * 120;

    // `owner` keeps the bytes of the sources alive. `preloadSamples` 0 decodes nothing ahead.
    EventSoundLibrary(std::map<std::uint16_t, EventSoundSource> sources, std::shared_ptr<const void> owner,
                      std::size_t preloadSamples = kDefaultPreloadSamples);
    ~EventSoundLibrary();
    EventSoundLibrary(const EventSoundLibrary&) = delete;
    EventSoundLibrary& operator=(const EventSoundLibrary&) = delete;

    // The decoded sound; null for an unknown id or a coding that cannot be decoded.
    std::shared_ptr<const DecodedSound> get(std::uint16_t id, const WarningHandler& warnings = {});
    // Whether the sound has been decoded (for a sound that is not there: false).
    bool isDecoded(std::uint16_t id) const;
    // Blocks until the worker has done all it will do ahead of use.
    void waitForPreload() const;

private:
    enum class State { Waiting, Decoding, Done };
    struct Entry {
        EventSoundSource source;
        State state = State::Waiting;
        std::shared_ptr<const DecodedSound> sound;
        std::vector<std::string> warnings;
        bool warningsGiven = false;
    };

    void preload(std::stop_token stop, std::size_t budgetSamples);
    // Decodes outside the lock; on return the entry is Done unless `cancelled` said stop.
    void decodeEntry(std::unique_lock<std::mutex>& lock, Entry& entry, const std::function<bool()>& cancelled);

    std::shared_ptr<const void> owner_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::map<std::uint16_t, Entry> entries_;
    bool preloadDone_ = false;
    // Samples of the decoded sounds together, against limits::kMaxTotalSoundBytes: a sound that
    // would pass it stays silent (which one depends on the order of decoding, as it only
    // happens to movies far beyond real ones).
    std::size_t decodedBytes_ = 0;
    std::jthread worker_;  // last: stopped and joined before the entries go
};

}  // namespace swf::audio
