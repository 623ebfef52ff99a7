// Whole-movie benchmarks of the engine through its public face: load time of the largest movies
// of the corpus's real-world folder, and render time per frame at 550x400 and 1280x720 over
// their frames (frames spread evenly over the whole timeline; the timeline advances between
// them as it plays), as wall time and as the thread's CPU time; over_budget counts CPU time,
// which other programs on a shared machine do not inflate. The aim: every frame renders at
// 1280x720 in a quarter of its frame time on one core; the counters give the mean and worst
// frame, the budget and the frames over it.
// The samples of samples/ run as well, so that the benchmark has work without the corpus.
//   build/bin/engine_bench [--benchmark_filter=Render/.*1280]

#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <QGuiApplication>
#include <QImage>

#include "bench/engine/play_through.h"
#include "swf/player.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kLargestMovies = 5;
// Frames rendered per movie and size: spread over the whole timeline.
constexpr int kSampledFrames = 60;

std::vector<std::uint8_t> readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<fs::path> benchmarkMovies()
{
    std::vector<fs::path> movies;
    const fs::path realworld = fs::path(VANTORO_CORPUS_DIR) / "realworld";
    std::error_code error;
    if (fs::is_directory(realworld, error)) {
        std::vector<std::pair<std::uintmax_t, fs::path>> all;
        for (const auto& entry : fs::recursive_directory_iterator(realworld, error))
            if (entry.is_regular_file() && entry.path().extension() == ".swf")
                all.emplace_back(entry.file_size(), entry.path());
        std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
        for (std::size_t i = 0; i < all.size() && movies.size() < kLargestMovies; ++i) {
            swf::Player probe;  // only movies the engine plays (no ActionScript 3)
            try {
                probe.loadBytes(readAll(all[i].second));
                movies.push_back(all[i].second);
            } catch (const swf::LoadError&) {
            }
        }
    }
    for (const char* sample : {"gradient_night.swf", "blossom_morph.swf", "text_and_bitmap.swf"})
        movies.push_back(fs::path(VANTORO_SOURCE_DIR) / "samples" / sample);
    return movies;
}

// CPU time of this thread: on a shared machine wall time also counts other programs' turns.
double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

std::string shortName(const fs::path& path)
{
    std::string name = path.stem().string();
    std::replace(name.begin(), name.end(), ' ', '_');
    return name;
}

void loadMovie(benchmark::State& state, const fs::path& path)
{
    const std::vector<std::uint8_t> bytes = readAll(path);
    for (auto _ : state) {
        swf::Player player;
        player.loadBytes(bytes);
        benchmark::DoNotOptimize(player.currentFrame());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

void renderFrames(benchmark::State& state, const fs::path& path, QSize size)
{
    swf::Player player;
    player.loadBytes(readAll(path));
    const int frames = std::max(1, player.info().frameCount);
    const int stride = std::max(1, frames / kSampledFrames);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    const double budgetMs = player.frameIntervalMs() / 4;
    double worstMs = 0, totalMs = 0, worstCpuMs = 0, totalCpuMs = 0;
    int overBudget = 0, worstFrame = 0, worstCpuFrame = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadCpuMs();
        player.render(image);
        const double cpuMs = threadCpuMs() - cpuStart;
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(ms / 1000);
        totalMs += ms;
        totalCpuMs += cpuMs;
        if (ms > worstMs) worstMs = ms, worstFrame = player.currentFrame();
        if (cpuMs > worstCpuMs) worstCpuMs = cpuMs, worstCpuFrame = player.currentFrame();
        if (cpuMs > budgetMs) ++overBudget;
        for (int i = 0; i < stride; ++i) vantoro::bench::tickThrough(player);
    }
    state.counters["mean_ms"] = totalMs / static_cast<double>(state.iterations());
    state.counters["worst_ms"] = worstMs;
    state.counters["worst_frame"] = worstFrame;
    state.counters["cpu_mean_ms"] = totalCpuMs / static_cast<double>(state.iterations());
    state.counters["cpu_worst_ms"] = worstCpuMs;
    state.counters["cpu_worst_frame"] = worstCpuFrame;
    state.counters["budget_ms"] = budgetMs;
    state.counters["over_budget"] = overBudget;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);  // device fonts for text
    benchmark::Initialize(&argc, argv);
    for (const fs::path& movie : benchmarkMovies()) {
        const std::string name = shortName(movie);
        benchmark::RegisterBenchmark(("Load/" + name).c_str(), loadMovie, movie)->Unit(benchmark::kMillisecond);
        for (QSize size : {QSize(550, 400), QSize(1280, 720)}) {
            benchmark::RegisterBenchmark(
                ("Render/" + name + "/" + std::to_string(size.width()) + "x" + std::to_string(size.height())).c_str(),
                renderFrames, movie, size)
                ->UseManualTime()
                ->Iterations(kSampledFrames)
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
