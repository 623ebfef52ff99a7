#pragma once
// What the player control needs from the engine that plays its movie. SwfMovieEngine is the
// real one, over swf::Player; tests of the control's view put a scripted engine in its place so
// that timing, drawing and input can be checked frame by frame.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QSize>
#include <QString>

#include "swf/player.h"

class MovieEngine {
public:
    virtual ~MovieEngine() = default;

    // Replaces any movie loaded before. Throws swf::LoadError when the movie cannot be played;
    // the engine is then left without a movie.
    virtual void load(const QString& path) = 0;
    virtual bool hasMovie() const = 0;
    // Milliseconds between two frames at the movie's frame rate.
    virtual double frameIntervalMs() const = 0;

    // Playback of the main timeline; each is a no-op without a movie.
    virtual void play() = 0;
    virtual void stop() = 0;
    virtual void back() = 0;
    virtual void forward() = 0;
    virtual void rewind() = 0;
    virtual bool isPlaying() const = 0;

    virtual void setAutoPlay(bool on) = 0;
    virtual void setLoop(bool on) = 0;
    virtual bool loop() const = 0;
    virtual void setQuality(swf::Quality quality) = 0;
    virtual swf::Quality quality() const = 0;
    virtual void setScaleMode(swf::ScaleMode mode) = 0;

    // Runs the frames that are due after `milliseconds` of wall time; a backlog of late frames
    // is dropped rather than run all at once.
    virtual void advance(double milliseconds) = 0;
    // Draws the current frame over the whole target through the scale mode.
    virtual void render(QImage& target) const = 0;
    virtual QPointF viewToStage(QPointF viewPoint, QSize viewSize) const = 0;

    virtual void mouseMove(QPointF stagePoint) = 0;
    virtual void mouseDown(QPointF stagePoint) = 0;
    virtual void mouseUp(QPointF stagePoint) = 0;
    virtual void mouseLeave() = 0;
    virtual void keyDown(int flashKeyCode, char16_t character) = 0;
    virtual void keyUp(int flashKeyCode, char16_t character) = 0;
    virtual bool wantsHandCursor() const = 0;

    // Sound, for the control's sound output, which calls these two from its own thread while the
    // control's thread runs the movie. pullAudio fills interleaved stereo 16-bit frames at
    // 44.1 kHz with the mix (silence when nothing sounds) and returns how many; the latency is
    // the frames taken but not yet played, so that a movie that follows its sound follows what
    // is heard. An engine without sound gives silence.
    virtual std::size_t pullAudio(std::span<std::int16_t> interleavedStereo)
    {
        std::fill(interleavedStereo.begin(), interleavedStereo.end(), std::int16_t{0});
        return interleavedStereo.size() / 2;
    }
    virtual void setAudioOutputLatency(std::int64_t) {}
    // How long after advance() its picture is seen (the control measures its drawing), so that
    // a movie that follows its sound shows the frame heard by then.
    virtual void setPresentationDelay(double /*milliseconds*/) {}

    // A URL the movie asks to open, with its target window name.
    using UrlHandler = std::function<void(const std::string& url, const std::string& target)>;
    virtual void onUrlRequest(UrlHandler handler) = 0;
};
