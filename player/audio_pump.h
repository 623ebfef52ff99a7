#pragma once
// What the control's sound device reads: the movie engine's mix, 44.1 kHz stereo 16-bit, taken
// from the engine as the device asks for it. The device reads on its own thread while the
// control attaches and detaches engines on its thread; once attach() returns, the engine
// attached before is no longer called.
//
// Before each piece it hands over, the pump tells the engine how much sound the device will
// then hold unplayed (what the device says it holds, plus the piece), so that a movie that
// follows its sound follows what is heard rather than what was taken.

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include <QIODevice>

class MovieEngine;

class AudioPump : public QIODevice {
    Q_OBJECT

public:
    static constexpr int kSampleRate = 44100;
    static constexpr int kBytesPerFrame = 4;  // two 16-bit samples

    explicit AudioPump(QObject* parent = nullptr);

    // The engine to take sound from; nullptr gives silence.
    void attach(MovieEngine* engine);
    // How many of the frames given since the last reset the device holds unplayed, as far as it
    // knows. Called on the reading thread while a piece is read, with the frames given so far.
    using HeldFrames = std::function<std::int64_t(std::int64_t given)>;
    void setHeldFrames(HeldFrames held);
    // A new start of the device: nothing given yet.
    void resetCount();
    std::int64_t framesGiven() const;

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    mutable std::mutex mutex_;
    MovieEngine* engine_ = nullptr;
    HeldFrames held_;
    std::int64_t given_ = 0;
    std::vector<std::int16_t> scratch_;
};
