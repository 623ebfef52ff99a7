#pragma once
// Damaged copies of a movie: cut at many points, with bits flipped, and with sizes inflated
// (tag lengths, the header's counts, and the first size and count fields of tag bodies such as
// bitmap sides, sample counts and record counts). Deterministic: the same movie and plan give
// the same copies, so that a failure can be reproduced by its description.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace swfmutate {

using Bytes = std::vector<std::uint8_t>;

struct Mutant {
    std::string what;  // e.g. "cut at 1234", "tag 20 @345: u16 +3 = 0xffff"
    Bytes bytes;
};

struct MutationPlan {
    int cuts = 24;          // truncation points (evenly spread, plus points inside tag headers)
    int bitFlips = 24;      // copies with 1 to 4 flipped bits
    int inflatedTags = 12;  // tags whose length and first fields are inflated
};

// Compressed movies are mutated after decompression (written back uncompressed), so that the
// damage reaches the tags; a few cuts and flips also go to the compressed bytes as they are.
std::vector<Mutant> makeMutants(std::span<const std::uint8_t> movie, const MutationPlan& plan);

}  // namespace swfmutate
