#pragma once
// Small movies and sound data made with the project's SWF writer, each reaching a part of the
// engine the sample movies do not (every sound coding as event and stream sound, buttons,
// scripts, sprites inside sprites, both kinds of compression). They start the fuzzers and are
// among the movies the mutation test damages.

#include <cstdint>
#include <string>
#include <vector>

namespace vantoro::fuzz {

struct NamedInput {
    std::string name;  // a file name, with its extension
    std::vector<std::uint8_t> bytes;
};

// Whole movies (.swf).
std::vector<NamedInput> writerMovies();

// Inputs of the sound target (see fuzz_targets.h): format byte, feeding byte, data. Needs the
// coded test data under tests/swf/audio/data.
std::vector<NamedInput> soundInputs();

// Bare action records for the AVM1 target (it wraps them in a movie).
std::vector<NamedInput> actionInputs();

}  // namespace vantoro::fuzz
