#pragma once
// Display objects from dictionary characters.

#include <cstdint>
#include <memory>

#include "swf/runtime/display_object.h"

namespace swf::runtime {

// A new object showing character `characterId` of `movie` (ids are looked up there), to sit `nesting` levels below the root. Null
// when the id names nothing that can be displayed (a font, a sound, a missing or skipped
// definition) or when the stage's limits refuse another object. Put the object on its list,
// then call initialize() (a clip runs its first frame then).
std::unique_ptr<DisplayObject> createDisplayObject(Stage& stage, const std::shared_ptr<const Movie>& movie,
                                                   std::uint16_t characterId, int nesting);

}  // namespace swf::runtime
