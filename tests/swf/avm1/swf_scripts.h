#pragma once
// Reads just enough of a .swf file to run its main timeline's scripts without a display list:
// the header and, per frame, the DoInitAction and DoAction blocks. For tests only; the
// engine's movie loader lives in swf/format and swf/movie.

#include <memory>
#include <string>
#include <vector>

#include "swf/avm1/code.h"

namespace swf::avm1::testing {

struct SwfScripts {
    int version = 0;
    int frameCount = 0;
    double frameRate = 0;
    int maxRecursion = 0;  // from a ScriptLimits tag; 0 when absent
    // Per frame: init actions first, then frame actions, in file order.
    std::vector<std::vector<ActionBlock>> frames;
};

// Throws std::runtime_error (or swf::FormatError) when the file cannot be read.
SwfScripts loadSwfScripts(const std::string& path);

}  // namespace swf::avm1::testing
