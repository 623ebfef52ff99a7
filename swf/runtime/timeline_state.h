#pragma once
// What a timeline's display-list tags say should be at each depth after a given frame, apart
// from the objects themselves. Playing forward applies a frame's tags to this state and then
// brings the objects at the touched depths in line; a goto computes the state of the target
// frame (from the current one going forward, from nothing going back) and brings every depth
// that differs in line. One set of rules for both paths keeps a goto equal to playing there.

#include <cstdint>
#include <map>
#include <set>
#include <span>

#include "swf/format/display_tags.h"
#include "swf/movie/timeline.h"
#include "swf/runtime/display_object.h"

namespace swf::runtime {

struct PlacementRecord {
    std::uint16_t characterId = 0;
    // Frame (0-based) of the place tag that started this life of the depth; a replace (move
    // with a new character) continues the life with another character.
    int createdFrame = 0;
    Placement placement;
    // The tag that started the life, for its clip actions; it lives as long as the movie.
    const PlaceObject* placeTag = nullptr;
};

class TimelineState {
public:
    using Depths = std::set<int>;

    const PlacementRecord* at(int depth) const;
    const std::map<int, PlacementRecord>& records() const { return records_; }
    void clear() { records_.clear(); }
    // From SWF 6 on, a place tag (not a move) at an occupied depth is ignored; before, it
    // replaces the object there.
    void setIgnorePlaceOnOccupied(bool on) { ignorePlaceOnOccupied_ = on; }

    // Applies the display-list tags of frame `frame` (place, move, replace, remove; other tags
    // are left alone) and adds the depths they touched to `touched`.
    void applyFrame(std::span<const ControlTag> tags, int frame, Depths& touched);
    void apply(const PlaceObject& tag, int frame, Depths& touched);
    void apply(const RemoveObject& tag, Depths& touched);

private:
    std::map<int, PlacementRecord> records_;
    bool ignorePlaceOnOccupied_ = false;
};

// The fields a place tag gives, written over `placement` (fields it omits stay as they are).
void applyPlaceFields(const PlaceObject& tag, Placement& placement);

}  // namespace swf::runtime
