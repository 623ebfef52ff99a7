// Renders one frame of a movie many times, for a profiler to look at one slow frame:
//   build/bin/frame_profile MOVIE FRAME [WIDTHxHEIGHT] [REPEATS]
// The timeline plays (ticks) up to FRAME first, as the player would; then only rendering runs.
// Prints the mean and best render time of the repeats, as the thread's CPU time (other programs
// on a shared machine do not inflate it).

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <QGuiApplication>
#include <QImage>

#include "swf/player.h"

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: frame_profile MOVIE FRAME [WIDTHxHEIGHT] [REPEATS]\n");
        return 2;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const int frame = std::max(1, std::atoi(argv[2]));
    int width = 1280, height = 720;
    if (argc > 3 && std::sscanf(argv[3], "%dx%d", &width, &height) != 2) return 2;
    const int repeats = argc > 4 ? std::max(1, std::atoi(argv[4])) : 20;
    swf::Player player;
    try {
        player.loadBytes(bytes);
    } catch (const swf::LoadError& e) {
        std::fprintf(stderr, "cannot load: %s\n", e.what());
        return 1;
    }
    while (player.currentFrame() < frame) {
        const int before = player.currentFrame();
        player.tick();
        if (player.currentFrame() <= before) break;  // stopped or looped
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
    return 0;
}
