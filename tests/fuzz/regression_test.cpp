// Replays every input under tests/fuzz/regression/<target>/ through its fuzz target. Each file
// there once crashed, hung or tripped a sanitizer; the test passes when all of them run through
// (under `make test SANITIZE=1` the sanitizers watch the replay as well).

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include <gtest/gtest.h>

#include "fuzz_targets.h"

namespace {

namespace fs = std::filesystem;
using Target = int (*)(const std::uint8_t*, std::size_t);

std::vector<fs::path> inputsOf(const char* target)
{
    std::vector<fs::path> files;
    fs::path dir = fs::path(VANTORO_SOURCE_DIR) / "tests/fuzz/regression" / target;
    if (!fs::exists(dir)) return files;  // no finding for this target yet
    for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
        if (e.is_regular_file()) files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

void replay(const char* target, Target run)
{
    std::vector<fs::path> files = inputsOf(target);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        std::ifstream in(file, std::ios::binary);
        std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_TRUE(in.good() || in.eof());
        EXPECT_EQ(run(bytes.data(), bytes.size()), 0);
    }
    ::testing::Test::RecordProperty("inputs", static_cast<int>(files.size()));
}

TEST(FuzzRegression, LoadInputsLoadOrFailCleanly) { replay("load", vantoro::fuzz::fuzzLoad); }
TEST(FuzzRegression, PlayInputsPlayThrough) { replay("play", vantoro::fuzz::fuzzPlay); }
TEST(FuzzRegression, Avm1InputsRunWithinTheirLimits) { replay("avm1", vantoro::fuzz::fuzzAvm1); }
TEST(FuzzRegression, SoundInputsDecodeWithinTheirBounds) { replay("sound", vantoro::fuzz::fuzzSound); }

}  // namespace
