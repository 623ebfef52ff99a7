#pragma once
// A timeline (the main movie's or a sprite's) as loaded: the control tags of every frame in file
// order, the frame labels, and the stream sound head. Immutable after loading.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "swf/format/control_tags.h"
#include "swf/format/display_tags.h"
#include "swf/format/sound_tags.h"

namespace swf {

struct DoAction {
    std::span<const std::uint8_t> actions;  // ACTIONRECORDs
};
struct SoundStreamBlock {
    std::span<const std::uint8_t> data;     // per the timeline's stream head
};
struct SetBackgroundColor {
    Rgba color;
};

// What a frame does, in file order. DoInitAction is kept in place; it runs before the frame's
// DoActions, the first time the frame is reached.
using ControlTag = std::variant<PlaceObject, RemoveObject, DoAction, DoInitAction, StartSound,
                                SoundStreamHead, SoundStreamBlock, SetBackgroundColor, VideoFrame,
                                SetTabIndex>;

struct FrameLabelInfo {
    std::string name;
    std::size_t frame = 0;  // 0-based
    bool namedAnchor = false;
};

class Timeline {
public:
    std::size_t frameCount() const { return frameStarts_.size(); }
    // Control tags of frame `index` (0-based). Empty past the last frame.
    std::span<const ControlTag> frameTags(std::size_t index) const;
    // Labels in file order; one frame may have several.
    const std::vector<FrameLabelInfo>& labels() const { return labels_; }
    // The frame of a label (0-based), compared ignoring ASCII case; the first such label wins.
    std::optional<std::size_t> findLabel(std::string_view name) const;
    // The first SoundStreamHead of this timeline, if it has one.
    const SoundStreamHead* streamHead() const { return streamHead_ ? &*streamHead_ : nullptr; }
    std::size_t tagCount() const { return tags_.size(); }
    // How the tag stream ended. The reference player loops a timeline only when its tags end
    // with ShowFrame and then End; tags after the last ShowFrame still form a last frame (run
    // when reached), and a stream without End behaves as one still loading.
    bool hasEndTag() const { return hasEndTag_; }
    bool lastFrameClosed() const { return lastFrameClosed_; }

    // Building, used by the loader.
    void reserve(std::size_t tags, std::size_t frames)
    {
        tags_.reserve(tags);
        frameStarts_.reserve(frames);
    }
    void addTag(ControlTag tag);
    void addLabel(FrameLabelInfo label);
    void endFrame();  // closes the frame being built
    // Tags added since the last endFrame().
    std::size_t pendingTagCount() const { return tags_.size() - openFrameStart_; }
    void dropPendingTags();
    // Closes trailing tags as a last frame that had no ShowFrame.
    void closeTrailingFrame()
    {
        endFrame();
        lastFrameClosed_ = false;
    }
    void setHasEndTag(bool v) { hasEndTag_ = v; }

private:
    std::vector<ControlTag> tags_;
    std::vector<std::uint32_t> frameStarts_;  // frame i = [frameStarts_[i], frameStarts_[i+1])
    std::uint32_t openFrameStart_ = 0;
    std::vector<FrameLabelInfo> labels_;
    std::optional<SoundStreamHead> streamHead_;
    bool hasEndTag_ = false;
    bool lastFrameClosed_ = true;
};

}  // namespace swf
