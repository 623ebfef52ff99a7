#pragma once
// The characters of a movie's dictionary, as the movie layer keeps them.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <variant>

#include "swf/format/button_tags.h"
#include "swf/format/control_tags.h"
#include "swf/format/shape.h"
#include "swf/format/sound_tags.h"
#include "swf/format/text.h"
#include "swf/movie/bitmap.h"
#include "swf/movie/timeline.h"

namespace swf {

// A bitmap character: decoded pixels, shared so that copies of the dictionary stay cheap.
struct BitmapCharacter {
    std::uint16_t id = 0;
    std::shared_ptr<const Bitmap> bitmap;
};

struct SpriteDefinition {
    std::uint16_t id = 0;
    std::uint16_t declaredFrameCount = 0;  // as the tag says; timeline.frameCount() is what exists
    Timeline timeline;
};

struct BinaryDataCharacter {
    std::uint16_t id = 0;
    std::span<const std::uint8_t> data;
};

using Character = std::variant<ShapeDefinition, MorphShapeDefinition, BitmapCharacter, FontDefinition,
                               StaticTextDefinition, EditTextDefinition, ButtonDefinition,
                               SoundDefinition, SpriteDefinition, VideoStreamDefinition,
                               BinaryDataCharacter>;

// A short name of the character's kind for diagnostics ("shape", "sprite", ...).
const char* characterKindName(const Character& c);

}  // namespace swf
