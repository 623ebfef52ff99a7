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
//   build/bin/frame_profile MOVIE --hashes [WIDTHxHEIGHT] [FRAMES]
// plays the timeline (all of it, or its first FRAMES ticks) and renders every frame, as a viewer
// does, printing one line "tick hash" per frame: a checksum of the picture's pixels. Two builds'
// lists compare every frame (what caches kept from the frame before included) with `diff`.
//   build/bin/frame_profile MOVIE --run FRAME COUNT [WIDTHxHEIGHT]
// plays up to FRAME, then renders COUNT consecutive frames, ticking between them, so that what
// the renderer keeps from frame to frame is used as in a viewer. Prints the CPU mean and worst.

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

// FNV-1a over the picture's rows (only the pixels, not the padding at their ends).
std::uint64_t pictureHash(const QImage& image)
{
    std::uint64_t hash = 14695981039346656037ull;
    const auto rowBytes = std::size_t(image.width()) * 4;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        for (std::size_t i = 0; i < rowBytes; ++i) hash = (hash ^ row[i]) * 1099511628211ull;
    }
    return hash;
}

int printHashes(swf::Player& player, QSize size, int frames)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    for (int i = 0; i < frames; ++i) {
        player.render(image);
        std::printf("%d %016llx\n", i + 1, static_cast<unsigned long long>(pictureHash(image)));
        vantoro::bench::tickThrough(player);
    }
    return 0;
}

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Ticks until the timeline reaches `frame`. A movie may hold a frame for a while (a preloader, a
// script waiting on a clip) before it moves on: only a long wait without progress, or a loop
// back, ends the approach.
void approach(swf::Player& player, int frame)
{
    constexpr int kPatience = 1000;
    for (int idle = 0; player.currentFrame() < frame && idle < kPatience;) {
        const int before = player.currentFrame();
        vantoro::bench::tickThrough(player);
        if (player.currentFrame() < before) break;  // looped
        idle = player.currentFrame() == before ? idle + 1 : 0;
    }
}

int runFrames(swf::Player& player, int frame, int count, QSize size)
{
    approach(player, frame);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    const int first = player.currentFrame();
    double total = 0, worst = 0;
    int worstFrame = 0;
    for (int i = 0; i < count; ++i) {
        const double start = cpuMs();
        player.render(image);
        const double ms = cpuMs() - start;
        total += ms;
        if (ms > worst) worst = ms, worstFrame = player.currentFrame();
        vantoro::bench::tickThrough(player);
    }
    std::printf("frames %d.. (%d renders) at %dx%d: CPU mean %.2f ms, worst %.2f ms (frame %d)\n", first, count,
                size.width(), size.height(), total / std::max(1, count), worst, worstFrame);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: frame_profile MOVIE FRAME [WIDTHxHEIGHT] [REPEATS] [OUT.png]\n"
                             "       frame_profile MOVIE --save DIR [WIDTHxHEIGHT] [EVERY]\n"
                             "       frame_profile MOVIE --hashes [WIDTHxHEIGHT] [FRAMES]\n"
                             "       frame_profile MOVIE --run FRAME COUNT [WIDTHxHEIGHT]\n");
        return 2;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string mode = argv[2];
    const bool save = mode == "--save", hashes = mode == "--hashes", run = mode == "--run";
    if ((save && argc < 4) || (run && argc < 5)) return 2;
    const int argBase = save ? 4 : hashes ? 3 : run ? 5 : 3;
    const int frame = save || hashes ? 0 : std::max(1, std::atoi(argv[run ? 3 : 2]));
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
    const QSize size(width, height);
    if (save) return saveFrames(player, argv[3], size, repeats);
    if (hashes)
        return printHashes(player, size, argc > argBase + 1 ? std::max(1, std::atoi(argv[argBase + 1]))
                                                            : std::max(1, player.info().frameCount));
    if (run) return runFrames(player, frame, std::max(1, std::atoi(argv[4])), size);
    approach(player, frame);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
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
