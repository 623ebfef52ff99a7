#pragma once
// A native constructor that cannot build its object (BitmapData of a bad size, or past the
// memory budget) throws this while constructing: `new` then yields undefined, as in Flash
// Player, instead of a half-made object.

namespace swf::avm1 {

struct ConstructionRefused {};

}  // namespace swf::avm1
