// swfmutate: plays damaged copies of movies (cut, bits flipped, sizes inflated), each in a child
// process with a memory cap and a time limit. None may crash, hang or exceed the cap; a movie
// that refuses to load with a clear error is a pass.
//
//   swfmutate --quick          samples/ and the writer-made movies, a few mutations each (CTest)
//   swfmutate --all            the same plus every movie of the shared corpus, more mutations
// Options: --frames N (frames played), --seconds S (processor time per copy), --memory MiB (cap),
//          --jobs N (children at once), --corpus DIR, --save DIR (write failing copies there),
//          MOVIE... (these movies instead of the default set), --as-is (play the movies
//          unchanged: to look again at a copy that --save kept).

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <QGuiApplication>
#include <QImage>

#include "mutator.h"
#include "sandbox.h"
#include "starting_inputs.h"
#include "swf/player.h"

namespace {

namespace fs = std::filesystem;
using swfmutate::Bytes;

struct Options {
    bool all = false;
    bool asIs = false;
    int frames = 60;
    double seconds = 20;
    std::size_t memoryMiB = 3072;
    int jobs = 2;
    fs::path corpus = VANTORO_CORPUS_DIR;
    fs::path save;
    std::vector<fs::path> movies;
};

struct Movie {
    std::string name;
    Bytes bytes;
};

Bytes readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<Movie> moviesOf(const Options& options)
{
    std::vector<Movie> movies;
    if (!options.movies.empty()) {
        for (const fs::path& p : options.movies) movies.push_back({p.string(), readFile(p)});
        return movies;
    }
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(fs::path(VANTORO_SOURCE_DIR) / "samples")) {
        if (e.path().extension() == ".swf") files.push_back(e.path());
    }
    if (options.all && fs::is_directory(options.corpus)) {
        for (const auto& e : fs::recursive_directory_iterator(options.corpus)) {
            if (e.is_regular_file() && e.path().extension() == ".swf") files.push_back(e.path());
        }
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& p : files) movies.push_back({p.string(), readFile(p)});
    for (auto& input : vantoro::fuzz::writerMovies()) movies.push_back({"writer:" + input.name, std::move(input.bytes)});
    return movies;
}

constexpr double kScriptSeconds = 1;

// The child's work: load, play `frames` frames with sound pulled and every tenth frame drawn.
int play(const Bytes& bytes, int frames)
{
    swf::Player player;
    // A damaged movie may hold several scripts that loop for ever; each is stopped at the frame's
    // script time limit. The viewer's 15 s would let a few of them pass the child's processor
    // limit while the engine behaves as it should, so the children use a short one.
    player.setScriptTimeLimit(kScriptSeconds);
    try {
        player.loadBytes(bytes);
    } catch (const swf::LoadError&) {
        return 0;  // refused with a clear error: what a damaged file should get
    }
    QImage image(80, 60, QImage::Format_ARGB32_Premultiplied);
    std::vector<std::int16_t> audio(2 * 1470);
    for (int i = 0; i < frames; ++i) {
        player.tick();
        player.pullAudio(audio);
        if (i % 10 == 0) player.render(image);
    }
    return 0;
}

bool parse(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw std::invalid_argument(a + " needs a value");
            return argv[++i];
        };
        if (a == "--all") o.all = true;
        else if (a == "--quick") o.all = false;
        else if (a == "--as-is") o.asIs = true;
        else if (a == "--frames") o.frames = std::stoi(value());
        else if (a == "--seconds") o.seconds = std::stod(value());
        else if (a == "--memory") o.memoryMiB = std::stoul(value());
        else if (a == "--jobs") o.jobs = std::stoi(value());
        else if (a == "--corpus") o.corpus = value();
        else if (a == "--save") o.save = value();
        else if (!a.empty() && a[0] != '-') o.movies.emplace_back(a);
        else return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    try {
        if (!parse(argc, argv, options)) {
            std::fprintf(stderr, "usage: swfmutate [--quick|--all] [--frames N] [--seconds S] [--memory MiB] "
                                 "[--jobs N] [--corpus DIR] [--save DIR] [--as-is] [MOVIE...]\n");
            return 2;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "swfmutate: %s\n", e.what());
        return 2;
    }
    // Text needs the host's fonts, which need a GUI application; children inherit it.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);

    swfmutate::MutationPlan plan;
    if (!options.all) plan = {8, 8, 4};
    bool asan = swfmutate::builtWithAddressSanitizer();
    swfmutate::SandboxLimits limits{options.seconds, asan ? 0 : options.memoryMiB};
    // Under AddressSanitizer the cap cannot be set; the most memory held is checked instead,
    // with room for the sanitizer's own bookkeeping.
    std::size_t rssCapKiB = (asan ? 2 * options.memoryMiB : options.memoryMiB) << 10;

    std::vector<Movie> movies = moviesOf(options);
    std::size_t mutations = 0, passed = 0, failed = 0;
    swfmutate::SandboxResult worstTime, worstMemory;
    std::string worstTimeWhat, worstMemoryWhat;
    swfmutate::Sandbox sandbox(limits, options.jobs);
    for (std::size_t index = 0; index < movies.size(); ++index) {
        const Movie& movie = movies[index];
        std::vector<swfmutate::Mutant> mutants =
            options.asIs ? std::vector<swfmutate::Mutant>{{"as is", movie.bytes}} : swfmutate::makeMutants(movie.bytes, plan);
        std::size_t nextMutant = 0;
        auto finish = [&](const swfmutate::SandboxResult& r) {
            const swfmutate::Mutant& m = mutants[r.job];
            std::string what = movie.name + ": " + m.what;
            bool ok = r.ok() && r.maxRssKiB <= rssCapKiB;
            if (ok) {
                ++passed;
            } else {
                ++failed;
                std::printf("FAILED %s: %s, %.0f ms (processor %.0f ms), %zu MiB\n", what.c_str(), r.describe().c_str(),
                            r.milliseconds, r.cpuMilliseconds, r.maxRssKiB >> 10);
                // A run of the whole corpus takes an hour; what failed must survive the run being stopped.
                std::fflush(stdout);
                if (!options.save.empty()) {
                    fs::create_directories(options.save);
                    std::ofstream out(options.save / ("failed-" + std::to_string(failed) + ".swf"), std::ios::binary);
                    out.write(reinterpret_cast<const char*>(m.bytes.data()), static_cast<std::streamsize>(m.bytes.size()));
                }
            }
            if (r.cpuMilliseconds > worstTime.cpuMilliseconds) worstTime = r, worstTimeWhat = what;
            if (r.maxRssKiB > worstMemory.maxRssKiB) worstMemory = r, worstMemoryWhat = what;
        };
        while (nextMutant < mutants.size() || !sandbox.idle()) {
            if (nextMutant < mutants.size() && !sandbox.full()) {
                const Bytes& bytes = mutants[nextMutant].bytes;
                sandbox.start(nextMutant++, [&] { return play(bytes, options.frames); });
                continue;
            }
            finish(sandbox.next());
        }
        mutations += mutants.size();
        std::fprintf(stderr, "[%zu/%zu] %s: %zu mutations, %zu failed so far\n", index + 1, movies.size(),
                     movie.name.c_str(), mutants.size(), failed);
    }
    std::printf("%zu movies, %zu mutations, %d frames each%s\n", movies.size(), mutations, options.frames,
                asan ? " (address sanitizer: memory checked, not capped)" : "");
    std::printf("worst time: %.0f ms of processor, %.0f ms wall (%s)\n", worstTime.cpuMilliseconds,
                worstTime.milliseconds, worstTimeWhat.c_str());
    std::printf("worst memory: %zu MiB (%s)\n", worstMemory.maxRssKiB >> 10, worstMemoryWhat.c_str());
    std::printf("%zu passed, %zu failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
