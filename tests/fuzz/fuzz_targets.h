#pragma once
// The fuzz targets as plain functions: libFuzzer programs call them from
// LLVMFuzzerTestOneInput (fuzz build), and the regression test replays the inputs that once
// broke them (every build). Each returns 0, as libFuzzer wants; a fault shows as a crash or a
// sanitizer report, never as a return value.

#include <cstddef>
#include <cstdint>

namespace vantoro::fuzz {

// Loads a movie from the bytes (header, decompression, every tag decoder) and walks what loaded.
int fuzzLoad(const std::uint8_t* data, std::size_t size);

// Loads the bytes through the public player, plays a few hundred frames and renders some of
// them into a small image. Needs a QGuiApplication (text uses the host's fonts).
int fuzzPlay(const std::uint8_t* data, std::size_t size);

// Runs the bytes as AVM1 byte code: a movie as it stands when the bytes start with a SWF
// signature, otherwise a DoAction in a small movie with a clip, played for a few frames.
int fuzzAvm1(const std::uint8_t* data, std::size_t size);

// Feeds the bytes to a sound decoder. Byte 0 is the format byte of DefineSound (coding, rate,
// sample size, channels), byte 1 says how to feed the rest: as one event sound (with a sample
// count from bytes 2-5) or as stream blocks of a size taken from its low bits.
int fuzzSound(const std::uint8_t* data, std::size_t size);

}  // namespace vantoro::fuzz
