#pragma once
// The options of `swfcli run`, parsed from the command line.

#include <optional>
#include <string>
#include <vector>

#include "swf/player.h"

namespace swfcli {

struct RunOptions {
    std::string movie;
    enum class Mode { Frames, Ticks } mode = Mode::Frames;
    int count = 1;                      // iterations; the first is the load, showing frame 1
    std::optional<double> tickMs;       // ticks only; default one frame interval
    bool trace = false;
    std::string pngPath;
    std::optional<int> pngAt;           // iteration (1-based) after which the picture is taken
    std::string wavPath;
    std::optional<int> width, height;   // --size
    std::string inputPath;
    swf::Quality quality = swf::Quality::High;
    std::optional<double> scriptTimeoutSeconds;  // --script-timeout
};

// Throws std::invalid_argument with a message for the user on a bad command line.
RunOptions parseRunOptions(const std::vector<std::string>& args);

}  // namespace swfcli
