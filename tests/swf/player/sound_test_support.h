#pragma once
// Helpers of the player's sound tests: sound data with levels that tell where they came from,
// and pulling the mix.

#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "player_test_support.h"

namespace swf::test {

// Coding 3 (PCM, little-endian), 44.1 kHz, 16-bit, mono.
constexpr std::uint8_t kPcm44Mono16 = 0x3e;
// 4,410 samples: one frame at 10 frames a second.
constexpr int kSamplesPerFrameAt10 = 4410;

// 16-bit mono PCM whose sample i is value(i).
template <typename Value>
std::vector<std::uint8_t> pcmOf(int samples, Value value)
{
    std::vector<std::uint8_t> out;
    out.reserve(2 * static_cast<std::size_t>(samples));
    for (int i = 0; i < samples; ++i) {
        const auto v = static_cast<std::uint16_t>(static_cast<std::int16_t>(value(i)));
        out.push_back(static_cast<std::uint8_t>(v & 0xff));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    return out;
}

// A flat level: easy to recognise after mixing (the mixer passes 44.1 kHz sound through exactly).
inline std::vector<std::uint8_t> pcmLevel(int samples, int level)
{
    return pcmOf(samples, [level](int) { return level; });
}

// A square wave of the given amplitude.
inline std::vector<std::uint8_t> pcmSquare(int samples, int amplitude)
{
    return pcmOf(samples, [amplitude](int i) { return (i / 50) % 2 ? amplitude : -amplitude; });
}

inline int peak(std::span<const std::int16_t> samples)
{
    int p = 0;
    for (std::int16_t s : samples) p = std::max(p, std::abs(static_cast<int>(s)));
    return p;
}

// `frames` stereo frames of the player's mix.
inline std::vector<std::int16_t> pullFrames(Player& player, std::size_t frames)
{
    std::vector<std::int16_t> out(2 * frames);
    EXPECT_EQ(player.pullAudio(out), frames);
    return out;
}

inline int leftAt(const std::vector<std::int16_t>& stereo, std::size_t frame) { return stereo.at(2 * frame); }
inline int rightAt(const std::vector<std::int16_t>& stereo, std::size_t frame) { return stereo.at(2 * frame + 1); }

}  // namespace swf::test
