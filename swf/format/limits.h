#pragma once
// Limits that keep a hostile or broken file from taking unbounded memory or time. One place for
// all of them, so that later layers add theirs here and tests can refer to the same numbers.

#include <cstddef>
#include <cstdint>

namespace swf::limits {

// Largest decompressed movie we accept. Real movies of a few megabytes compressed inflate to
// a few tens of megabytes; a decompression bomb stops here.
inline constexpr std::size_t kMaxDecompressedSize = 256u * 1024u * 1024u;

// Nesting of DefineSprite tags: the reference player ignores a sprite defined inside a sprite,
// and this bounds the work before anything is ignored.
inline constexpr int kMaxSpriteNesting = 1;

// Flash Player's own bitmap limits (version 10 and later): at most 8191 pixels on a side and
// 16,777,215 pixels in total. Bigger bitmaps are refused.
inline constexpr int kMaxBitmapSide = 8191;
inline constexpr std::int64_t kMaxBitmapPixels = 16'777'215;

// Decoded bitmaps of one movie together: past this, further bitmaps are refused (a file of many
// small zlib bombs would otherwise expand each to the largest allowed bitmap).
inline constexpr std::size_t kMaxTotalBitmapBytes = std::size_t(1) << 30;

// Decoding of progressive JPEG data stops after this many scans (a hostile file can make each
// scan cost a full pass over the image).
inline constexpr int kMaxJpegScans = 200;

// Lengths read from a file are never used to reserve more than this many elements at once;
// vectors grow as records are really read.
inline constexpr std::size_t kMaxReserve = 4096;

// Display objects nested inside one another (a sprite inside a sprite ...). A sprite that places
// itself, directly or through others, stops growing here: deeper instances are not created.
inline constexpr int kMaxDisplayNesting = 64;

// Display objects alive at once in one player. A timeline that would create more (a sprite that
// places itself several times multiplies at every level) gets no further objects.
inline constexpr std::size_t kMaxDisplayObjects = 100'000;

}  // namespace swf::limits
