#include "swf/runtime/timeline_state.h"

#include <variant>

namespace swf::runtime {

const PlacementRecord* TimelineState::at(int depth) const
{
    auto it = records_.find(depth);
    return it == records_.end() ? nullptr : &it->second;
}

void applyPlaceFields(const PlaceObject& tag, Placement& p)
{
    if (tag.matrix) p.matrix = *tag.matrix;
    if (tag.colorTransform) p.colorTransform = *tag.colorTransform;
    if (tag.ratio) p.ratio = *tag.ratio;
    if (tag.name) p.name = *tag.name;
    if (tag.clipDepth) p.clipDepth = *tag.clipDepth;
    if (tag.filters) p.filters = *tag.filters;
    if (tag.blendMode) p.blendMode = *tag.blendMode;
    if (tag.cacheAsBitmap) p.cacheAsBitmap = *tag.cacheAsBitmap;
    if (tag.visible) p.visible = *tag.visible;
    if (tag.backgroundColor) p.backgroundColor = *tag.backgroundColor;
}

void TimelineState::apply(const PlaceObject& tag, int frame, Depths& touched)
{
    const int depth = tag.depth;
    auto it = records_.find(depth);
    if (tag.isModify()) {
        // Moving an empty depth does nothing.
        if (it == records_.end()) return;
        applyPlaceFields(tag, it->second.placement);
        touched.insert(depth);
        return;
    }
    if (!tag.characterId) return;
    if (tag.isReplace() && it != records_.end()) {
        // The object there takes the new character and keeps whatever the tag does not give.
        it->second.characterId = *tag.characterId;
        applyPlaceFields(tag, it->second.placement);
        touched.insert(depth);
        return;
    }
    if (!tag.isReplace() && it != records_.end() && ignorePlaceOnOccupied_) return;
    // A new object: a place, a place over an occupied depth (the old object goes), or a
    // replace at an empty depth.
    PlacementRecord record;
    record.characterId = *tag.characterId;
    record.createdFrame = frame;
    record.placeTag = &tag;
    applyPlaceFields(tag, record.placement);
    records_.insert_or_assign(depth, std::move(record));
    touched.insert(depth);
}

void TimelineState::apply(const RemoveObject& tag, Depths& touched)
{
    if (records_.erase(tag.depth) > 0) touched.insert(tag.depth);
}

void TimelineState::applyFrame(std::span<const ControlTag> tags, int frame, Depths& touched)
{
    for (const ControlTag& tag : tags) {
        if (const auto* place = std::get_if<PlaceObject>(&tag))
            apply(*place, frame, touched);
        else if (const auto* remove = std::get_if<RemoveObject>(&tag))
            apply(*remove, touched);
    }
}

}  // namespace swf::runtime
