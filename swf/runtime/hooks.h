#pragma once
// Where the stage calls out: scripts (the interpreter plugs in here) and sound (the player
// plugs the mixer in here). The runtime knows neither; without a host, scripts do not run and
// movies are silent.

#include <cstdint>
#include <optional>
#include <span>

#include "swf/format/sound_tags.h"
#include "swf/movie/timeline.h"
#include "swf/runtime/display_object.h"

namespace swf::runtime {

class MovieClip;

// Clip events the stage raises, in the bits of swf::clip_event.
using ClipEventBits = std::uint32_t;

// The script layer. The stage calls it only after a whole advance pass (never while display
// lists are being changed), in the order Flash runs scripts:
//   1. init actions of a sprite definition, the first time a frame holding them is reached;
//   2. for each clip in the order its frame ran: its Load event when it was just created, then
//      the frame's actions (DoAction) of the clip;
// Clip events: EnterFrame for every clip, queued before the pass that advances it (see
// Stage::tick). A host may change display lists and call timeline control (play, stop, goto)
// from any of these calls.
class ScriptHost {
public:
    virtual ~ScriptHost() = default;
    virtual void runInitActions(std::uint16_t spriteId, std::span<const std::uint8_t> actions) = 0;
    virtual void runFrameActions(MovieClip& clip, std::span<const std::uint8_t> actions) = 0;
    virtual void clipEvent(DisplayObject& object, ClipEventBits event) = 0;
};

// A sound stream of one clip instance, as the sound host knows it; 0 = none.
using StreamHandle = std::uint64_t;

// The sound layer. Event sounds are started by frames (StartSound) with the clip that started
// them as their owner; a clip whose timeline has a SoundStreamHead opens one stream, started at
// a frame when the clip plays from there and stopped when it stops.
class SoundHost {
public:
    virtual ~SoundHost() = default;
    virtual void startSound(std::uint16_t soundId, const SoundInfo& info, ObjectId owner) = 0;
    // 0 when the timeline's stream cannot play (no head, no blocks).
    virtual StreamHandle openStream(const Timeline& timeline, ObjectId owner) = 0;
    virtual void closeStream(StreamHandle stream) = 0;
    virtual void startStream(StreamHandle stream, int frame) = 0;
    virtual void stopStream(StreamHandle stream) = 0;
    // The frame (0-based) whose sound is being heard, while the stream plays and its clock can be
    // trusted; nothing otherwise (stopped, ended, nobody taking the sound).
    virtual std::optional<int> streamFrame(StreamHandle stream) const = 0;
    virtual void stopAll() = 0;
};

}  // namespace swf::runtime
