// swfcli info: what a movie holds, from the loaded movie.

#include <cstdio>
#include <map>
#include <string>

#include "commands.h"
#include "swf/format/tag_codes.h"
#include "swf/movie/movie.h"

namespace swfcli {
namespace {

const char* errorKindName(swf::MovieLoadError::Kind k)
{
    switch (k) {
    case swf::MovieLoadError::Kind::NotSwf: return "not a SWF file";
    case swf::MovieLoadError::Kind::Truncated: return "truncated";
    case swf::MovieLoadError::Kind::Corrupt: return "corrupt";
    case swf::MovieLoadError::Kind::TooLarge: return "too large";
    case swf::MovieLoadError::Kind::Unsupported: return "unsupported";
    }
    return "error";
}

}  // namespace

int runInfo(const std::vector<std::string>& args)
{
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: swfcli info MOVIE\n");
        return 2;
    }
    auto bytes = readFile(args[0]);
    swf::MovieLoadResult result = swf::Movie::load(bytes);
    if (!result) {
        const auto& e = result.error();
        std::fprintf(stderr, "swfcli: cannot load %s: %s: %s\n", args[0].c_str(), errorKindName(e.kind),
                     e.message.c_str());
        return 1;
    }
    const swf::Movie& movie = *result.movie();
    const swf::MovieFacts& f = movie.facts();
    std::printf("file: %s\n", args[0].c_str());
    std::printf("signature: %s\nversion: %d\n", swf::compressionName(f.compression), f.version);
    std::printf("file length: %u declared, %zu decompressed\n", f.declaredFileLength, f.decompressedSize);
    std::printf("frame size: %d x %d px (twips %d,%d - %d,%d)\n", f.widthPx(), f.heightPx(), f.frameSize.xMin,
                f.frameSize.yMin, f.frameSize.xMax, f.frameSize.yMax);
    std::printf("frame rate: %g fps\n", f.frameRate);
    std::printf("frames: %zu (header says %u)\n", movie.frameCount(), f.declaredFrameCount);
    if (f.background)
        std::printf("background: #%02x%02x%02x\n", f.background->r, f.background->g, f.background->b);
    if (f.scriptLimits)
        std::printf("script limits: recursion %u, timeout %u s\n", f.scriptLimits->maxRecursionDepth,
                    f.scriptLimits->timeoutSeconds);
    if (f.truncated) std::printf("truncated: yes (whole frames kept)\n");

    std::printf("tags:\n");
    const auto& counts = movie.tagCounts();
    for (std::size_t code = 0; code < counts.size(); ++code) {
        if (!counts[code]) continue;
        std::string_view name = swf::tagName(static_cast<std::uint16_t>(code));
        std::printf("  %-30s %6u\n", name.empty() ? ("unknown " + std::to_string(code)).c_str() : std::string(name).c_str(),
                    counts[code]);
    }
    std::map<std::string, int> kinds;
    for (const auto& [id, c] : movie.characters()) ++kinds[swf::characterKindName(c)];
    std::printf("characters: %zu\n", movie.characters().size());
    for (const auto& [kind, n] : kinds) std::printf("  %-30s %6d\n", kind.c_str(), n);
    if (!movie.timeline().labels().empty()) {
        std::printf("labels:\n");
        for (const auto& l : movie.timeline().labels()) std::printf("  frame %zu: %s\n", l.frame + 1, l.name.c_str());
    }
    if (!movie.scenes().empty()) {
        std::printf("scenes:\n");
        for (const auto& s : movie.scenes()) std::printf("  frame %u: %s\n", s.firstFrame + 1, s.name.c_str());
    }
    if (!movie.exports().empty()) {
        std::printf("exports:\n");
        for (const auto& e : movie.exports()) std::printf("  %u: %s\n", e.characterId, e.name.c_str());
    }
    if (!movie.warnings().empty()) {
        std::printf("warnings:\n");
        for (const auto& w : movie.warnings()) std::printf("  %s\n", w.c_str());
    }
    return 0;
}

}  // namespace swfcli
