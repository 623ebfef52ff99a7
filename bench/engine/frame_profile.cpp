// Renders one frame of a movie many times, for a profiler to look at one slow frame:
//   build/bin/frame_profile MOVIE FRAME [WIDTHxHEIGHT] [REPEATS]
// The timeline plays (ticks) up to FRAME first, as the player would; then only rendering runs.
// Prints the mean and best render time of the repeats.

#include <algorithm>
#include <chrono>
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
    double total = 0, best = 1e300;
    for (int i = 0; i < repeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        player.render(image);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        total += ms;
        best = std::min(best, ms);
    }
    std::printf("frame %d at %dx%d: mean %.2f ms, best %.2f ms over %d renders\n", player.currentFrame(), width, height,
                total / repeats, best, repeats);
    return 0;
}
