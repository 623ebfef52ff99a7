#include "swf/player_sound.h"

#include <algorithm>
#include <map>
#include <variant>

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

audio::SoundTransform toMixerTransform(const runtime::SoundMix& mix)
{
    // The mixer takes out-of-range numbers (NaN from a script) as 0 itself.
    return {static_cast<float>(mix.volume), static_cast<float>(mix.leftToLeft), static_cast<float>(mix.leftToRight),
            static_cast<float>(mix.rightToLeft), static_cast<float>(mix.rightToRight)};
}

namespace {

std::unique_ptr<audio::EventSoundLibrary> makeLibrary(const std::shared_ptr<const Movie>& movie,
                                                      std::size_t preloadSamples)
{
    std::map<std::uint16_t, audio::EventSoundSource> sources;
    for (const auto& [id, character] : movie->characters()) {
        if (const auto* def = std::get_if<SoundDefinition>(&character)) {
            audio::EventSoundSource source;
            source.format = audio::SoundFormat::fromFields(def->format.coding, def->format.rateIndex,
                                                           def->format.sixteenBit, def->format.stereo);
            source.sampleCount = def->sampleCount;
            source.data = def->data;
            sources.emplace(id, source);
        }
    }
    return std::make_unique<audio::EventSoundLibrary>(std::move(sources), movie, preloadSamples);
}

}  // namespace

MixerSoundHost::MixerSoundHost(audio::Mixer& mixer, std::shared_ptr<const Movie> movie, double frameRate,
                               audio::WarningHandler warnings, std::size_t preloadSamples)
    : mixer_(mixer), movie_(std::move(movie)), frameRate_(frameRate), warnings_(std::move(warnings)),
      library_(makeLibrary(movie_, preloadSamples))
{
}

MixerSoundHost::~MixerSoundHost() { mixer_.stopAll(); }

std::shared_ptr<const audio::DecodedSound> MixerSoundHost::decoded(std::uint16_t soundId)
{
    return library_->get(soundId, warnings_);
}

void MixerSoundHost::startSound(std::uint16_t soundId, const SoundInfo& info, runtime::ObjectId owner)
{
    startEventSound(soundId, info, owner);
}

runtime::SoundChannel MixerSoundHost::startEventSound(std::uint16_t soundId, const SoundInfo& info,
                                                      runtime::ObjectId group)
{
    // The mixer applies the sync flags (stop, no multiple) itself.
    std::shared_ptr<const audio::DecodedSound> sound = decoded(soundId);
    return sound ? mixer_.startSound(std::move(sound), toMixerSoundInfo(info), group) : 0;
}

void MixerSoundHost::stopChannel(runtime::SoundChannel channel) { mixer_.stopChannel(channel); }

void MixerSoundHost::stopSoundCharacter(std::uint16_t soundId)
{
    // A sound not decoded yet cannot be playing.
    if (!library_->isDecoded(soundId)) return;
    if (std::shared_ptr<const audio::DecodedSound> sound = decoded(soundId)) mixer_.stopSound(*sound);
}

void MixerSoundHost::stopGroup(runtime::ObjectId group) { mixer_.stopGroup(group); }

void MixerSoundHost::setGroupMix(runtime::ObjectId group, const runtime::SoundMix& mix)
{
    mixer_.setGroupTransform(group, toMixerTransform(mix));
}

void MixerSoundHost::setMasterMix(const runtime::SoundMix& mix) { mixer_.setMasterTransform(toMixerTransform(mix)); }

std::optional<runtime::SoundChannelStatus> MixerSoundHost::channelStatus(runtime::SoundChannel channel) const
{
    const std::optional<audio::EventStatus> status = mixer_.eventStatus(channel);
    if (!status) return std::nullopt;
    return runtime::SoundChannelStatus{status->positionMs, status->durationMs};
}

std::optional<double> MixerSoundHost::soundDurationMs(std::uint16_t soundId)
{
    std::shared_ptr<const audio::DecodedSound> sound = decoded(soundId);
    if (!sound) return std::nullopt;
    return sound->durationMs();
}

std::vector<runtime::SoundChannel> MixerSoundHost::takeFinishedChannels() { return mixer_.takeFinished(); }

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
    if (!source) return 0;
    const runtime::StreamHandle stream = mixer_.addStream(std::move(source), frameRate_, owner);
    if (stream) open_.push_back({stream, owner});
    return stream;
}

void MixerSoundHost::closeStream(runtime::StreamHandle stream)
{
    mixer_.removeStream(stream);
    std::erase_if(open_, [stream](const OpenStream& s) { return s.stream == stream; });
}

void MixerSoundHost::startStream(runtime::StreamHandle stream, int frame) { mixer_.startStream(stream, frame); }
void MixerSoundHost::stopStream(runtime::StreamHandle stream) { mixer_.stopStream(stream); }
void MixerSoundHost::stopAll() { mixer_.stopAll(); }

bool MixerSoundHost::streamStopped(runtime::StreamHandle stream) const
{
    const std::optional<audio::StreamClock> clock = mixer_.streamClock(stream);
    return clock && !clock->playing && !clock->ended;
}

std::optional<int> MixerSoundHost::streamFrame(runtime::StreamHandle stream) const
{
    if (!live_) return std::nullopt;
    const std::optional<audio::StreamClock> clock = mixer_.streamClock(stream, lookAhead_);
    if (!clock || !clock->playing) return std::nullopt;
    return clock->frame;
}

std::optional<MixerSoundHost::DrivingStream> MixerSoundHost::drivingStream() const
{
    for (const OpenStream& s : open_) {
        if (const std::optional<int> frame = streamFrame(s.stream)) return DrivingStream{s.stream, s.owner, *frame};
    }
    return std::nullopt;
}

}  // namespace swf::detail
