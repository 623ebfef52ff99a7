// make_fuzz_inputs: writes the writer-made starting inputs of the fuzz targets.
//   build-fuzz/bin/make_fuzz_inputs OUT    ->  OUT/movies/*.swf, OUT/sound/*, OUT/avm1/*

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "starting_inputs.h"

namespace {

void writeAll(const std::filesystem::path& dir, const std::vector<vantoro::fuzz::NamedInput>& inputs)
{
    std::filesystem::create_directories(dir);
    for (const auto& input : inputs) {
        std::ofstream out(dir / input.name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(input.bytes.data()), static_cast<std::streamsize>(input.bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + (dir / input.name).string());
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_inputs OUT_DIR\n");
        return 2;
    }
    try {
        std::filesystem::path out = argv[1];
        writeAll(out / "movies", vantoro::fuzz::writerMovies());
        writeAll(out / "sound", vantoro::fuzz::soundInputs());
        writeAll(out / "avm1", vantoro::fuzz::actionInputs());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_fuzz_inputs: %s\n", e.what());
        return 1;
    }
    return 0;
}
