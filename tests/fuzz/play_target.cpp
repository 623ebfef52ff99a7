// Fuzz target: the public player on raw bytes. Plays a few hundred frames, pulls the sound of
// each frame (scripts run), sends a click and a key, and renders every 25th frame into a small image.

#include <array>
#include <vector>

#include <QImage>

#include "fuzz_targets.h"
#include "swf/player.h"

namespace vantoro::fuzz {

namespace {

constexpr int kFrames = 300;
constexpr int kRenderEvery = 25;
constexpr int kAudioFramesPerTick = 1470;  // 1/30 s at 44.1 kHz
constexpr double kScriptSeconds = 0.5;

}  // namespace

int fuzzPlay(const std::uint8_t* data, std::size_t size)
{
    swf::Player player;
    // A script that loops for ever is stopped by the time limit; a short one keeps inputs fast.
    player.setScriptTimeLimit(kScriptSeconds);
    try {
        player.loadBytes(std::vector<std::uint8_t>(data, data + size));
    } catch (const swf::LoadError&) {
        return 0;
    }
    QImage image(64, 48, QImage::Format_ARGB32_Premultiplied);
    std::vector<std::int16_t> audio(2 * kAudioFramesPerTick);
    for (int frame = 0; frame < kFrames; ++frame) {
        player.tick();
        player.pullAudio(audio);
        if (frame == 3) {
            player.mouseMove({10, 10});
            player.mouseDown({10, 10});
            player.keyDown(65, u'a');
        }
        if (frame == 4) {
            player.mouseUp({10, 10});
            player.keyUp(65, u'a');
        }
        if (frame % kRenderEvery == 0) player.render(image);
    }
    // A jump back rebuilds the display list from the first frame.
    player.gotoFrame(1, false);
    player.render(image);
    return 0;
}

}  // namespace vantoro::fuzz
