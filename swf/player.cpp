// The engine's public face: a loaded movie's stage, its clock, its sound and its drawing.

#include "swf/player.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <optional>

#include <QPainter>

#include "swf/audio/mixer.h"
#include "swf/format/limits.h"
#include "swf/player_geometry.h"
#include "swf/player_sound.h"
#include "swf/render/display_tree_walk.h"
#include "swf/render/movie_resources.h"
#include "swf/render/render_cache.h"
#include "swf/render/viewport.h"
#include "swf/runtime/display_geometry.h"
#include "swf/runtime/frame_clock.h"
#include "swf/runtime/input_dispatch.h"
#include "swf/runtime/loaded_movies.h"
#include "swf/runtime/movie_clip.h"
#include "swf/runtime/script_engine.h"
#include "swf/runtime/stage.h"

namespace swf {
namespace {

// A stream's clock drives the stage only while sound is being taken: when nothing was pulled
// for this long of advanced time, frames run by wall time.
constexpr double kOutputSilenceMs = 500;
// Frames run at most in one advance to catch up with a stream's clock (the rest follows on the
// next advances, so a long stall does not freeze the caller).
constexpr int kMaxStreamCatchUpFrames = 30;
// A driving stream heard this far behind the frame shown (after frames ran by wall time while
// nobody took the sound) starts again at that frame rather than hold the picture until the
// sound catches up; less than this, the picture waits.
constexpr double kStreamResyncMs = 200;
// The picture runs at most this far ahead of the sound heard: a wrong drawing time must not
// run it far ahead.
constexpr double kMaxLookAheadMs = 1000;
// Sound played into nothing per advance at most, so that one huge step costs bounded work.
constexpr double kMaxDiscardMs = 2000;

LoadError::Kind toLoadErrorKind(MovieLoadError::Kind kind)
{
    switch (kind) {
    case MovieLoadError::Kind::NotSwf: return LoadError::Kind::NotSwf;
    case MovieLoadError::Kind::Truncated: return LoadError::Kind::Truncated;
    case MovieLoadError::Kind::Corrupt: return LoadError::Kind::Corrupt;
    case MovieLoadError::Kind::TooLarge: return LoadError::Kind::TooLarge;
    case MovieLoadError::Kind::Unsupported: return LoadError::Kind::Unsupported;
    }
    return LoadError::Kind::Corrupt;
}

render::StageScaleMode toStageScaleMode(ScaleMode mode)
{
    switch (mode) {
    case ScaleMode::ShowAll: return render::StageScaleMode::ShowAll;
    case ScaleMode::NoBorder: return render::StageScaleMode::NoBorder;
    case ScaleMode::ExactFit: return render::StageScaleMode::ExactFit;
    case ScaleMode::NoScale: return render::StageScaleMode::NoScale;
    }
    return render::StageScaleMode::ShowAll;
}

render::RenderQuality toRenderQuality(Quality q)
{
    switch (q) {
    case Quality::Low: return render::RenderQuality::Low;
    case Quality::Medium: return render::RenderQuality::Medium;
    case Quality::High: return render::RenderQuality::High;
    }
    return render::RenderQuality::High;
}

std::vector<std::uint8_t> readWholeFile(const std::string& path)
{
    runtime::FileBytes file = runtime::readMovieFile(path);
    if (!file.error.empty())
        throw LoadError(file.tooLarge ? LoadError::Kind::TooLarge : LoadError::Kind::Io, file.error);
    return std::move(file.bytes);
}

}  // namespace

struct Player::Impl {
    // The mixer may warn while the output pulls, on the output's thread: its warnings wait for
    // the player's own thread.
    Impl() : mixer([this](const std::string& w) { queueWarning(w); }) {}

    void warn(const std::string& message) const
    {
        if (onWarning) onWarning(message);
    }
    void queueWarning(const std::string& message)
    {
        std::lock_guard lock(warningMutex);
        queuedWarnings.push_back(message);
    }
    void deliverWarnings()
    {
        std::vector<std::string> pending;
        {
            std::lock_guard lock(warningMutex);
            pending.swap(queuedWarnings);
        }
        for (const std::string& w : pending) warn(w);
    }

    // How far ahead of the sound heard now the frame run by an advance is chosen, in output
    // frames. The frame is seen a presentation delay after the advance and stays on screen until
    // the next one is seen: a frame interval, or a drawing when drawing is slower. The frame
    // chosen is the one heard halfway through that time, so that the picture is at most half of
    // it ahead or behind the sound: within a frame as long as a frame stays up less than two.
    // A host that tells no delay (one that does not show frames) gets the frame heard now.
    std::int64_t lookAheadFrames() const
    {
        double ms = presentationDelayMs;
        if (presentationDelayMs > 0) ms += std::max(clock.intervalMs(), presentationDelayMs) / 2;
        return std::llround(std::min(ms, kMaxLookAheadMs) * kSampleRate / 1000);
    }
    void passSoundTime(double milliseconds);
    void discardUntakenSound();
    std::optional<int> framesDueBySound();

    std::mutex warningMutex;
    std::vector<std::string> queuedWarnings;

    // Declared in order of need: the stage goes first, then its sound host, then the mixer.
    audio::Mixer mixer;
    std::shared_ptr<const Movie> movie;
    std::unique_ptr<detail::MixerSoundHost> sound;
    std::unique_ptr<render::MovieResources> resources;
    mutable std::unique_ptr<render::RenderCache> cache;
    std::unique_ptr<detail::PlayerGeometry> geometry;
    std::unique_ptr<runtime::ScriptEngine> scripts;
    std::unique_ptr<runtime::Stage> stage;
    std::unique_ptr<runtime::InputDispatcher> input;
    runtime::FrameClock clock;

    bool autoPlay = true;
    bool loop = true;
    double scriptTimeLimitSeconds = 0;  // 0: the engine's default
    ScaleMode scaleMode = ScaleMode::ShowAll;
    Quality quality = Quality::High;
    QPointF mouse;
    bool mouseInside = false;

    // Frames the output took (pullAudio), and what the player makes of it on its own thread.
    std::atomic<std::int64_t> pulledFrames{0};
    std::int64_t pulledAtLastAdvance = 0;
    double msSinceLastPull = kOutputSilenceMs;
    // While no output takes the sound: the mixer's count when it was last taken, and the time
    // since then (starting half a second short at load, so that an output has time to open).
    std::int64_t untakenFrom = 0;
    double untakenMs = -kOutputSilenceMs;
    std::vector<std::int16_t> discard;
    double presentationDelayMs = 0;

    std::function<void(const std::string&)> onTrace;
    std::function<void(const std::string&, const std::string&)> onUrlRequest;
    std::function<void(const std::string&, const std::string&)> onFsCommand;
    std::function<void(const std::string&)> onWarning;

    runtime::MovieClip* root() const { return stage ? &stage->root() : nullptr; }
    void runScripts()
    {
        if (stage) stage->runQueuedScripts();
        finishScripts();
    }
    // One frame of the movie; `elapsedMs` of player time passed before it.
    void tick(double elapsedMs)
    {
        if (!stage) return;
        if (scripts) scripts->advanceTime(elapsedMs);
        stage->tick();
        if (input) input->refresh();
        finishScripts();
    }

    // Ends the movie: the stage goes before the hosts it calls.
    void teardown()
    {
        input.reset();
        stage.reset();
        scripts.reset();
        geometry.reset();
        cache.reset();
        resources.reset();
        sound.reset();
        mixer.stopAll();
        movie.reset();
        pendingMovie.clear();
    }
    // Builds the stage and everything around it for a parsed movie.
    void install(std::shared_ptr<const Movie> parsed, std::string baseDirectory);
    // A script asked for another movie in level 0: it replaces this one once no script runs.
    std::string pendingMovie;
    void finishScripts();
};

void Player::Impl::finishScripts()
{
    if (pendingMovie.empty()) return;
    const std::string path = std::move(pendingMovie);
    pendingMovie.clear();
    // The movie that asked keeps playing when the new one cannot be read.
    std::shared_ptr<const Movie> parsed;
    try {
        MovieLoadResult result = Movie::load(readWholeFile(path));
        if (!result) {
            warn("loadMovie: cannot load " + path + ": " + result.error().message);
            return;
        }
        parsed = result.movie();
    } catch (const LoadError& e) {
        warn(std::string("loadMovie: ") + e.what());
        return;
    }
    install(std::move(parsed), std::filesystem::path(path).parent_path().string());
}

Player::Player() : impl_(std::make_unique<Impl>()) {}
Player::~Player() { unload(); }

void Player::loadFile(const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    try {
        bytes = readWholeFile(path);
    } catch (const LoadError&) {
        unload();
        throw;
    }
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    loadBytes(std::move(bytes), error ? std::string() : absolute.parent_path().string());
}

void Player::loadBytes(std::vector<std::uint8_t> bytes, const std::string& baseDirectory)
{
    unload();
    MovieLoadResult result = Movie::load(bytes);
    bytes = {};
    if (!result) {
        const MovieLoadError& e = result.error();
        throw LoadError(toLoadErrorKind(e.kind), e.message, e.offset);
    }
    impl_->install(result.movie(), baseDirectory);
}

void Player::Impl::install(std::shared_ptr<const Movie> parsed, std::string baseDirectory)
{
    Impl& d = *this;
    teardown();
    d.movie = std::move(parsed);
    for (const std::string& w : d.movie->warnings()) d.warn(w);
    d.clock = runtime::FrameClock(d.movie->facts().frameRate);
    d.sound = std::make_unique<detail::MixerSoundHost>(d.mixer, d.movie, d.clock.frameRate(),
                                                       [&d](const std::string& w) { d.warn(w); });
    d.sound->setLookAhead(d.lookAheadFrames());
    d.resources = std::make_unique<render::MovieResources>(*d.movie);
    d.cache = std::make_unique<render::RenderCache>();
    d.geometry = std::make_unique<detail::PlayerGeometry>(*d.cache, *d.resources);
    runtime::ScriptCallbacks callbacks;
    callbacks.trace = [&d](const std::string& line) {
        if (d.onTrace) d.onTrace(line);
    };
    callbacks.warning = [&d](const std::string& w) { d.warn(w); };
    callbacks.openUrl = [&d](const std::string& url, const std::string& target) {
        if (d.onUrlRequest) d.onUrlRequest(url, target);
    };
    callbacks.fsCommand = [&d](const std::string& command, const std::string& args) {
        if (d.onFsCommand) d.onFsCommand(command, args);
    };
    callbacks.baseDirectory = std::move(baseDirectory);
    callbacks.timeLimitSeconds = d.scriptTimeLimitSeconds;
    callbacks.replaceMovie = [&d](const std::string& path) { d.pendingMovie = path; };
    // The render cache keys on definitions' addresses: a released movie's go with it.
    callbacks.moviesReleased = [&d] {
        if (d.cache) d.cache->clear();
    };
    d.scripts = std::make_unique<runtime::ScriptEngine>(d.movie, std::move(callbacks));
    runtime::StageHooks hooks;
    hooks.sound = d.sound.get();
    hooks.scripts = d.scripts.get();
    hooks.geometry = d.geometry.get();
    hooks.warning = [&d](const std::string& w) { d.warn(w); };
    d.stage = std::make_unique<runtime::Stage>(d.movie, hooks);
    d.input = std::make_unique<runtime::InputDispatcher>(*d.stage, d.scripts.get());
    d.stage->root().setLoopAllowed(d.loop);
    if (!d.autoPlay) d.stage->root().stop();
    d.msSinceLastPull = kOutputSilenceMs;
    d.pulledAtLastAdvance = d.pulledFrames.load();
    d.untakenFrom = d.mixer.pulledFrames();
    d.untakenMs = -kOutputSilenceMs;
    d.deliverWarnings();
}

void Player::unload()
{
    impl_->teardown();
    impl_->clock = runtime::FrameClock();
}

bool Player::hasMovie() const { return impl_->stage != nullptr; }

MovieInfo Player::info() const
{
    MovieInfo info;
    const Impl& d = *impl_;
    if (!d.movie) return info;
    const MovieFacts& f = d.movie->facts();
    info.version = f.version;
    info.widthPx = f.widthPx();
    info.heightPx = f.heightPx();
    info.frameRate = f.frameRate;
    info.frameCount = static_cast<int>(d.movie->frameCount());
    if (f.background) info.backgroundArgb = 0xff000000u | (std::uint32_t(f.background->r) << 16) |
                                            (std::uint32_t(f.background->g) << 8) | f.background->b;
    info.compression = compressionName(f.compression);
    return info;
}

void Player::play()
{
    if (auto* root = impl_->root()) root->play();
}

void Player::stop()
{
    if (auto* root = impl_->root()) root->stop();
}

void Player::back()
{
    if (auto* root = impl_->root()) {
        root->gotoFrame(root->currentFrame() - 1, false);
        impl_->runScripts();
    }
}

void Player::forward()
{
    if (auto* root = impl_->root()) {
        root->gotoFrame(root->currentFrame() + 1, false);
        impl_->runScripts();
    }
}

void Player::rewind()
{
    if (auto* root = impl_->root()) {
        root->gotoFrame(0, false);
        impl_->runScripts();
    }
}

bool Player::isPlaying() const
{
    const auto* root = impl_->root();
    return root && root->playing();
}

void Player::gotoFrame(int frame, bool andPlay)
{
    if (auto* root = impl_->root()) {
        root->gotoFrame(frame - 1, andPlay);
        impl_->runScripts();
    }
}

int Player::currentFrame() const
{
    const auto* root = impl_->root();
    return root ? root->currentFrame() + 1 : 0;
}

void Player::setScriptTimeLimit(double seconds)
{
    impl_->scriptTimeLimitSeconds = std::isfinite(seconds) && seconds > 0 ? seconds : 0;
}

void Player::setAutoPlay(bool on) { impl_->autoPlay = on; }
bool Player::autoPlay() const { return impl_->autoPlay; }

void Player::setLoop(bool on)
{
    impl_->loop = on;
    if (auto* root = impl_->root()) root->setLoopAllowed(on);
}

bool Player::loop() const { return impl_->loop; }

void Player::Impl::passSoundTime(double milliseconds)
{
    if (!(milliseconds > 0)) milliseconds = 0;  // also NaN
    const std::int64_t pulled = pulledFrames.load();
    if (pulled != pulledAtLastAdvance) {
        pulledAtLastAdvance = pulled;
        msSinceLastPull = 0;
    } else {
        msSinceLastPull = std::min(msSinceLastPull + milliseconds, kOutputSilenceMs);
    }
    const bool live = msSinceLastPull < kOutputSilenceMs;
    sound->setOutputLive(live);
    if (live) {
        untakenFrom = mixer.pulledFrames();
        untakenMs = 0;
        return;
    }
    untakenMs += milliseconds;
    discardUntakenSound();
}

void Player::Impl::discardUntakenSound()
{
    // Nobody takes the sound: the mix runs on into nothing at the pace of advanced time, so that
    // event sounds end (and report so) and streams keep their place.
    const std::int64_t target = untakenFrom + std::llround(std::max(0.0, untakenMs) * kSampleRate / 1000);
    std::int64_t missing = std::min<std::int64_t>(target - mixer.pulledFrames(),
                                                  std::llround(kMaxDiscardMs * kSampleRate / 1000));
    constexpr std::int64_t kChunk = 4096;
    discard.resize(2 * kChunk);
    while (missing > 0) {
        const std::int64_t n = std::min(missing, kChunk);
        mixer.pull(std::span(discard).first(static_cast<std::size_t>(2 * n)));
        missing -= n;
    }
}

std::optional<int> Player::Impl::framesDueBySound()
{
    const std::optional<detail::MixerSoundHost::DrivingStream> drive = sound->drivingStream();
    if (!drive) return std::nullopt;
    runtime::DisplayObject* owner = stage->find(drive->owner);
    if (!owner || owner->kind() != runtime::ObjectKind::MovieClip) return std::nullopt;
    auto& clip = static_cast<runtime::MovieClip&>(*owner);
    const int current = clip.currentFrame();
    // A clip that holds on its last frame cannot follow its sound any further.
    if (!clip.playing() || (current >= clip.frameCount() - 1 && !clip.loops())) return std::nullopt;
    const int resyncFrames = std::max(2, static_cast<int>(std::ceil(kStreamResyncMs / clock.intervalMs())));
    if (current - drive->heardFrame > resyncFrames) {
        sound->startStream(drive->stream, current);
        return 0;
    }
    return std::clamp(drive->heardFrame - current, 0, kMaxStreamCatchUpFrames);
}

void Player::advance(double milliseconds)
{
    Impl& d = *impl_;
    if (!d.stage) return;
    d.passSoundTime(milliseconds);
    int due = d.clock.advance(milliseconds);
    if (const std::optional<int> bySound = d.framesDueBySound()) {
        // The sound clock drives: run up to the frame being heard, never beyond it.
        due = *bySound;
        d.clock.reset();
    }
    // Script time moves with the frames that run, so that getTimer() and intervals agree with
    // the frames a script sees.
    for (int i = 0; i < due; ++i) d.tick(d.clock.intervalMs());
    d.deliverWarnings();
}

void Player::tick()
{
    Impl& d = *impl_;
    if (!d.stage) return;
    d.passSoundTime(d.clock.intervalMs());
    d.tick(d.clock.intervalMs());
    d.deliverWarnings();
}

double Player::frameIntervalMs() const { return impl_->clock.intervalMs(); }

void Player::setPresentationDelay(double milliseconds)
{
    impl_->presentationDelayMs = std::isfinite(milliseconds) ? std::clamp(milliseconds, 0.0, kMaxLookAheadMs) : 0.0;
    if (impl_->sound) impl_->sound->setLookAhead(impl_->lookAheadFrames());
}

void Player::setScaleMode(ScaleMode mode) { impl_->scaleMode = mode; }
ScaleMode Player::scaleMode() const { return impl_->scaleMode; }
void Player::setQuality(Quality quality) { impl_->quality = quality; }
Quality Player::quality() const { return impl_->quality; }

namespace {

// Keyboard focus moved by Tab shows a yellow rectangle around the object (_focusrect).
void drawFocusRect(QImage& canvas, const QTransform& stageToDevice, const runtime::InputDispatcher* input,
                   const runtime::ScriptEngine* scripts)
{
    if (!input || !scripts || scripts->focusRect() == 0) return;
    const runtime::DisplayObject* focused = input->focusHighlight();
    if (!focused) return;
    const runtime::Bounds b = runtime::boundsIn(*focused, nullptr);
    if (b.empty) return;
    QPainter painter(&canvas);
    painter.setPen(QPen(QColor(255, 255, 0), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(stageToDevice.mapRect(QRectF(b.xMin, b.yMin, b.xMax - b.xMin, b.yMax - b.yMin)));
}

}  // namespace

void Player::render(QImage& target) const
{
    const Impl& d = *impl_;
    if (target.isNull()) return;
    if (!d.stage) {
        target.fill(Qt::black);
        return;
    }
    const bool direct = target.format() == QImage::Format_ARGB32_Premultiplied;
    QImage converted;
    if (!direct) converted = QImage(target.size(), QImage::Format_ARGB32_Premultiplied);
    QImage& canvas = direct ? target : converted;
    const render::Viewport view =
        render::fitStage(d.stage->frameRect(), canvas.size(), toStageScaleMode(d.scaleMode));
    {
        render::RenderContext context(canvas, view.stageToDevice, toRenderQuality(d.quality), *d.cache,
                                      *d.resources);
        render::drawStage(context, *d.stage, QRectF(canvas.rect()));
    }
    drawFocusRect(canvas, view.stageToDevice, d.input.get(), d.scripts.get());
    if (!direct) {
        QPainter painter(&target);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, converted);
    }
}


QImage Player::render(QSize size) const
{
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    render(image);
    return image;
}

QPointF Player::viewToStage(QPointF viewPoint, QSize viewSize) const
{
    const Impl& d = *impl_;
    if (!d.stage || viewSize.isEmpty()) return viewPoint;
    return render::fitStage(d.stage->frameRect(), viewSize, toStageScaleMode(d.scaleMode))
        .deviceToStagePixels(viewPoint);
}

void Player::mouseMove(QPointF stagePoint)
{
    Impl& d = *impl_;
    d.mouse = stagePoint;
    d.mouseInside = true;
    if (d.input) d.input->mouseMove(Point{stagePoint.x(), stagePoint.y()});
    d.finishScripts();
}

void Player::mouseDown(QPointF stagePoint, MouseButton button)
{
    Impl& d = *impl_;
    d.mouse = stagePoint;
    // The right button opens the player's menu in Flash; movies never see it.
    if (button != MouseButton::Left) return;
    if (d.input) d.input->mouseDown(Point{stagePoint.x(), stagePoint.y()});
    d.finishScripts();
}

void Player::mouseUp(QPointF stagePoint, MouseButton button)
{
    Impl& d = *impl_;
    d.mouse = stagePoint;
    if (button != MouseButton::Left) return;
    if (d.input) d.input->mouseUp(Point{stagePoint.x(), stagePoint.y()});
    d.finishScripts();
}

void Player::mouseLeave()
{
    impl_->mouseInside = false;
    if (impl_->input) impl_->input->mouseLeave();
    impl_->finishScripts();
}

void Player::keyDown(int keyCode, char16_t charCode)
{
    if (impl_->input) impl_->input->keyDown(keyCode, charCode);
    impl_->finishScripts();
}

void Player::keyUp(int keyCode, char16_t charCode)
{
    if (impl_->input) impl_->input->keyUp(keyCode, charCode);
    impl_->finishScripts();
}

bool Player::wantsHandCursor() const { return impl_->input && impl_->input->wantsHandCursor(); }

std::size_t Player::pullAudio(std::span<std::int16_t> interleavedStereo)
{
    // The output's thread: only the mixer (thread-safe) and an atomic count are touched.
    const std::size_t frames = impl_->mixer.pull(interleavedStereo);
    impl_->pulledFrames += static_cast<std::int64_t>(frames);
    return frames;
}

void Player::setAudioOutputLatency(std::int64_t frames) { impl_->mixer.setOutputLatency(frames); }

void Player::onTrace(std::function<void(const std::string&)> handler) { impl_->onTrace = std::move(handler); }
void Player::onUrlRequest(std::function<void(const std::string&, const std::string&)> handler)
{
    impl_->onUrlRequest = std::move(handler);
}
void Player::onFsCommand(std::function<void(const std::string&, const std::string&)> handler)
{
    impl_->onFsCommand = std::move(handler);
}
void Player::onWarning(std::function<void(const std::string&)> handler) { impl_->onWarning = std::move(handler); }

}  // namespace swf
