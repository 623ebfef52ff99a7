#pragma once
// The control's sound on the default sound device: a QAudioSink (44.1 kHz stereo 16-bit, about
// 100 ms of buffer) in pull mode, reading an AudioPump. The sink and the pump live on a thread
// of their own, so that a slow frame on the control's thread does not starve the device; the
// engine is called there only through the pump (see MovieEngine::pullAudio).
//
// Without a device, with a format the device refuses, or when the device fails while playing,
// nothing plays and nothing fails: the engine, no longer asked for sound, keeps wall time.
// Destroying the output stops the sink and ends its thread.

#include <atomic>
#include <memory>

#include <QThread>

#include "player/sound_output.h"

class DeviceSoundOutput final : public SoundOutput {
public:
    static constexpr int kBufferMs = 100;

    DeviceSoundOutput();
    ~DeviceSoundOutput() override;
    DeviceSoundOutput(const DeviceSoundOutput&) = delete;
    DeviceSoundOutput& operator=(const DeviceSoundOutput&) = delete;

    // Whether the system has a default sound output now.
    static bool deviceAvailable();

    bool start(MovieEngine& engine) override;
    void stop() override;
    bool isPlaying() const override;

private:
    class Sink;
    QThread thread_;
    Sink* sink_ = nullptr;  // lives on thread_, deleted when it finishes
};
