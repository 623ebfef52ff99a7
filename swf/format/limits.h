#pragma once
// Limits that keep a hostile or broken file from taking unbounded memory or time: one place
// for all of them, so that every layer and its tests refer to the same numbers. Each limit,
// when hit, stops only the part that hit it (a tag, a bitmap, a sound, a display object) with a
// warning that says which limit; the rest of the movie loads and plays on. The README's section
// "Limits" lists them with where each is enforced.

#include <cstddef>
#include <cstdint>

namespace swf::limits {

inline constexpr std::size_t kMiB = std::size_t(1) << 20;

// --- Loading (swf/format, swf/movie) ---

// Largest decompressed movie we accept. Real movies of a few megabytes compressed inflate to
// a few tens of megabytes; a decompression bomb stops here (the movie is refused: TooLarge).
inline constexpr std::size_t kMaxDecompressedSize = 256 * kMiB;

// What one loaded movie may hold in memory: the decompressed file, decoded bitmaps, shape and
// glyph records, text glyphs and the timelines' tags, counted as they are created. A definition
// that would pass it is refused with a warning; a timeline that would pass it ends there (its
// whole frames so far stay). Decoded sounds, render caches and script objects live in the
// player and have their own limits below; together they stay near 2 GiB.
inline constexpr std::size_t kMaxMovieBytes = 1536 * kMiB;

// Nesting of DefineSprite tags: the reference player ignores a sprite defined inside a sprite,
// and this bounds the work before anything is ignored.
inline constexpr int kMaxSpriteNesting = 1;

// Flash Player's own bitmap limits (version 10 and later): at most 8191 pixels on a side and
// 16,777,215 pixels in total. Bigger bitmaps are refused.
inline constexpr int kMaxBitmapSide = 8191;
inline constexpr std::int64_t kMaxBitmapPixels = 16'777'215;

// Decoded bitmaps of one movie together (part of kMaxMovieBytes): past this, further bitmaps
// are refused (a file of many small zlib bombs would otherwise expand each to the largest
// allowed bitmap).
inline constexpr std::size_t kMaxTotalBitmapBytes = 1024 * kMiB;

// Decoding of progressive JPEG data stops after this many scans (a hostile file can make each
// scan cost a full pass over the image).
inline constexpr int kMaxJpegScans = 200;

// Records (edges and style changes) and styles of one shape or morph shape, or of all glyphs of
// one font together. Six bits of file make a record of about a hundred bytes, so without this a
// small tag could fill the memory; real shapes, traced bitmaps and large fonts included, stay
// far below. A shape past it is refused; a font keeps the glyphs read before it.
inline constexpr std::size_t kMaxShapeRecords = std::size_t(1) << 20;

// Glyph entries and records of one DefineText: a glyph entry can take zero bits in the file. A
// longer text is refused.
inline constexpr std::size_t kMaxTextGlyphs = std::size_t(1) << 16;

// Lengths read from a file are never used to reserve more than this many elements at once;
// vectors grow as records are really read.
inline constexpr std::size_t kMaxReserve = 4096;

// --- Playing (swf/runtime, swf/audio, swf/player) ---

// Display objects nested inside one another (a sprite inside a sprite ...): the display-list
// depth. A sprite that places itself, directly or through others, stops growing here: deeper
// instances are not created.
inline constexpr int kMaxDisplayNesting = 64;

// Display objects alive at once in one player. A timeline that would create more (a sprite that
// places itself several times multiplies at every level) gets no further objects.
inline constexpr std::size_t kMaxDisplayObjects = 100'000;

// Longest event sound (DefineSound) decoded: ten minutes at the output rate, counted in sample
// frames of the sound's own rate. Longer sounds are cut there.
inline constexpr std::size_t kMaxEventSoundFrames = std::size_t{44100} * 60 * 10;

// Decoded event sounds one player keeps for a movie together. A sound that would pass it is not
// decoded (it stays silent, with a warning).
inline constexpr std::size_t kMaxTotalSoundBytes = 256 * kMiB;

// Loaded movies. loadMovie into level 0 replaces the main movie (after the running scripts
// finish, keeping the old one when the new file is broken). Movies loaded into clips and levels
// above 0 are held beside it, as long as anything shows them: at most this many at once, and
// together at most this much memory (their decompressed files and decoded bitmaps; each is
// also bounded by kMaxMovieBytes). A load past either bound is refused with a warning and the
// target clip stays as it was. Anything from the network is refused.
inline constexpr std::size_t kMaxLoadedMovies = 64;
inline constexpr std::size_t kMaxLoadedMovieBytes = 1024 * kMiB;

// Text loaded by scripts (loadVariables, LoadVars, XML): a larger file is refused with a
// warning (it would only be parsed into a heap of strings that the script limits cut short).
inline constexpr std::size_t kMaxLoadedTextBytes = 16 * kMiB;

// --- Scripts (swf/avm1; defaults of ScriptLimits, which a movie's ScriptLimits tag and the host
// may change). A script that passes one is stopped alone, with a logged reason; the other
// scripts of the frame and the movie go on. ---

// Nested calls of script functions.
inline constexpr int kMaxScriptRecursion = 256;

// Wall time one frame's scripts may take, in seconds (the reference player asks after 15 s).
inline constexpr double kScriptSecondsPerFrame = 15;

// Entries on a script's operand stack.
inline constexpr std::size_t kMaxScriptStackValues = std::size_t{1} << 20;

// Script objects alive at once before the script that makes more is stopped.
inline constexpr std::size_t kMaxScriptHeapCells = std::size_t{8} << 20;

// Characters one script string may hold.
inline constexpr std::size_t kMaxScriptStringLength = std::size_t{16} << 20;

// Links followed up a prototype chain (a chain that loops ends here).
inline constexpr int kMaxPrototypeDepth = 256;

// Array lengths that the methods visiting every element accept (a script that writes a[4e9]
// gets a long array, not a 4e9-element allocation).
inline constexpr std::size_t kMaxIterableLength = std::size_t{1} << 22;

// Timers (setInterval, setTimeout) waiting at once. A script that asks for more gets no
// timer (an interval that starts two more each time it fires would otherwise double them
// every frame).
inline constexpr std::size_t kMaxScriptTimers = 1000;

// Pixel bytes all BitmapData objects of one movie's scripts may hold together (a script looping
// over `new BitmapData(2880, 2880)` stops getting bitmaps here instead of exhausting memory).
inline constexpr std::size_t kMaxScriptBitmapBytes = 512 * kMiB;

static_assert(kMaxDecompressedSize + kMaxTotalBitmapBytes <= kMaxMovieBytes,
              "a movie at the decompression limit must still be able to hold its bitmaps");

}  // namespace swf::limits
