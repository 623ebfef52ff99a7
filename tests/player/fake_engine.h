#pragma once
// A scripted movie engine for the player control's tests: a movie of `frameCount` frames, each
// drawn as one flat colour, on a 200 x 100 stage stretched over the view. It logs the calls
// that matter to the control and fails to load the paths it is told to.

#include <cmath>
#include <set>
#include <vector>

#include <QColor>

#include "player/movie_engine.h"

class FakeEngine : public MovieEngine {
public:
    static constexpr QSizeF kStage{200, 100};

    // The colour frame `frame` is drawn in.
    static QRgb colourOf(int frame) { return QColor::fromHsv((frame * 47) % 360, 200, 220).rgb(); }

    void load(const QString& path) override
    {
        loads.push_back(path);
        frame = 0;
        if (damaged.contains(path))
            throw swf::LoadError(swf::LoadError::Kind::Corrupt, "shape record runs past its tag", 1234);
        frame = 1;
        playing = autoPlay;
    }
    bool hasMovie() const override { return frame > 0; }
    double frameIntervalMs() const override { return intervalMs; }

    void play() override { playing = true; }
    void stop() override { playing = false; }
    void back() override { frame = std::max(1, frame - 1); playing = false; }
    void forward() override { frame = std::min(frameCount, frame + 1); playing = false; }
    void rewind() override { frame = 1; playing = false; }
    bool isPlaying() const override { return playing; }

    void setAutoPlay(bool on) override { autoPlay = on; }
    void setLoop(bool on) override { looping = on; }
    bool loop() const override { return looping; }
    void setQuality(swf::Quality q) override { chosenQuality = q; }
    swf::Quality quality() const override { return chosenQuality; }
    void setScaleMode(swf::ScaleMode mode) override { scaleMode = mode; }

    void advance(double milliseconds) override
    {
        advances.push_back(milliseconds);
        // One frame however late: a backlog is dropped.
        if (playing && milliseconds > 0)
            frame = frame == frameCount ? (looping ? 1 : frame) : frame + 1;
    }
    void render(QImage& target) const override
    {
        ++renders;
        target.fill(QColor(colourOf(frame)));
    }
    QPointF viewToStage(QPointF viewPoint, QSize viewSize) const override
    {
        return {viewPoint.x() * kStage.width() / viewSize.width(), viewPoint.y() * kStage.height() / viewSize.height()};
    }

    void mouseMove(QPointF p) override { input.push_back({"move", p}); }
    void mouseDown(QPointF p) override { input.push_back({"down", p}); }
    void mouseUp(QPointF p) override { input.push_back({"up", p}); }
    void mouseLeave() override { input.push_back({"leave", {}}); }
    void keyDown(int code, char16_t character) override { keys.push_back({true, code, character}); }
    void keyUp(int code, char16_t character) override { keys.push_back({false, code, character}); }
    bool wantsHandCursor() const override { return hand; }

    void onUrlRequest(UrlHandler handler) override { urlHandler = std::move(handler); }

    struct MouseInput {
        const char* what;
        QPointF at;
    };
    struct KeyInput {
        bool down;
        int code;
        char16_t character;
    };

    int frameCount = 5;
    double intervalMs = 40;
    int frame = 0;  // 0: no movie
    bool playing = false;
    bool autoPlay = false;
    bool looping = false;
    bool hand = false;
    swf::Quality chosenQuality = swf::Quality::Low;
    swf::ScaleMode scaleMode = swf::ScaleMode::NoScale;
    std::set<QString> damaged;
    std::vector<QString> loads;
    std::vector<double> advances;
    mutable int renders = 0;
    std::vector<MouseInput> input;
    std::vector<KeyInput> keys;
    UrlHandler urlHandler;
};
