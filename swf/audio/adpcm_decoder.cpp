#include "swf/audio/adpcm_decoder.h"

#include <algorithm>
#include <array>

#include "swf/format/reader.h"

namespace swf::audio {
namespace {

// The index adjustments by code magnitude, for code widths 2 to 5 (the sign bit does not matter).
constexpr std::array<std::array<int, 16>, 4> kIndexTables = {{
    {-1, 2},
    {-1, -1, 2, 4},
    {-1, -1, -1, -1, 2, 4, 6, 8},
    {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16},
}};

// The IMA ADPCM step sizes.
constexpr std::array<int, 89> kSteps = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,   253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,   876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749,  3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493,  10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

struct ChannelState {
    int sample = 0;
    int index = 0;
};

// Tracks how many bits are left, since BitReader itself only knows bytes.
class CountingBits {
public:
    explicit CountingBits(ByteReader& bytes)
        : bits_(bytes), left_(static_cast<std::uint64_t>(bytes.remaining()) * 8) {}
    std::uint64_t left() const { return left_; }
    std::uint32_t ub(unsigned n) { left_ -= n; return bits_.ub(n); }
    std::int32_t sb(unsigned n) { left_ -= n; return bits_.sb(n); }

private:
    BitReader bits_;
    std::uint64_t left_;
};

}  // namespace

void decodeAdpcm(std::span<const std::uint8_t> data, int channels, std::vector<std::int16_t>& out)
{
    if (data.empty() || channels < 1 || channels > 2) return;
    ByteReader bytes(data);
    CountingBits bits(bytes);
    const unsigned codeBits = bits.ub(2) + 2;
    const unsigned signMask = 1u << (codeBits - 1);
    const auto& indexTable = kIndexTables[codeBits - 2];
    const auto nChannels = static_cast<unsigned>(channels);
    std::array<ChannelState, 2> state{};

    out.reserve(out.size() + static_cast<std::size_t>(bits.left() / codeBits) + 2);
    // Every read below is preceded by a check of the bits left, so the reader never runs out.
    while (bits.left() >= 22u * nChannels) {
        for (unsigned ch = 0; ch < nChannels; ++ch) {
            state[ch].sample = bits.sb(16);
            state[ch].index = static_cast<int>(bits.ub(6));  // 0..63, always inside the step table
            out.push_back(static_cast<std::int16_t>(state[ch].sample));
        }
        for (int i = 1; i < kAdpcmSamplesPerPacket; ++i) {
            if (bits.left() < codeBits * nChannels) return;
            for (unsigned ch = 0; ch < nChannels; ++ch) {
                ChannelState& s = state[ch];
                const unsigned code = bits.ub(codeBits);
                const int step = kSteps[static_cast<std::size_t>(s.index)];
                int diff = step >> (codeBits - 1);
                for (unsigned k = 0; k + 1 < codeBits; ++k) {
                    if (code & (1u << k)) diff += step >> (codeBits - 2 - k);
                }
                s.sample += (code & signMask) ? -diff : diff;
                s.sample = std::clamp(s.sample, -32768, 32767);
                s.index = std::clamp(s.index + indexTable[code & (signMask - 1)], 0, 88);
                out.push_back(static_cast<std::int16_t>(s.sample));
            }
        }
    }
}

}  // namespace swf::audio
