#include "swf/audio/event_sound_library.h"

#include <utility>

namespace swf::audio {

EventSoundLibrary::EventSoundLibrary(std::map<std::uint16_t, EventSoundSource> sources,
                                     std::shared_ptr<const void> owner, std::size_t preloadSamples)
    : owner_(std::move(owner))
{
    for (const auto& [id, source] : sources) entries_[id].source = source;
    if (preloadSamples == 0 || entries_.empty()) {
        preloadDone_ = true;
        return;
    }
    worker_ = std::jthread([this, preloadSamples](std::stop_token stop) { preload(stop, preloadSamples); });
}

EventSoundLibrary::~EventSoundLibrary()
{
    if (worker_.joinable()) {
        worker_.request_stop();
        worker_.join();
    }
}

void EventSoundLibrary::decodeEntry(std::unique_lock<std::mutex>& lock, Entry& entry,
                                    const std::function<bool()>& cancelled)
{
    entry.state = State::Decoding;
    const EventSoundSource source = entry.source;
    lock.unlock();
    std::vector<std::string> warnings;
    bool stopped = false;
    auto sound = decodeEventSound(
        source.format, source.sampleCount, source.data, [&](const std::string& w) { warnings.push_back(w); },
        [&] { return stopped = cancelled && cancelled(); });
    lock.lock();
    if (stopped) {
        entry.state = State::Waiting;  // whoever asks next decodes it
    } else {
        const std::size_t bytes = sound ? sound->samples.size() * sizeof(std::int16_t) : 0;
        if (bytes > limits::kMaxTotalSoundBytes - decodedBytes_) {
            warnings.push_back("sound not played: the movie's decoded sounds would pass their limit of " +
                               std::to_string(limits::kMaxTotalSoundBytes / limits::kMiB) + " MiB");
            sound = nullptr;
        } else {
            decodedBytes_ += bytes;
        }
        entry.sound = std::move(sound);
        entry.warnings = std::move(warnings);
        entry.state = State::Done;
    }
    changed_.notify_all();
}

void EventSoundLibrary::preload(std::stop_token stop, std::size_t budgetSamples)
{
    std::size_t used = 0;
    std::unique_lock lock(mutex_);
    // The map's entries never move, so the walk stays valid while the lock is let go.
    for (auto& [id, entry] : entries_) {
        if (stop.stop_requested() || used >= budgetSamples) break;
        if (entry.state != State::Waiting) continue;  // a caller has it or had it
        decodeEntry(lock, entry, [&stop] { return stop.stop_requested(); });
        if (entry.sound) used += entry.sound->samples.size();
    }
    preloadDone_ = true;
    changed_.notify_all();
}

std::shared_ptr<const DecodedSound> EventSoundLibrary::get(std::uint16_t id, const WarningHandler& warnings)
{
    std::unique_lock lock(mutex_);
    const auto it = entries_.find(id);
    if (it == entries_.end()) return nullptr;
    Entry& entry = it->second;
    changed_.wait(lock, [&] { return entry.state != State::Decoding; });
    if (entry.state == State::Waiting) decodeEntry(lock, entry, {});
    std::vector<std::string> toGive;
    if (!entry.warningsGiven) {
        entry.warningsGiven = true;
        toGive = entry.warnings;
    }
    std::shared_ptr<const DecodedSound> sound = entry.sound;
    lock.unlock();
    for (const std::string& w : toGive) warn(warnings, w);
    return sound;
}

bool EventSoundLibrary::isDecoded(std::uint16_t id) const
{
    std::lock_guard lock(mutex_);
    const auto it = entries_.find(id);
    return it != entries_.end() && it->second.state == State::Done;
}

void EventSoundLibrary::waitForPreload() const
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return preloadDone_; });
}

}  // namespace swf::audio
