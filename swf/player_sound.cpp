#include "swf/player_sound.h"

#include <variant>

#include "swf/format/limits.h"

namespace swf::detail {

audio::SoundInfo toMixerSoundInfo(const SoundInfo& info)
{
    audio::SoundInfo out;
    out.syncStop = info.syncStop;
    out.noMultiple = info.syncNoMultiple;
    out.inPoint44 = info.inPoint;
    out.outPoint44 = info.outPoint;
    out.loops = info.loopCount;
    out.envelope.reserve(info.envelope.size());
    for (const SoundEnvelopePoint& p : info.envelope) out.envelope.push_back({p.pos44, p.left, p.right});
    return out;
}

MixerSoundHost::MixerSoundHost(audio::Mixer& mixer, std::shared_ptr<const Movie> movie, double frameRate,
                               audio::WarningHandler warnings)
    : mixer_(mixer), movie_(std::move(movie)), frameRate_(frameRate), warnings_(std::move(warnings))
{
}

MixerSoundHost::~MixerSoundHost() { mixer_.stopAll(); }

std::shared_ptr<const audio::DecodedSound> MixerSoundHost::decoded(std::uint16_t soundId)
{
    auto it = sounds_.find(soundId);
    if (it != sounds_.end()) return it->second;
    std::shared_ptr<const audio::DecodedSound> sound;
    if (const SoundDefinition* def = movie_->sound(soundId)) {
        const audio::SoundFormat format = audio::SoundFormat::fromFields(def->format.coding, def->format.rateIndex,
                                                                          def->format.sixteenBit, def->format.stereo);
        sound = audio::decodeEventSound(format, def->sampleCount, def->data, warnings_);
        const std::size_t bytes = sound ? sound->samples.size() * sizeof(std::int16_t) : 0;
        if (bytes > limits::kMaxTotalSoundBytes - decodedBytes_) {
            audio::warn(warnings_, "sound " + std::to_string(soundId) +
                                       " not played: the movie's decoded sounds would pass their limit of " +
                                       std::to_string(limits::kMaxTotalSoundBytes / limits::kMiB) + " MiB");
            sound = nullptr;
        } else {
            decodedBytes_ += bytes;
        }
    }
    sounds_.emplace(soundId, sound);
    return sound;
}

void MixerSoundHost::startSound(std::uint16_t soundId, const SoundInfo& info, runtime::ObjectId owner)
{
    // The mixer applies the sync flags (stop, no multiple) itself.
    if (std::shared_ptr<const audio::DecodedSound> sound = decoded(soundId))
        mixer_.startSound(std::move(sound), toMixerSoundInfo(info), owner);
}

std::shared_ptr<const audio::StreamSource> MixerSoundHost::streamSource(const Timeline& timeline)
{
    auto it = sources_.find(&timeline);
    if (it != sources_.end()) return it->second;
    std::shared_ptr<const audio::StreamSource> result;
    if (const SoundStreamHead* head = timeline.streamHead()) {
        auto source = std::make_shared<audio::StreamSource>();
        source->format = audio::SoundFormat::fromFields(head->stream.coding, head->stream.rateIndex,
                                                        head->stream.sixteenBit, head->stream.stereo);
        source->blocks.resize(timeline.frameCount());
        bool any = false;
        for (std::size_t f = 0; f < timeline.frameCount(); ++f) {
            for (const ControlTag& tag : timeline.frameTags(f)) {
                if (const auto* block = std::get_if<SoundStreamBlock>(&tag)) {
                    // One block a frame; a second one in the same frame is ignored.
                    if (source->blocks[f].empty()) source->blocks[f] = block->data;
                    any = any || !block->data.empty();
                }
            }
        }
        source->owner = movie_;
        if (any) result = std::move(source);
    }
    sources_.emplace(&timeline, result);
    return result;
}

runtime::StreamHandle MixerSoundHost::openStream(const Timeline& timeline, runtime::ObjectId owner)
{
    std::shared_ptr<const audio::StreamSource> source = streamSource(timeline);
    return source ? mixer_.addStream(std::move(source), frameRate_, owner) : 0;
}

void MixerSoundHost::closeStream(runtime::StreamHandle stream) { mixer_.removeStream(stream); }
void MixerSoundHost::startStream(runtime::StreamHandle stream, int frame) { mixer_.startStream(stream, frame); }
void MixerSoundHost::stopStream(runtime::StreamHandle stream) { mixer_.stopStream(stream); }
void MixerSoundHost::stopAll() { mixer_.stopAll(); }

std::optional<int> MixerSoundHost::streamFrame(runtime::StreamHandle stream) const
{
    if (!live_) return std::nullopt;
    const std::optional<audio::StreamClock> clock = mixer_.streamClock(stream);
    if (!clock || !clock->playing) return std::nullopt;
    return clock->frame;
}

}  // namespace swf::detail
