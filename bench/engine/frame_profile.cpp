// Renders one frame of a movie many times, for a profiler to look at one slow frame:
//   build/bin/frame_profile MOVIE FRAME [WIDTHxHEIGHT] [REPEATS] [OUT.png]
// The timeline plays (ticks) up to FRAME first, as the player would (a movie that stops itself is
// set playing again, see play_through.h); then only rendering runs.
// Prints the mean and best render time of the repeats, as the thread's CPU time (other programs
// on a shared machine do not inflate it). With OUT.png the last render is saved there, for
// comparing one frame's pixels between two builds.
//   build/bin/frame_profile MOVIE --save DIR [WIDTHxHEIGHT] [EVERY]
// plays the whole timeline once and saves every EVERY-th frame (default 50) as DIR/NNNNN.png, so
// that two builds' pictures can be compared pixel for pixel (e.g. with `cmp`).

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <QGuiApplication>
#include <QImage>

#include "bench/engine/play_through.h"
#include "swf/player.h"

namespace {

int saveFrames(swf::Player& player, const std::string& dir, QSize size, int every)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    const int frames = player.info().frameCount;
    int saved = 0;
    for (int i = 0; i < frames; ++i) {
        if (i % every == 0) {
            player.render(image);
            char name[32];
            std::snprintf(name, sizeof name, "/%05d.png", i + 1);  // by tick
            if (!image.save(QString::fromStdString(dir + name))) {
                std::fprintf(stderr, "cannot write %s%s\n", dir.c_str(), name);
                return 1;
            }
            ++saved;
        }
        vantoro::bench::tickThrough(player);
    }
    std::printf("%d frames saved\n", saved);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: frame_profile MOVIE FRAME [WIDTHxHEIGHT] [REPEATS] [OUT.png]\n       frame_profile MOVIE --save DIR [WIDTHxHEIGHT] [EVERY]\n");
        return 2;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const bool save = std::string(argv[2]) == "--save";
    if (save && argc < 4) return 2;
    const int argBase = save ? 4 : 3;
    const int frame = save ? 0 : std::max(1, std::atoi(argv[2]));
    int width = 1280, height = 720;
    if (argc > argBase && std::sscanf(argv[argBase], "%dx%d", &width, &height) != 2) return 2;
    const int repeats = argc > argBase + 1 ? std::max(1, std::atoi(argv[argBase + 1])) : save ? 50 : 20;
    swf::Player player;
    try {
        player.loadBytes(bytes);
    } catch (const swf::LoadError& e) {
        std::fprintf(stderr, "cannot load: %s\n", e.what());
        return 1;
    }
    if (save) return saveFrames(player, argv[3], QSize(width, height), repeats);
    // A movie may hold a frame for a while (a preloader, a script waiting on a clip) before it
    // moves on: only a long wait without progress, or a loop back, ends the approach.
    constexpr int kPatience = 1000;
    for (int idle = 0; player.currentFrame() < frame && idle < kPatience;) {
        const int before = player.currentFrame();
        vantoro::bench::tickThrough(player);
        if (player.currentFrame() < before) break;  // looped
        idle = player.currentFrame() == before ? idle + 1 : 0;
    }
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    auto cpuMs = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
    };
    double total = 0, best = 1e300;
    for (int i = 0; i < repeats; ++i) {
        const double start = cpuMs();
        player.render(image);
        const double ms = cpuMs() - start;
        total += ms;
        best = std::min(best, ms);
    }
    std::printf("frame %d at %dx%d: CPU mean %.2f ms, best %.2f ms over %d renders\n", player.currentFrame(), width, height,
                total / repeats, best, repeats);
    if (argc > argBase + 2 && !image.save(QString::fromLocal8Bit(argv[argBase + 2]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[argBase + 2]);
        return 1;
    }
    return 0;
}
