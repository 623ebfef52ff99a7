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

class Stage;

// The script layer. The stage calls the run* and clipEvent members only from its queue, after a
// whole advance pass (never while display lists are being changed), in the order Stage::tick
// describes. A host may change display lists and call timeline control (play, stop, goto)
// from any of these calls. The notifications (attach, objectRemoved, objectDestroyed) come at
// once, from inside display list changes: a host must not run scripts from them.
class ScriptHost {
public:
    virtual ~ScriptHost() = default;
    // The stage this host serves, before its root exists.
    virtual void attachStage(Stage&) {}
    // Around every tick: the per-frame script budget starts; timers and garbage after.
    virtual void beginTick() {}
    virtual void endTick() {}
    virtual void runInitActions(std::uint16_t spriteId, std::span<const std::uint8_t> actions) = 0;
    virtual void runFrameActions(MovieClip& clip, std::span<const std::uint8_t> actions) = 0;
    virtual void clipEvent(DisplayObject& object, ClipEventBits event) = 0;
    // A timeline placed a new object (queued before its first frame's actions): the host names
    // it, runs the Initialize/Construct clip events and a registered class's constructor.
    virtual void constructObject(DisplayObject&) {}
    // Before any Construct work: the Initialize clip event of a new clip.
    virtual void initializeObject(DisplayObject&) {}
    // `object` is being taken off its parent's list (Unload comes from here). True when the
    // host wants the object kept until its queued Unload has run (see Stage::removeChild).
    virtual bool objectRemoved(DisplayObject&) { return false; }
    // `object` leaves the display for good; its parents are still in place (paths work).
    virtual void objectLeaving(DisplayObject&) {}
    // `object` is being destroyed (its script object must forget it).
    virtual void objectDestroyed(DisplayObject&) {}
    // A text field's variable binding asks for the current value (text shown) each frame.
    virtual void syncTextVariables() {}
};

// What the runtime asks of the drawing layer without drawing: exact hit tests on shapes and
// text metrics. The player implements it with the renderer; without it, bounds stand in.
class GeometryHost {
public:
    virtual ~GeometryHost() = default;
    // Whether `localTwips` (the object's own space) lies on the object's filled area (shapes,
    // morph shapes, static text glyph boxes, bitmaps, a clip's drawing).
    virtual bool contains(const DisplayObject& object, Point localTwips) const = 0;
    struct TextMetrics {
        double textWidth = 0, textHeight = 0;  // twips
        int maxScroll = 1;
        int lineCount = 0;
    };
    virtual TextMetrics textMetrics(const DisplayObject& editText) const = 0;
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
