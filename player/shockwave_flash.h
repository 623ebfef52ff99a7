#pragma once
// ShockwaveFlash1, the window's player control. It is three things:
// - the container: a widget over the player area that the window shows and hides and that takes
//   focus like the player does;
// - the control's automation interface (FlashDispatch): calls by dispatch id with variant
//   arguments, turned into calls on the movie engine it hosts;
// - the view: the movie drawn over the control's area at the movie's frame rate, the mouse and
//   the keyboard passed to the movie, the movie's URL requests passed to the desktop, and the
//   right-click menu. A movie that cannot be played leaves a message in the area instead.
//
// Its settings are those the control was placed with: a loaded movie starts at once and loops,
// quality high, the whole stage shown in its own proportions and the margin in the movie's
// background colour. Without a movie every call has no visible effect.
//
// Sound: the engine mixes it; the control's sound output (the sound device, see
// DeviceSoundOutput) plays the mix of the movie loaded, from its load until the next movie, a
// failed load or a new engine. The toolbar's stop halts the movie's stream sound with its
// timeline. Without a sound device the movie plays silently.

#include <memory>
#include <optional>

#include <QImage>
#include <QWidget>

#include "player/flash_dispatch.h"
#include "player/frame_clock.h"
#include "player/movie_engine.h"
#include "player/sound_output.h"
#include "player/unplayable_movie.h"

class QMenu;

class ShockwaveFlash : public QWidget, public FlashDispatch {
    Q_OBJECT

public:
    explicit ShockwaveFlash(QWidget* parent = nullptr);
    ~ShockwaveFlash() override;

    // The engine that plays the control's movies: our SWF engine unless replaced (tests put a
    // scripted one in its place). The control gives it its settings. Replacing the engine drops
    // the movie the old one held.
    void setEngine(std::unique_ptr<MovieEngine> engine);
    MovieEngine* engine() const { return engine_.get(); }
    // Where the sound goes: the sound device unless replaced (tests put a recording output in
    // its place). The output plays the movie loaded from the next load on.
    void setSoundOutput(std::unique_ptr<SoundOutput> output);
    SoundOutput* soundOutput() const { return sound_.get(); }

    // The automation interface, as the control itself answers it.
    void putProperty(int dispid, const QVariant& value) override;
    void invoke(int dispid, const QVariantList& arguments) override;

    // Where the named calls below go: the control itself, unless another target (a test's
    // recorder) has been put in its place. nullptr restores the control.
    void setDispatchTarget(FlashDispatch* target);
    FlashDispatch& dispatchTarget() const { return *target_; }

    // The calls the window's handlers make, by name.
    void setPlaying(bool playing);        // Playing (125), true as -1
    void setMovie(const QString& path);   // Movie (102)
    void Play();                          // 112
    void Stop();                          // 113
    void Back();                          // 114
    void Forward();                       // 115
    void Rewind();                        // 116

    // The message shown in place of the last movie, while it could not be played.
    const std::optional<UnplayableMovie>& unplayable() const { return unplayable_; }

    // The right-click menu as it stands now: play (checked while playing), loop, rewind, step
    // forward, step back, and the three qualities.
    std::unique_ptr<QMenu> createContextMenu();

    // The picture last drawn for the view (device pixels); null while no movie is loaded.
    const QImage& shownFrame() const { return frame_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool hasMovie() const { return engine_ && engine_->hasMovie(); }
    void loadMovie(const QString& path);
    void stopSound();
    void control(void (MovieEngine::*call)());
    void onBeat(double elapsedMs);
    // Draws the engine's current frame and repaints the view when the picture changed.
    void refreshFrame();
    void refreshCursor();
    QPointF toStage(QPointF viewPoint) const;
    void paintUnplayable(QPainter& painter) const;

    std::unique_ptr<MovieEngine> engine_;
    std::unique_ptr<SoundOutput> sound_;  // after the engine: stops calling it before it goes
    FlashDispatch* target_ = this;
    std::optional<UnplayableMovie> unplayable_;
    QImage frame_;  // what the view shows
    QImage back_;   // where the next frame is drawn, to be compared with frame_
    bool handCursor_ = false;
    double drawMs_ = 0;  // drawing a frame takes about this long (smoothed)
    FrameClock clock_;  // declared last: it stops before the engine goes
};
