// Trace cases of the shared corpus that run on the VM alone (one-frame scripts that need no
// display list). Every case listed in corpus_baseline.txt must keep passing; the list only
// grows. Skipped when the corpus is not next to the repository.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "trace_runner.h"

namespace swf::avm1::testing {
namespace {

struct Case {
    std::string swf, expected;
    int frames = 1;
};

std::vector<Case> baseline()
{
    std::vector<Case> cases;
    std::ifstream list(std::string(VANTORO_SOURCE_DIR) + "/tests/swf/avm1/corpus_baseline.txt");
    std::string line;
    while (std::getline(list, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        Case c;
        std::getline(fields, c.swf, '\t');
        std::getline(fields, c.expected, '\t');
        fields >> c.frames;
        cases.push_back(c);
    }
    return cases;
}

TEST(CorpusTraces, BaselineCasesPass)
{
    const std::filesystem::path corpus(VANTORO_CORPUS_DIR);
    if (!std::filesystem::exists(corpus / "swfdec")) GTEST_SKIP() << "corpus not present";
    std::vector<Case> cases = baseline();
    ASSERT_FALSE(cases.empty());
    int failed = 0;
    for (const Case& c : cases) {
        TraceRun run = runTraceMovie((corpus / c.swf).string(), c.frames);
        std::vector<std::string> expected = readLines((corpus / c.expected).string());
        if (!run.loaded || run.lines != expected) {
            ADD_FAILURE() << "regression: " << c.swf;
            ++failed;
        }
    }
    EXPECT_EQ(failed, 0) << "of " << cases.size() << " cases";
}

}  // namespace
}  // namespace swf::avm1::testing
