// Checks that what the renderer keeps from frame to frame never changes a picture: plays a
// movie (scripts included) and draws every frame twice, once with the cache kept since the
// first frame, as a viewer draws, and once with a cache of its own, and compares the two
// pixel for pixel. Both draw the same stage state, so movies whose scripts use random numbers
// are checked as well as any other.
//   build/bin/picture_check MOVIE [WIDTHxHEIGHT] [FRAMES]
// Prints the frames that differ and a summary; exits 1 when any frame differs.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <QGuiApplication>
#include <QImage>

#include "swf/movie/movie.h"
#include "swf/player_geometry.h"
#include "swf/render/display_tree_walk.h"
#include "swf/render/movie_resources.h"
#include "swf/render/render_cache.h"
#include "swf/render/render_context.h"
#include "swf/render/viewport.h"
#include "swf/runtime/frame_clock.h"
#include "swf/runtime/movie_clip.h"
#include "swf/runtime/script_engine.h"
#include "swf/runtime/stage.h"

namespace {

using namespace swf;

QImage draw(const runtime::Stage& stage, render::RenderCache& cache, const render::RenderResources& resources,
            QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    const render::Viewport view = render::fitStage(stage.frameRect(), size, render::StageScaleMode::ShowAll);
    render::RenderContext context(image, view.stageToDevice, render::RenderQuality::High, cache, resources);
    render::drawStage(context, stage, QRectF(image.rect()));
    return image;
}

int differingPixels(const QImage& a, const QImage& b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* ra = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* rb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) n += ra[x] != rb[x];
    }
    return n;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: picture_check MOVIE [WIDTHxHEIGHT] [FRAMES]\n");
        return 2;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    int width = 1280, height = 720;
    if (argc > 2 && std::sscanf(argv[2], "%dx%d", &width, &height) != 2) return 2;
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    MovieLoadResult loaded = Movie::load(bytes);
    if (!loaded) {
        std::fprintf(stderr, "cannot load: %s\n", loaded.error().message.c_str());
        return 1;
    }
    const std::shared_ptr<const Movie> movie = loaded.movie();
    const int frames = argc > 3 ? std::max(1, std::atoi(argv[3])) : std::max(1, int(movie->frameCount()));

    render::MovieResources resources(*movie);
    render::RenderCache kept;
    detail::PlayerGeometry geometry(kept, resources);
    runtime::ScriptCallbacks callbacks;
    std::error_code error;
    callbacks.baseDirectory = std::filesystem::absolute(argv[1], error).parent_path().string();
    callbacks.moviesReleased = [&kept] { kept.clear(); };
    runtime::ScriptEngine scripts(movie, std::move(callbacks));
    runtime::StageHooks hooks;
    hooks.scripts = &scripts;
    hooks.geometry = &geometry;
    runtime::Stage stage(movie, hooks);
    const double intervalMs = runtime::FrameClock(movie->facts().frameRate).intervalMs();

    const QSize size(width, height);
    int differing = 0;
    for (int i = 0; i < frames; ++i) {
        const QImage withKept = draw(stage, kept, resources, size);
        render::RenderCache fresh;
        const QImage afresh = draw(stage, fresh, resources, size);
        if (const int n = differingPixels(withKept, afresh); n > 0) {
            std::printf("tick %d: %d pixels differ\n", i + 1, n);
            ++differing;
        }
        scripts.advanceTime(intervalMs);
        stage.tick();
        // A movie that stops itself is started again, so that the whole timeline is seen.
        if (!stage.root().playing()) stage.root().play();
    }
    std::printf("%d frames checked at %dx%d, %d differ; %llu kept pictures used\n", frames, width, height, differing,
                static_cast<unsigned long long>(kept.groupPictures().hits()));
    return differing > 0 ? 1 : 0;
}
