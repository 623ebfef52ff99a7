#pragma once
// The beat that runs a movie at its frame rate. A precise single-shot timer is aimed at each
// frame's start; every firing reports the wall time since the one before, which the engine turns
// into frames. When the event loop was held up for longer than a frame, the next firing reports
// the whole delay once and the beat restarts from now: late frames are dropped, not piled up.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class FrameClock : public QObject {
    Q_OBJECT

public:
    explicit FrameClock(QObject* parent = nullptr);

    // Starts (or restarts) beating every `intervalMs` milliseconds.
    void start(double intervalMs);
    void stop();
    bool isRunning() const { return timer_.isActive(); }
    double intervalMs() const { return intervalMs_; }

    // The interval a movie runs at: its frame interval, kept to 1 to 120 frames a second.
    static double clampInterval(double frameIntervalMs);

signals:
    // A frame is due; `elapsedMs` is the wall time since the last beat (or the start).
    void beat(double elapsedMs);

private:
    void fire();
    void aim();

    QTimer timer_;
    QElapsedTimer wall_;
    double intervalMs_ = 0;
    qint64 lastBeatNs_ = 0;
    qint64 nextBeatNs_ = 0;
};
