#pragma once
// Input events for `swfcli run --input`: a JSON array of events, delivered in order; a "Wait"
// event ends the events of one iteration (the rest wait for the next).
//   {"type": "MouseMove", "pos": [x, y]}   MouseDown / MouseUp also take "btn": "Left"|"Right"
//   {"type": "KeyDown", "key": "Tab"}       KeyUp likewise
//   {"type": "TextInput", "codepoint": "a"} a typed character
//   {"type": "Wait"}
// Events of other types are skipped.

#include <cstddef>
#include <string>
#include <vector>

#include "swf/player.h"

namespace swfcli {

struct InputEvent {
    enum class Type { MouseMove, MouseDown, MouseUp, KeyDown, KeyUp, Text, Wait } type = Type::Wait;
    double x = 0, y = 0;
    swf::MouseButton button = swf::MouseButton::Left;
    int keyCode = 0;
    char16_t character = 0;
};

// Throws std::runtime_error when the file cannot be read or is not such an array.
std::vector<InputEvent> readInputScript(const std::string& path);

// Flash's key code for a key name ("Tab", "Enter", "A", "Left", ...); 0 when unknown.
int flashKeyCode(const std::string& name);

class InputPlayback {
public:
    explicit InputPlayback(std::vector<InputEvent> events) : events_(std::move(events)) {}
    // Delivers the events up to the next Wait (or the end).
    void deliverIteration(swf::Player& player);

private:
    std::vector<InputEvent> events_;
    std::size_t next_ = 0;
};

}  // namespace swfcli
