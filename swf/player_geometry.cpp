#include "swf/player_geometry.h"

#include <optional>

#include "swf/render/display_tree_walk.h"
#include "swf/render/movie_resources.h"
#include "swf/render/shape_geometry.h"
#include "swf/runtime/character_objects.h"
#include "swf/runtime/movie_clip.h"

namespace swf::detail {

bool PlayerGeometry::contains(const runtime::DisplayObject& object, Point local) const
{
    using runtime::ObjectKind;
    switch (object.kind()) {
    case ObjectKind::Shape:
        return render::geometryContains(cache_.shape(static_cast<const runtime::ShapeObject&>(object).definition()),
                                        local, true);
    case ObjectKind::MorphShape: {
        const auto& morph = static_cast<const runtime::MorphShapeObject&>(object);
        return render::geometryContains(*cache_.morph(morph.definition(), morph.ratio()), local, true);
    }
    case ObjectKind::MovieClip: {
        const auto& clip = static_cast<const runtime::MovieClip&>(object);
        if (clip.drawing().empty()) return false;
        return render::geometryContains(*cache_.drawing(clip.id(), clip.drawing().revision(), clip.drawing().shape()),
                                        local, true);
    }
    default:
        // Text and bitmaps answer by their boxes, which the caller has checked.
        return true;
    }
}

runtime::GeometryHost::TextMetrics PlayerGeometry::textMetrics(const runtime::DisplayObject& object) const
{
    TextMetrics m;
    if (object.kind() != runtime::ObjectKind::EditText) return m;
    const auto& field = static_cast<const runtime::EditTextObject&>(object);
    // A field of a movie loaded into a clip or a level uses that movie's fonts.
    std::optional<render::MovieResources> own;
    if (&field.movie() != &field.stage().movie()) own.emplace(field.movie());
    const auto layout = cache_.textLayout(field.definition(), render::editTextState(field), own ? *own : resources_);
    if (!layout) return m;
    m.textWidth = layout->textWidth;
    m.textHeight = layout->textHeight;
    m.maxScroll = layout->maxScroll;
    m.lineCount = static_cast<int>(layout->lines.size());
    return m;
}

}  // namespace swf::detail
