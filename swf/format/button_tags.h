#pragma once
// Decoders of DefineButton, DefineButton2, DefineButtonCxform and DefineButtonSound.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "swf/format/filters.h"
#include "swf/format/geometry.h"
#include "swf/format/reader.h"
#include "swf/format/sound_tags.h"

namespace swf {

struct ButtonRecord {
    bool up = false, over = false, down = false, hitTest = false;
    std::uint16_t characterId = 0;
    std::uint16_t depth = 0;
    Matrix matrix;
    ColorTransform colorTransform;   // DefineButton2, or DefineButtonCxform for DefineButton
    std::vector<Filter> filters;     // DefineButton2, SWF 8+
    BlendMode blendMode = BlendMode::Normal;
};

// Button transition bits (the condition word as a little-endian UI16); the key code of
// CondKeyPress sits in bits 9-15.
namespace button_condition {
inline constexpr std::uint16_t IdleToOverDown = 0x80, OutDownToIdle = 0x40,
                               OutDownToOverDown = 0x20, OverDownToOutDown = 0x10,
                               OverDownToOverUp = 0x08, OverUpToOverDown = 0x04,
                               OverUpToIdle = 0x02, IdleToOverUp = 0x01, OverDownToIdle = 0x100;
}

struct ButtonAction {
    std::uint16_t conditions = 0;  // button_condition bits without the key code
    std::uint8_t keyCode = 0;      // CondKeyPress; 0 = none
    std::span<const std::uint8_t> actions;  // ACTIONRECORDs
};

struct ButtonSound {
    std::uint16_t soundId = 0;
    SoundInfo info;
};

struct ButtonDefinition {
    std::uint16_t id = 0;
    int buttonVersion = 1;     // DefineButton or DefineButton2
    bool trackAsMenu = false;
    std::vector<ButtonRecord> records;
    std::vector<ButtonAction> actions;  // DefineButton: one action list on OverDownToOverUp
    // DefineButtonSound: 0 roll out (OverUpToIdle), 1 roll over (IdleToOverUp),
    // 2 press (OverUpToOverDown), 3 release (OverDownToOverUp).
    std::array<std::optional<ButtonSound>, 4> sounds;
};

ButtonDefinition decodeDefineButton(ByteReader body, int swfVersion);
ButtonDefinition decodeDefineButton2(ByteReader body, int swfVersion);

struct ButtonCxform {
    std::uint16_t buttonId = 0;
    std::vector<ColorTransform> transforms;  // n-th applies to the n-th record
};
ButtonCxform decodeDefineButtonCxform(ByteReader body);
void applyButtonCxform(ButtonDefinition& button, const ButtonCxform& cx);

struct ButtonSounds {
    std::uint16_t buttonId = 0;
    std::array<std::optional<ButtonSound>, 4> sounds;
};
ButtonSounds decodeDefineButtonSound(ByteReader body);

}  // namespace swf
