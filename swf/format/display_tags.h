#pragma once
// Decoders of the display-list tags: PlaceObject/2/3 (with clip actions, filters and blend
// modes) and RemoveObject/2.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "swf/format/filters.h"
#include "swf/format/geometry.h"
#include "swf/format/reader.h"
#include "swf/format/text_encoding.h"

namespace swf {

// Clip event bits, as the little-endian value of the event flag bytes (SWF 5 files store the
// low two bytes only).
namespace clip_event {
inline constexpr std::uint32_t KeyUp = 0x80, KeyDown = 0x40, MouseUp = 0x20, MouseDown = 0x10,
                               MouseMove = 0x08, Unload = 0x04, EnterFrame = 0x02, Load = 0x01,
                               DragOver = 0x8000, RollOut = 0x4000, RollOver = 0x2000,
                               ReleaseOutside = 0x1000, Release = 0x800, Press = 0x400,
                               Initialize = 0x200, Data = 0x100, Construct = 0x40000,
                               KeyPress = 0x20000, DragOut = 0x10000;
}

struct ClipAction {
    std::uint32_t events = 0;    // clip_event bits
    std::uint8_t keyCode = 0;    // with KeyPress
    std::span<const std::uint8_t> actions;  // ACTIONRECORDs, parsed by the script layer
};

struct PlaceObject {
    int placeVersion = 1;        // 1, 2 or 3
    std::uint16_t depth = 0;
    bool move = false;           // PlaceFlagMove: the depth's object is modified or replaced
    std::optional<std::uint16_t> characterId;
    std::optional<Matrix> matrix;
    std::optional<ColorTransform> colorTransform;
    std::optional<std::uint16_t> ratio;
    std::optional<std::string> name;
    std::optional<std::uint16_t> clipDepth;
    std::optional<std::string> className;       // PlaceObject3, AVM2 only
    std::optional<std::vector<Filter>> filters; // PlaceObject3
    std::optional<BlendMode> blendMode;         // PlaceObject3
    std::optional<bool> cacheAsBitmap;          // PlaceObject3
    std::optional<bool> visible;                // PlaceObject3
    std::optional<Rgba> backgroundColor;        // PlaceObject3
    bool hasClipActions = false;
    std::uint32_t allClipEvents = 0;
    std::vector<ClipAction> clipActions;

    // Place: new object at an empty (or taken) depth. Modify: change fields of the object
    // there. Replace: the object there takes another character.
    bool isPlace() const { return !move && characterId.has_value(); }
    bool isModify() const { return move && !characterId.has_value(); }
    bool isReplace() const { return move && characterId.has_value(); }
};

struct RemoveObject {
    std::uint16_t depth = 0;
    std::optional<std::uint16_t> characterId;  // RemoveObject (1) only; not needed to remove
};

// `placeVersion` is 1, 2 or 3; `swfVersion` decides the width of clip event flags.
PlaceObject decodePlaceObject(ByteReader body, int placeVersion, int swfVersion, TextDecoder& text);
RemoveObject decodeRemoveObject(ByteReader body, int removeVersion);

}  // namespace swf
