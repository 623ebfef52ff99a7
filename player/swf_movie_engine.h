#pragma once
// The player control's engine: our SWF engine (swf::Player) behind the MovieEngine interface.

#include "player/movie_engine.h"

class SwfMovieEngine final : public MovieEngine {
public:
    SwfMovieEngine();
    ~SwfMovieEngine() override;

    void load(const QString& path) override;
    bool hasMovie() const override;
    double frameIntervalMs() const override;

    void play() override;
    void stop() override;
    void back() override;
    void forward() override;
    void rewind() override;
    bool isPlaying() const override;

    void setAutoPlay(bool on) override;
    void setLoop(bool on) override;
    bool loop() const override;
    void setQuality(swf::Quality quality) override;
    swf::Quality quality() const override;
    void setScaleMode(swf::ScaleMode mode) override;

    void advance(double milliseconds) override;
    void render(QImage& target) const override;
    QPointF viewToStage(QPointF viewPoint, QSize viewSize) const override;

    void mouseMove(QPointF stagePoint) override;
    void mouseDown(QPointF stagePoint) override;
    void mouseUp(QPointF stagePoint) override;
    void mouseLeave() override;
    void keyDown(int flashKeyCode, char16_t character) override;
    void keyUp(int flashKeyCode, char16_t character) override;
    bool wantsHandCursor() const override;

    std::size_t pullAudio(std::span<std::int16_t> interleavedStereo) override;
    void setAudioOutputLatency(std::int64_t frames) override;
    void setPresentationDelay(double milliseconds) override;

    void onUrlRequest(UrlHandler handler) override;

private:
    swf::Player player_;
};
