#pragma once
// loadMovie of an image file: a JPEG, PNG or GIF (first frame) becomes a movie of one frame that
// shows the bitmap at its own size from the origin, one pixel per stage pixel.

#include <span>

#include "swf/movie/movie.h"

namespace swf {

// Whether the bytes start like a JPEG, PNG or GIF file.
bool looksLikeImage(std::span<const std::uint8_t> bytes);
// The image as a movie (SWF version 8, frame size of the image); an error for data that is not
// such an image, cannot be decoded, or is past the bitmap limits.
MovieLoadResult loadImageMovie(std::span<const std::uint8_t> bytes);

}  // namespace swf
