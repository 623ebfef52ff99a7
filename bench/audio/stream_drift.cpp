// How far the picture drifts from the sound over whole movies with stream sound: each movie is
// played in simulated time by an output that takes the sound at real-time pace (10 ms steps,
// a 100 ms buffer topped up in pieces of 1024 frames, its latency told to the player) and a
// frame clock that advances the player by the wall time gone by and then draws, as the viewer's
// control does (it also draws the first frame at load). Drawing takes a fixed simulated time, or
// the real time of drawing the frame (--draw WxH); a beat that comes late reports the whole delay
// and frames are skipped. The player is told how long drawing takes (as the control tells it),
// unless --no-look-ahead.
//
// The drift at a moment is the frame whose sound is heard (from the stream's start, at the
// frame rate the blocks were written for) minus the frame on screen. It is sampled every 10 ms
// up to the last sound heard, and reported per movie: the largest drift either way, the mean
// drift (signed and of its size), the share of time it is more than one frame, and how many
// frames were never drawn.
//
// usage: swf_stream_drift [--draw-ms MS]... [--draw WxH] [--no-look-ahead] [MOVIE...]
//        without movies: the streaming-MP3 movies of the corpus's real-world manifest.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include <QGuiApplication>
#include <QImage>

#include "swf/movie/movie.h"
#include "swf/player.h"

namespace {

constexpr std::int64_t kStepUs = 10'000;
constexpr std::int64_t kStepFrames = 441;
constexpr std::int64_t kBufferFrames = 4410;
constexpr std::int64_t kPieceFrames = 1024;

struct StreamFacts {
    bool mainTimeline = false;
    int lastSoundFrame = -1;  // 0-based, the last frame whose block holds sound
};

StreamFacts streamFacts(const std::vector<std::uint8_t>& bytes)
{
    StreamFacts facts;
    const swf::MovieLoadResult loaded = swf::Movie::load(bytes);
    if (!loaded) return facts;
    const swf::Timeline& main = loaded.movie()->timeline();
    facts.mainTimeline = main.streamHead() != nullptr;
    for (std::size_t f = 0; f < main.frameCount(); ++f) {
        for (const swf::ControlTag& tag : main.frameTags(f)) {
            const auto* block = std::get_if<swf::SoundStreamBlock>(&tag);
            // MP3 blocks start with two counts; a block of only those holds no sound.
            if (block && block->data.size() > 4) facts.lastSoundFrame = static_cast<int>(f);
        }
    }
    return facts;
}

struct Result {
    int frames = 0;
    double fps = 0;
    double seconds = 0;
    int maxDrift = 0;          // frames, heard minus shown
    int minDrift = 0;
    double meanDrift = 0;      // frames, over the samples
    double meanAbsDrift = 0;
    double overOneShare = 0;   // of the samples
    int skipped = 0;           // frames never drawn
    double drawMsMean = 0;
};

Result play(const std::vector<std::uint8_t>& bytes, const StreamFacts& facts, double drawMs, QSize drawSize,
            bool lookAhead)
{
    swf::Player player;
    player.setLoop(false);
    player.loadBytes(bytes);
    const swf::MovieInfo info = player.info();
    Result r;
    r.frames = info.frameCount;
    r.fps = 1000.0 / player.frameIntervalMs();
    const auto intervalUs = static_cast<std::int64_t>(std::llround(player.frameIntervalMs() * 1000));

    std::vector<std::int16_t> piece(2 * kPieceFrames);
    std::int64_t taken = 0, played = 0;
    std::int64_t t = 0, lastAdvance = 0, nextBeat = intervalUs, busyUntil = 0;
    int shown = -1, pendingShown = 0;  // nothing is seen before the first drawing
    std::int64_t showAt = -1;
    std::vector<bool> drawn(static_cast<std::size_t>(std::max(1, r.frames)), false);
    drawn[0] = true;
    QImage canvas;
    if (!drawSize.isEmpty()) canvas = QImage(drawSize, QImage::Format_ARGB32_Premultiplied);
    long draws = 0;
    double drawTotalMs = 0, smoothedDraw = 0;
    struct Sample {
        std::int64_t played;
        int drift;
    };
    std::vector<Sample> drifts;
    std::int64_t lastSound = 0;  // output frames up to the last one that was not silent

    // Draws the frame the player is on, as the viewer's control does after each advance (and
    // once at load): the picture is seen a drawing later, and the player is told how long that is.
    const auto draw = [&] {
        const int frame = player.currentFrame() - 1;
        double cost = drawMs;
        if (!canvas.isNull()) {
            const auto start = std::chrono::steady_clock::now();
            player.render(canvas);
            cost = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        }
        drawTotalMs += cost;
        ++draws;
        if (frame >= 0 && frame < r.frames) drawn[static_cast<std::size_t>(frame)] = true;
        pendingShown = frame;
        smoothedDraw = draws == 1 ? cost : smoothedDraw * 0.8 + cost * 0.2;
        if (lookAhead) player.setPresentationDelay(smoothedDraw);
        const auto costUs = static_cast<std::int64_t>(cost * 1000);
        showAt = t + costUs;
        busyUntil = t + costUs;
    };
    draw();

    while (true) {
        t += kStepUs;
        played += kStepFrames;
        while (taken - played < kBufferFrames) {
            player.pullAudio(piece);
            for (std::size_t k = 0; k < piece.size(); ++k)
                if (piece[k] != 0) lastSound = taken + static_cast<std::int64_t>(k / 2) + 1;
            taken += kPieceFrames;
        }
        player.setAudioOutputLatency(taken - played);
        if (showAt >= 0 && t >= showAt) {
            shown = pendingShown;
            showAt = -1;
        }
        const double heard = static_cast<double>(played) * r.fps / 44100.0;
        if (heard >= facts.lastSoundFrame + 1 || player.currentFrame() >= r.frames) break;
        if (shown >= 0) drifts.push_back({played, static_cast<int>(std::floor(heard)) - shown});

        if (t >= nextBeat && t >= busyUntil) {
            player.advance(static_cast<double>(t - lastAdvance) / 1000.0);
            lastAdvance = t;
            draw();
            // The viewer's frame clock: aimed at the next frame's start; when that has passed,
            // the next beat comes as soon as drawing is done.
            nextBeat += intervalUs;
            if (nextBeat <= t) nextBeat = t + intervalUs;
        }
    }
    // Past the end of the sound nothing is heard, and the picture keeps wall time.
    long samples = 0, overOne = 0;
    double sum = 0, absSum = 0;
    for (const Sample& s : drifts) {
        if (s.played > lastSound) break;
        r.maxDrift = std::max(r.maxDrift, s.drift);
        r.minDrift = std::min(r.minDrift, s.drift);
        ++samples;
        overOne += std::abs(s.drift) > 1;
        sum += s.drift;
        absSum += std::abs(s.drift);
    }
    if (samples) {
        r.meanDrift = sum / static_cast<double>(samples);
        r.meanAbsDrift = absSum / static_cast<double>(samples);
    }
    r.seconds = static_cast<double>(std::min(played, lastSound)) / 44100.0;
    r.overOneShare = samples ? static_cast<double>(overOne) / static_cast<double>(samples) : 0;
    const int reached = std::min(r.frames, player.currentFrame());
    r.skipped = static_cast<int>(std::count(drawn.begin(), drawn.begin() + reached, false));
    r.drawMsMean = draws ? drawTotalMs / static_cast<double>(draws) : 0;
    return r;
}

std::vector<std::string> corpusStreamMovies()
{
    const std::string root = std::string(VANTORO_CORPUS_DIR) + "/realworld/";
    std::ifstream manifest(root + "manifest.tsv");
    std::vector<std::string> paths;
    std::string line;
    std::getline(manifest, line);
    while (std::getline(manifest, line)) {
        std::vector<std::string> fields;
        std::stringstream row(line);
        for (std::string field; std::getline(row, field, '\t');) fields.push_back(field);
        if (fields.size() < 11 || fields[10].find("sound:stream=mp3") == std::string::npos) continue;
        std::string repo = fields[0];  // its folder: "owner__name"
        for (std::size_t at = repo.find('/'); at != std::string::npos; at = repo.find('/')) repo.replace(at, 1, "__");
        paths.push_back(root + repo + "/" + fields[2]);
    }
    return paths;
}

std::vector<std::uint8_t> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);  // fonts for drawing text
    std::vector<double> drawCosts;
    QSize drawSize;
    std::vector<std::string> movies;
    bool lookAhead = true;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--no-look-ahead") {
            lookAhead = false;
        } else if (a == "--draw-ms" && i + 1 < argc) {
            drawCosts.push_back(std::stod(argv[++i]));
        } else if (a == "--draw" && i + 1 < argc) {
            int w = 0, h = 0;
            if (std::sscanf(argv[++i], "%dx%d", &w, &h) == 2 && w > 0 && h > 0) drawSize = QSize(w, h);
        } else {
            movies.push_back(a);
        }
    }
    if (drawCosts.empty()) drawCosts = {5, 40, 120};
    if (!drawSize.isEmpty()) drawCosts = {0};
    if (movies.empty()) movies = corpusStreamMovies();

    std::printf("movie\tfps\tframes\tsound_s\tdraw_ms\tmax_drift\tmin_drift\tmean_drift\tmean_abs\tover_1\tskipped\n");
    for (const std::string& path : movies) {
        const auto bytes = readFile(path);
        const std::string name = path.substr(path.find_last_of('/') + 1);
        StreamFacts facts = streamFacts(bytes);
        if (!facts.mainTimeline || facts.lastSoundFrame < 0) {
            std::printf("%s\t(no stream sound on the main timeline)\n", name.c_str());
            continue;
        }
        for (const double cost : drawCosts) {
            Result r;
            try {
                r = play(bytes, facts, cost, drawSize, lookAhead);
            } catch (const swf::LoadError& e) {
                std::printf("%s\t(cannot load: %s)\n", name.c_str(), e.what());
                break;
            }
            std::printf("%s\t%.0f\t%d\t%.1f\t%.1f\t%d\t%d\t%.3f\t%.3f\t%.4f\t%d\n", name.c_str(), r.fps, r.frames,
                        r.seconds, drawSize.isEmpty() ? cost : r.drawMsMean, r.maxDrift, r.minDrift, r.meanDrift,
                        r.meanAbsDrift, r.overOneShare, r.skipped);
            std::fflush(stdout);
        }
    }
    return 0;
}
