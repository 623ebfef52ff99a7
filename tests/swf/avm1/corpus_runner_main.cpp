// Runs trace cases of the corpus through the VM alone and prints PASS/FAIL per case:
//   avm1_corpus_runner CASE.swf EXPECTED.txt [FRAMES] ...   (triples or pairs on the command line)
//   avm1_corpus_runner --list FILE   (lines: "swf<TAB>expected<TAB>frames")

#include <fstream>
#include <iostream>
#include <sstream>

#include "trace_runner.h"

using namespace swf::avm1::testing;

namespace {
int runOne(const std::string& swf, const std::string& expectedPath, int frames, bool verbose)
{
    TraceRun run = runTraceMovie(swf, frames);
    std::vector<std::string> expected = readLines(expectedPath);
    bool pass = run.loaded && run.lines == expected;
    std::cout << (pass ? "PASS " : "FAIL ") << swf << "\n";
    if (!pass && verbose) {
        if (!run.loaded) std::cout << "  load error: " << run.error << "\n";
        std::size_t n = std::max(run.lines.size(), expected.size());
        int shown = 0;
        for (std::size_t i = 0; i < n && shown < 12; ++i) {
            std::string a = i < run.lines.size() ? run.lines[i] : "<none>";
            std::string e = i < expected.size() ? expected[i] : "<none>";
            if (a != e) {
                std::cout << "  line " << i + 1 << "\n    got:      " << a << "\n    expected: " << e << "\n";
                ++shown;
            }
        }
        for (const auto& w : run.warnings) std::cout << "  warning: " << w << "\n";
    }
    return pass ? 0 : 1;
}
}  // namespace

int main(int argc, char** argv)
{
    bool verbose = false;
    int failures = 0, total = 0;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "-v") {
            verbose = true;
        } else if (a == "--list" && i + 1 < argc) {
            std::ifstream list(argv[++i]);
            std::string line;
            while (std::getline(list, line)) {
                std::istringstream fields(line);
                std::string swf, expected;
                int frames = 0;
                std::getline(fields, swf, '\t');
                std::getline(fields, expected, '\t');
                fields >> frames;
                if (swf.empty()) continue;
                failures += runOne(swf, expected, frames, verbose);
                ++total;
            }
        } else if (i + 1 < argc) {
            failures += runOne(a, argv[i + 1], 0, verbose);
            ++total;
            ++i;
        }
    }
    std::cout << (total - failures) << " passed, " << failures << " failed\n";
    return 0;
}
