#pragma once
// A movie clip: the main movie or an instance of a sprite, playing its own timeline.
//
// Frames are 0-based here. A clip shows its first frame as soon as it is created (initialize());
// each tick of the stage then advances a playing clip by one frame (advance()). A timeline loops
// from its last frame to the first only when its tags end with ShowFrame and End (a file cut
// short, or a last frame without ShowFrame, holds on the last frame, as the reference player
// does with a movie still loading), and only when it has more than one frame.
//
// Going to a frame: forward, the display-list tags of every frame up to the target are applied
// (objects that would appear and vanish in between are never built); backwards, the display
// list is rebuilt from the first frame to the target. In both cases an object that the target
// frame wants and that is already there keeps its identity: same depth, same character, placed
// by the same tag (at or before the target frame) and not removed since. Only the target
// frame's other tags run (actions, sounds).

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "swf/movie/characters.h"
#include "swf/movie/timeline.h"
#include "swf/runtime/display_list.h"
#include "swf/runtime/display_object.h"
#include "swf/runtime/drawing.h"
#include "swf/runtime/hooks.h"
#include "swf/runtime/timeline_state.h"

namespace swf::runtime {

class MovieClip : public DisplayObject {
public:
    // The main movie (characterId 0) or a sprite instance of `movie`, whose timeline it plays.
    MovieClip(Stage& stage, std::shared_ptr<const Movie> movie, const Timeline& timeline, std::uint16_t characterId);
    ~MovieClip() override;

    const Timeline& timeline() const { return *timeline_; }
    // A level's root clip (_level0 is the stage's movie, others were loaded into levels).
    bool isRoot() const { return characterId() == 0 && parent() == nullptr; }
    int frameCount() const { return static_cast<int>(timeline_->frameCount()); }
    int currentFrame() const { return currentFrame_; }  // -1 before initialize()
    bool playing() const { return playing_; }
    // Whether the timeline goes back to its first frame after the last one.
    bool loops() const;
    // The main movie may be told not to loop (the player's loop setting).
    void setLoopAllowed(bool allowed) { loopAllowed_ = allowed; }

    DisplayList* children() override { return &children_; }
    DisplayList& displayList() { return children_; }
    DisplayObject* childByName(std::string_view name) const;

    // Timeline control, as scripts and the player use it.
    void play();
    void stop();
    void gotoFrame(int frame, bool andPlay);   // clamped to the frames that exist
    bool gotoLabel(std::string_view label, bool andPlay);
    void nextFrame() { gotoFrame(currentFrame_ + 1, false); }
    void prevFrame() { gotoFrame(currentFrame_ - 1, false); }
    // unloadMovie: the clip stays (name, place, script object) but loses its content: children
    // (their Unload events queued), drawing, sound stream and timeline, which becomes one empty
    // frame.
    void unloadContent();
    // loadMovie: the clip keeps its place (name, depth, matrix, colour transform, clip events)
    // and plays the root timeline of `movie` from its first frame instead of its own content,
    // whose children leave as with unloadContent(). The caller gives the clip its new script
    // object.
    void replaceContent(std::shared_ptr<const Movie> movie);

    // Runs the first frame.
    void initialize() override;
    // One tick of the clip's own timeline (nothing when stopped or on a frame that holds).
    void advance();

    StreamHandle stream() const { return stream_; }

    // Drawing-API content, drawn under the children.
    const Drawing& drawing() const { return drawing_; }
    Drawing& drawing() { return drawing_; }
    // A mask set by setMask(): the id of the object masking this clip (0: none).
    ObjectId scriptMask() const { return scriptMask_; }
    void setScriptMask(ObjectId mask) { scriptMask_ = mask; }
    // Whether the clip takes mouse events as a button (a clip with on(press) or onPress...).
    bool enabled() const { return enabled_; }
    void setEnabled(bool on) { enabled_ = on; }
    bool useHandCursor() const { return useHandCursor_; }
    void setUseHandCursor(bool on) { useHandCursor_ = on; }

    const TimelineState& timelineState() const { return state_; }

private:
    void runFrame(int frame, bool runOtherTags);
    void seek(int target);
    void syncDepths(const TimelineState::Depths& depths);
    void syncDepth(int depth);
    void runFrameTags(int frame);
    void runFrameTag(const ControlTag& tag);
    void startStreamAt(int frame);
    void resumeStreamAt(int frame);
    void stopStream();

    const Timeline* timeline_;
    DisplayList children_;
    TimelineState state_;
    int currentFrame_ = -1;
    bool playing_ = true;
    bool loopAllowed_ = true;
    StreamHandle stream_ = 0;
    Drawing drawing_;
    ObjectId scriptMask_ = 0;
    bool enabled_ = true;
    bool useHandCursor_ = true;
};

}  // namespace swf::runtime
