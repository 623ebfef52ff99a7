#pragma once
// Runs the scripts of a .swf file's main timeline on the VM with a fake host and returns the
// trace output, for comparing with the output Flash Player gave.

#include <string>
#include <vector>

namespace swf::avm1::testing {

struct TraceRun {
    std::vector<std::string> lines;
    std::vector<std::string> warnings;
    bool loaded = false;
    std::string error;
};

// Runs `frames` frames (0: the movie's frame count), firing timers between frames.
TraceRun runTraceMovie(const std::string& path, int frames = 0);

// Expected output file lines (without the final empty line).
std::vector<std::string> readLines(const std::string& path);

}  // namespace swf::avm1::testing
