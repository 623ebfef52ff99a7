#pragma once
// Where the stage calls out: scripts (the interpreter plugs in here) and sound (the player
// plugs the mixer in here). The runtime knows neither; without a host, scripts do not run and
// movies are silent.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

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
    // DoInitAction of a sprite, met on `timeline` (a clip of the movie that defines the sprite).
    virtual void runInitActions(MovieClip& timeline, std::uint16_t spriteId, std::span<const std::uint8_t> actions) = 0;
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
// One playing instance of an event sound, as the sound host knows it; 0 = none. Never reused.
using SoundChannel = std::uint64_t;

// Volume and speaker mix of a clip's sounds, as the Sound object sets them (its percentages
// divided by 100): each speaker gets leftTo* of the sound's left plus rightTo* of its right,
// all times volume. A pan p (-100 .. 100) turns the far side down and keeps the near one:
// leftToLeft = 1 - p/100 when p > 0, rightToRight = 1 + p/100 when p < 0.
struct SoundMix {
    double volume = 1;
    double leftToLeft = 1;
    double leftToRight = 0;
    double rightToLeft = 0;
    double rightToRight = 1;
};

// Where a playing event sound is.
struct SoundChannelStatus {
    double positionMs = 0;  // from the sound's start (an in point counts); back to it with each loop
    double durationMs = 0;  // of the whole sound
};

// The sound layer. Event sounds are started by frames (StartSound) with the clip that started
// them as their owner; a clip whose timeline has a SoundStreamHead opens one stream, started at
// a frame when the clip plays from there and stopped when it stops.
//
// Sounds are grouped by the object that owns them (a clip's ObjectId): a clip's frames start
// their sounds in its group and its stream plays in it. What the Sound object of scripts and
// the buttons need beyond the frames' calls:
// - button sounds (DefineButtonSound): startSound(soundId, info of the transition, button id);
// - Sound.attachSound(name) + start(offset, loops): the id from Movie::exportedCharacter(name),
//   then startEventSound(id, info with inPoint = offset * 44100 and loopCount = loops, group of
//   the Sound's clip), which gives the channel for position and onSoundComplete;
// - Sound.stop() / stop(name): stopGroup(group) / stopSoundCharacter(id); stopAllSounds():
//   stopAll(). Streams stopped this way start again at the next frame of their clip that has
//   a block, as the playhead moves on;
// - setVolume, setPan, setTransform: the caller keeps the values it was given, combines a
//   clip's with its parents' (a group's mix is not inherited by the groups of child clips) and
//   sets the result with setGroupMix; the Sound object without a target uses setMasterMix;
// - position, duration: channelStatus(channel), soundDurationMs(id);
// - onSoundComplete: takeFinishedChannels() once per frame, in the order the sounds ended.
// The defaults of these calls are a host that plays nothing.
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

    // Whether the stream is stopped: not playing and not played to its end (whether or not
    // anyone hears it).
    virtual bool streamStopped(StreamHandle) const { return false; }

    // Starts an event sound as StartSound does (the sound info's stop and no-multiple apply)
    // and returns its channel; 0 when nothing started (not a sound, a coding that cannot be
    // decoded, a stop, no-multiple while playing, too many sounds at once).
    virtual SoundChannel startEventSound(std::uint16_t, const SoundInfo&, ObjectId) { return 0; }
    virtual void stopChannel(SoundChannel) {}
    virtual void stopSoundCharacter(std::uint16_t) {}  // every playing instance of the sound
    virtual void stopGroup(ObjectId) {}                // its event sounds and its streams
    virtual void setGroupMix(ObjectId, const SoundMix&) {}
    virtual void setMasterMix(const SoundMix&) {}
    // Nothing once the channel has ended or was stopped.
    virtual std::optional<SoundChannelStatus> channelStatus(SoundChannel) const { return std::nullopt; }
    // The length of a DefineSound; nothing for an id that is not a sound one can play.
    virtual std::optional<double> soundDurationMs(std::uint16_t) { return std::nullopt; }
    // Channels that played to their end (not those stopped) since the last call, oldest first.
    virtual std::vector<SoundChannel> takeFinishedChannels() { return {}; }
};

}  // namespace swf::runtime
