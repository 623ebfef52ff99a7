// Picture in step with sound: an output that plays at real-time pace (topping up a 100 ms
// buffer every 10 ms and telling the player how much it holds) while the player is advanced by
// wall time, sometimes late as a slow renderer makes it. After the output has played T seconds,
// the frame shown is within one frame of the frame whose sound is heard, also after a stop and
// play and after a goto.

#include <random>

#include "swf/audio/audio_test_support.h"  // tests/swf/audio
#include "sound_test_support.h"

namespace swf {
namespace {

using test::kPcm44Mono16;
using test::kSamplesPerFrameAt10;
using writer::MovieWriter;

constexpr std::int64_t kStepFrames = 441;      // 10 ms
constexpr std::int64_t kBufferFrames = 4410;   // 100 ms
constexpr std::int64_t kPeriodFrames = 1024;   // what the output takes at once

// The output: every 10 ms it plays 10 ms from its buffer and tops it up in periods; it keeps
// every sample it took, so that what is heard at any moment is known.
class PacedOutput {
public:
    explicit PacedOutput(Player& player) : player_(player) {}

    void step()
    {
        played_ += kStepFrames;
        while (taken() - played_ < kBufferFrames) {
            std::vector<std::int16_t> period(2 * kPeriodFrames);
            player_.pullAudio(period);
            samples_.insert(samples_.end(), period.begin(), period.end());
        }
        player_.setAudioOutputLatency(taken() - played_);
    }
    std::int64_t taken() const { return static_cast<std::int64_t>(samples_.size() / 2); }
    std::int64_t played() const { return played_; }
    // The left sample being heard now.
    int heardSample() const { return samples_.at(static_cast<std::size_t>(2 * (played_ - 1))); }

private:
    Player& player_;
    std::vector<std::int16_t> samples_;
    std::int64_t played_ = 0;
};

// Runs `ms` of time in 10 ms output steps; the player is advanced every `advanceEvery()`
// milliseconds (a slow renderer advances late, by all the time gone by), and `check` runs after
// every advance.
template <typename Every, typename Check>
void run(Player& player, PacedOutput& output, int ms, Every advanceEvery, Check check)
{
    int sinceAdvance = 0;
    int next = advanceEvery();
    for (int t = 0; t < ms; t += 10) {
        output.step();
        sinceAdvance += 10;
        if (sinceAdvance >= next) {
            player.advance(sinceAdvance);
            sinceAdvance = 0;
            next = advanceEvery();
            check();
        }
    }
}

// The level stream: frame f's sound is a flat level of 10 * (f + 1), so the sample heard names
// its frame.
writer::Bytes levelStreamMovie(int frames)
{
    MovieWriter m(8, {0, 2000, 0, 2000}, 10);
    m.soundStreamHead(kPcm44Mono16, kSamplesPerFrameAt10);
    for (int f = 0; f < frames; ++f) m.soundStreamBlock(test::pcmLevel(kSamplesPerFrameAt10, 10 * (f + 1))).showFrame();
    return m.build();
}

// The frame (0-based) whose sound is heard; nothing during silence or a smoothing ramp.
std::optional<int> heardFrame(const PacedOutput& output)
{
    const int level = output.heardSample();
    if (level <= 0 || level % 10 != 0) return std::nullopt;
    return level / 10 - 1;
}

TEST(PlayerSync, ThePictureFollowsTheSoundHeard)
{
    for (const int slowest : {10, 100, 250}) {
        SCOPED_TRACE("advances up to " + std::to_string(slowest) + " ms apart");
        Player player;
        test::load(player, levelStreamMovie(400));
        PacedOutput output(player);
        std::mt19937 random(7);
        const auto every = [&] { return 10 * static_cast<int>(1 + random() % static_cast<unsigned>(slowest / 10)); };
        int checked = 0;
        // What the output held when the sound jumped (a stop, a goto) is still heard first.
        std::int64_t jumpedAt = 0;
        const auto inStep = [&] {
            const auto heard = heardFrame(output);
            if (!heard || output.played() <= jumpedAt) return;
            ++checked;
            ASSERT_LE(std::abs(player.currentFrame() - 1 - *heard), 1)
                << "at " << output.played() << " frames played, hearing frame " << *heard;
        };
        // Continuous play: after T seconds heard, the frame is T x 10 (within one).
        run(player, output, 8000, every, [&] {
            inStep();
            const double seconds = static_cast<double>(output.played()) / 44100;
            ASSERT_LE(std::abs(player.currentFrame() - 1 - static_cast<int>(seconds * 10)), 1) << seconds << " s";
        });
        // Stop: the sound and the picture hold; play: both go on together.
        player.stop();
        const int held = player.currentFrame();
        run(player, output, 1000, every, [&] { ASSERT_EQ(player.currentFrame(), held); });
        player.play();
        jumpedAt = output.taken();
        run(player, output, 3000, every, inStep);
        // A goto while playing: the sound starts again at that frame.
        player.gotoFrame(300, true);
        jumpedAt = output.taken();
        run(player, output, 3000, every, inStep);
        EXPECT_GT(checked, 100);
        EXPECT_GT(player.currentFrame(), 320);
    }
}

TEST(PlayerSync, ASlowDrawingStillKeepsThePictureWithinAFrame)
{
    // Each drawing takes 1.6 to 1.9 frames, so a frame stays on screen that long: the frame drawn
    // must be the one heard halfway through that time, or the sound runs two frames ahead of it
    // before the next one is seen. The host tells the player how long drawing takes.
    for (const int drawMs : {160, 190}) {
        SCOPED_TRACE(std::to_string(drawMs) + " ms a drawing");
        Player player;
        test::load(player, levelStreamMovie(300));
        PacedOutput output(player);
        int shown = -1, drawing = 0;
        int busy = 0, sinceAdvance = 0, checked = 0;
        const auto draw = [&] {
            drawing = player.currentFrame() - 1;
            busy = drawMs;
            player.setPresentationDelay(drawMs);
        };
        draw();  // the first frame, drawn at load
        for (int t = 10; t <= 20000; t += 10) {
            output.step();
            sinceAdvance += 10;
            busy -= 10;
            if (busy == 0) shown = drawing;  // the drawing done is seen
            const auto heard = heardFrame(output);
            if (t > 1000 && heard && shown >= 0) {
                ++checked;
                ASSERT_LE(std::abs(*heard - shown), 1) << "at " << t << " ms";
            }
            // The frame clock: a beat every frame, or as soon as drawing is done when it is slower.
            if (busy <= 0 && sinceAdvance >= 100) {
                player.advance(sinceAdvance);
                sinceAdvance = 0;
                draw();
            }
        }
        EXPECT_GT(checked, 1500);
    }
}

TEST(PlayerSync, AnMp3StreamKeepsThePictureWithinAFrame)
{
    // 22,050 Hz MP3 at 24 frames a second, spread over the frames as an authoring tool does.
    const auto one = audio::test::readFile(audio::test::dataPath("chirp_mono_22050.mp3"));
    ASSERT_FALSE(one.empty());
    std::vector<std::uint8_t> mp3;
    for (int i = 0; i < 20; ++i) mp3.insert(mp3.end(), one.begin(), one.end());  // 13 s
    const auto blocks = audio::test::mp3StreamBlocks(mp3, 22050, 24, 1105);
    MovieWriter m(8, {0, 2000, 0, 2000}, 24);
    m.soundStreamHead(0x2a, static_cast<std::uint16_t>(22050 / 24), 1105);
    for (const auto& block : blocks) m.soundStreamBlock(block).showFrame();
    Player player;
    test::load(player, m.build());
    ASSERT_GT(player.info().frameCount, 250);

    PacedOutput output(player);
    // Where the sound heard should be: the stream's start frame plus the time heard since it
    // started (sound taken before the start was heard first).
    int startFrame = 0;
    std::int64_t startedAt = 0;
    const auto check = [&] {
        const std::int64_t since = std::max<std::int64_t>(0, output.played() - startedAt);
        const int expected = startFrame + static_cast<int>(since * 24 / 44100);
        ASSERT_LE(std::abs(player.currentFrame() - 1 - expected), 1) << output.played() << " frames played";
    };
    std::mt19937 random(3);
    const auto every = [&] { return 10 * static_cast<int>(1 + random() % 12); };
    run(player, output, 5000, every, check);
    player.stop();
    run(player, output, 500, every, [] {});
    player.play();
    startFrame = player.currentFrame();  // the next frame, 0-based
    startedAt = output.taken();
    run(player, output, 2000, every, check);
    player.gotoFrame(40, true);
    startFrame = 39;
    startedAt = output.taken();
    run(player, output, 2000, every, check);
}

}  // namespace
}  // namespace swf
