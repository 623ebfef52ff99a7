#pragma once
// Where the player control's sound goes. The control starts the output with the engine of each
// movie it loads and stops it before that engine or its movie goes; DeviceSoundOutput plays
// through the sound device, and tests put a recording output in its place.

class MovieEngine;

class SoundOutput {
public:
    virtual ~SoundOutput() = default;

    // Plays `engine`'s mix from now on, in place of whatever played before (sound held from
    // before is dropped). False when there is nothing to play it on: the movie then plays
    // silently and keeps its frames by wall time.
    virtual bool start(MovieEngine& engine) = 0;
    // When this returns, the engine of the last start is no longer called.
    virtual void stop() = 0;
    // Whether a device takes the sound now.
    virtual bool isPlaying() const = 0;
};
