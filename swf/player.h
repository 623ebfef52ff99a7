#pragma once
// The engine's one public face. The viewer and the command-line tools include nothing else
// from swf/. Everything here runs on the caller's thread; a Player is not shared between threads
// except for pullAudio() and setAudioOutputLatency(), which the sound output may call from its
// own thread (while another thread loads, advances and draws). Stop that thread's calls before
// the Player is destroyed.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include <QImage>
#include <QPointF>
#include <QSize>

namespace swf {

// Why a movie could not be loaded. `offset` is the byte position in the (decompressed) file
// where the problem was found, or -1 when no position applies.
class LoadError : public std::runtime_error {
public:
    enum class Kind {
        Io,            // missing or unreadable file
        NotSwf,        // no FWS/CWS/ZWS signature
        Truncated,     // the data ends before the header or a required part
        Corrupt,       // a structure that cannot be right (bad size, bad compression stream, ...)
        TooLarge,      // a limit was exceeded (decompressed size, bitmap pixels, ...)
        Unsupported,   // content the engine does not play (ActionScript 3 movies)
    };
    LoadError(Kind kind, std::string what, std::int64_t offset = -1)
        : std::runtime_error(std::move(what)), kind_(kind), offset_(offset) {}
    Kind kind() const { return kind_; }
    std::int64_t offset() const { return offset_; }

private:
    Kind kind_;
    std::int64_t offset_;
};

struct MovieInfo {
    int version = 0;              // SWF version from the header
    int widthPx = 0;              // stage size in pixels (frame rectangle / 20)
    int heightPx = 0;
    double frameRate = 0;         // frames per second as stored (0 means "as fast as possible")
    int frameCount = 0;           // frames of the main timeline
    std::uint32_t backgroundArgb = 0xffffffff;  // SetBackgroundColor, white when absent
    std::string compression;      // "FWS", "CWS" or "ZWS"
};

enum class ScaleMode { ShowAll, NoBorder, ExactFit, NoScale };
enum class Quality { Low, Medium, High };
enum class MouseButton { Left, Right };

class Player {
public:
    Player();
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Loading. Replaces any movie loaded before; on failure the player is left empty and the
    // error says what and where. A loaded movie starts playing at once when autoPlay() is on.
    void loadFile(const std::string& path);
    void loadBytes(std::vector<std::uint8_t> bytes, const std::string& baseDirectory = {});
    void unload();
    bool hasMovie() const;
    MovieInfo info() const;

    // Playback control of the main timeline. Every call is a no-op without a movie.
    void play();
    void stop();
    void back();      // one frame back, and halt
    void forward();   // one frame on, and halt
    void rewind();    // to the first frame, and halt
    bool isPlaying() const;
    void gotoFrame(int frame, bool andPlay);  // frame is 1-based, as Flash numbers them
    int currentFrame() const;                 // 1-based; 0 without a movie

    void setAutoPlay(bool on);   // start playing on load (default on)
    bool autoPlay() const;
    void setLoop(bool on);       // start again after the last frame (default on)
    bool loop() const;

    // Time. advance() runs as many frames as are due after `milliseconds` of wall time at the
    // movie's frame rate; when more than a few frames are late it drops the backlog rather than
    // racing to catch up. tick() runs exactly one frame whether or not the movie is playing its
    // timeline (scripts, clip events and sprites still run on a stopped main timeline).
    //
    // While a stream sound plays and an output takes the sound (pullAudio was called within the
    // last 500 ms of advanced time), the sound drives advance() instead of the wall time: it runs
    // the frames up to the one being heard (at most 30 at once, never beyond it). The stream is
    // the main timeline's when it plays, else the first playing sprite's. When no output takes
    // the sound, frames keep wall time and the player plays the mix into nothing itself, half a
    // second behind (advance() by its time, tick() by a frame's), so that sounds still end.
    void advance(double milliseconds);
    void tick();
    double frameIntervalMs() const;
    // How long after advance() the frame it ran is seen (drawing it, showing it). A stream that
    // drives the timeline then picks the frame heard halfway through the time it stays on screen
    // (until the next one is seen: a frame interval, or this delay when drawing is slower), so
    // that the picture is never more than one frame off the sound while a frame stays up less
    // than two. 0 (the frame heard now) at first; kept across movies.
    void setPresentationDelay(double milliseconds);

    // Drawing. The stage is fitted into the whole target with the scale mode; the margin shows
    // the movie's background colour.
    void setScaleMode(ScaleMode mode);
    ScaleMode scaleMode() const;
    void setQuality(Quality quality);
    Quality quality() const;
    void render(QImage& target) const;
    QImage render(QSize size) const;
    // Maps a point of a view of `viewSize` pixels to stage pixels through the scale mode.
    QPointF viewToStage(QPointF viewPoint, QSize viewSize) const;

    // Input, in stage pixels (use viewToStage). keyCode is Flash's key code, charCode the
    // character typed (0 for none).
    void mouseMove(QPointF stagePoint);
    void mouseDown(QPointF stagePoint, MouseButton button = MouseButton::Left);
    void mouseUp(QPointF stagePoint, MouseButton button = MouseButton::Left);
    void mouseLeave();
    void keyDown(int keyCode, char16_t charCode);
    void keyUp(int keyCode, char16_t charCode);
    bool wantsHandCursor() const;  // the pointer is over an active button or clip

    // Sound: fills `frames` stereo frames of 16-bit samples at 44,100 Hz (interleaved left,
    // right) with the mix, advancing the sound clock. Returns frames written (always `frames`:
    // silence when nothing sounds).
    static constexpr int kSampleRate = 44100;
    std::size_t pullAudio(std::span<std::int16_t> interleavedStereo);
    // The frames the output has taken with pullAudio but not played yet (its buffer, as far as
    // it knows): the stream that drives the timeline is then followed as it is heard rather than
    // as it is pulled. Kept across movies; 0 at first.
    void setAudioOutputLatency(std::int64_t frames);

    // Callbacks into the host.
    void onTrace(std::function<void(const std::string&)> handler);
    // A URL the movie asks to open (getURL). Only http, https and mailto reach the handler.
    void onUrlRequest(std::function<void(const std::string& url, const std::string& target)> handler);
    void onFsCommand(std::function<void(const std::string& command, const std::string& args)> handler);
    // Problems that stop only part of a movie (a limit hit, a script error, a bad tag skipped).
    void onWarning(std::function<void(const std::string&)> handler);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace swf
