// The player control's sound: the pump a device reads (latency told to the engine so that the
// picture follows what is heard; engines attached and detached while it reads), the sound
// device output without a device, and the control starting and stopping its output with the
// movie, its toolbar and its engine.
#include <atomic>
#include <memory>
#include <thread>

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "fake_engine.h"
#include "player/audio_pump.h"
#include "player/device_sound_output.h"
#include "player/shockwave_flash.h"
#include "player/swf_movie_engine.h"
#include "support/swf_writer.h"

namespace {

constexpr int kFps = 30;
constexpr int kSamplesPerFrame = 44100 / kFps;

// A 30 fps movie with stream sound: frame f's sound is a flat level of 10 * (f + 1) (the
// sample heard names its frame), and its background's red is f (the picture names its frame).
std::vector<std::uint8_t> streamMovie(int frames)
{
    swf::writer::MovieWriter m(8, {0, 2000, 0, 2000}, kFps);
    m.soundStreamHead(0x3e, kSamplesPerFrame);
    for (int f = 0; f < frames; ++f) {
        std::vector<std::uint8_t> block;
        for (int i = 0; i < kSamplesPerFrame; ++i) {
            const int level = 10 * (f + 1);
            block.push_back(static_cast<std::uint8_t>(level & 0xff));
            block.push_back(static_cast<std::uint8_t>(level >> 8));
        }
        m.setBackground({static_cast<std::uint8_t>(f), 0, 0, 255}).soundStreamBlock(block).showFrame();
    }
    return m.build();
}

// The scripted engine with a real player's sound and clock.
class PlayerEngine : public FakeEngine {
public:
    explicit PlayerEngine(swf::Player& player) : player_(player) {}
    std::size_t pullAudio(std::span<std::int16_t> stereo) override { return player_.pullAudio(stereo); }
    void setAudioOutputLatency(std::int64_t frames) override { player_.setAudioOutputLatency(frames); }

private:
    swf::Player& player_;
};

TEST(AudioPump, TellsTheEngineWhatTheDeviceHoldsSoThePictureFollowsWhatIsHeard)
{
    swf::Player player;
    player.loadBytes(streamMovie(300));
    PlayerEngine engine(player);
    AudioPump pump;
    ASSERT_TRUE(pump.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    pump.attach(&engine);
    // A device with 100 ms of buffer (three frames) that plays 10 ms at a time and reads 1024
    // frames whenever it has room.
    std::int64_t played = 0;
    pump.setHeldFrames([&](std::int64_t given) { return given - played; });
    std::vector<std::int16_t> heard;
    int checked = 0;
    for (int step = 0; step < 500; ++step) {
        played += 441;
        while (pump.framesGiven() - played < 4410) {
            QByteArray piece = pump.read(1024 * AudioPump::kBytesPerFrame);
            ASSERT_EQ(piece.size(), 1024 * AudioPump::kBytesPerFrame);
            const auto* samples = reinterpret_cast<const std::int16_t*>(piece.constData());
            heard.insert(heard.end(), samples, samples + 2048);
        }
        player.advance(10);
        const int level = heard.at(static_cast<std::size_t>(2 * (played - 1)));
        if (level % 10 != 0 || level == 0)
            continue;
        ++checked;
        ASSERT_LE(std::abs(player.currentFrame() - level / 10), 1) << "step " << step;
    }
    EXPECT_GT(checked, 400);
    EXPECT_GT(player.currentFrame(), 140);
}

// Counts the pulls that reach it.
class CountingEngine : public FakeEngine {
public:
    std::size_t pullAudio(std::span<std::int16_t> stereo) override
    {
        ++pulls;
        std::fill(stereo.begin(), stereo.end(), std::int16_t{1000});
        return stereo.size() / 2;
    }
    std::atomic<int> pulls{0};
};

TEST(AudioPump, AnEngineDetachedIsNoLongerCalledWhileTheDeviceReadsOn)
{
    AudioPump pump;
    ASSERT_TRUE(pump.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    std::atomic<bool> done{false};
    std::atomic<int> lastLevel{0};
    std::thread device([&] {
        char piece[256 * AudioPump::kBytesPerFrame];
        while (!done) {
            pump.read(piece, sizeof piece);
            lastLevel = *reinterpret_cast<const std::int16_t*>(piece);
        }
    });
    for (int round = 0; round < 20; ++round) {
        auto engine = std::make_unique<CountingEngine>();
        pump.attach(engine.get());
        ASSERT_TRUE(QTest::qWaitFor([&] { return engine->pulls > 0; }, 2000));
        pump.attach(nullptr);
        const int pulls = engine->pulls;
        const std::int64_t given = pump.framesGiven();
        ASSERT_TRUE(QTest::qWaitFor([&] { return pump.framesGiven() > given + 2048; }, 2000));
        EXPECT_EQ(engine->pulls, pulls);
        EXPECT_EQ(lastLevel, 0) << "silence without an engine";
    }  // each engine is destroyed while the device reads on
    done = true;
    device.join();
}

TEST(DeviceSoundOutput, StartsStopsAndEndsCleanlyWithOrWithoutADevice)
{
    FakeEngine engine;
    const bool haveDevice = DeviceSoundOutput::deviceAvailable();
    {
        DeviceSoundOutput output;
        const bool started = output.start(engine);
        EXPECT_EQ(output.isPlaying(), started);
        if (!haveDevice) {
            EXPECT_FALSE(started) << "no device: nothing plays, nothing fails";
        }
        output.stop();
        EXPECT_FALSE(output.isPlaying());
        output.start(engine);
        output.start(engine);
    }  // destroyed while started: the sink stops and its thread ends
    DeviceSoundOutput never;
}

// Records what the control asks of its output, and lets a test pull from the engine it plays.
class RecordingOutput : public SoundOutput {
public:
    explicit RecordingOutput(std::shared_ptr<std::vector<std::string>> log) : log_(std::move(log)) {}
    bool start(MovieEngine& engine) override
    {
        log_->push_back("start");
        engine_ = &engine;
        return true;
    }
    void stop() override
    {
        log_->push_back("stop");
        engine_ = nullptr;
    }
    bool isPlaying() const override { return engine_ != nullptr; }
    MovieEngine* engine() const { return engine_; }

private:
    std::shared_ptr<std::vector<std::string>> log_;
    MovieEngine* engine_ = nullptr;
};

class LoggedEngine : public FakeEngine {
public:
    explicit LoggedEngine(std::shared_ptr<std::vector<std::string>> log) : log_(std::move(log)) {}
    ~LoggedEngine() override { log_->push_back("engine gone"); }

private:
    std::shared_ptr<std::vector<std::string>> log_;
};

TEST(ControlSound, TheOutputPlaysEachMovieFromItsLoadAndStopsBeforeItsEngineGoes)
{
    auto log = std::make_shared<std::vector<std::string>>();
    using Log = std::vector<std::string>;
    {
        ShockwaveFlash control;
        auto owned = std::make_unique<RecordingOutput>(log);
        RecordingOutput* output = owned.get();
        control.setSoundOutput(std::move(owned));
        auto engine = std::make_unique<LoggedEngine>(log);
        LoggedEngine* first = engine.get();
        first->damaged.insert(QStringLiteral("broken.swf"));
        control.setEngine(std::move(engine));
        EXPECT_EQ(*log, (Log{"stop"})) << "the output stops before the default engine goes";
        log->clear();

        control.setMovie(QStringLiteral("a.swf"));
        EXPECT_EQ(output->engine(), first);
        control.Stop();
        control.Play();
        control.setMovie(QStringLiteral("b.swf"));
        control.setMovie(QStringLiteral("broken.swf"));
        EXPECT_FALSE(output->isPlaying());
        EXPECT_EQ(*log, (Log{"stop", "start", "stop", "start", "stop"})) << "the toolbar does not touch the output";
        control.setMovie(QStringLiteral("c.swf"));
        log->clear();
        control.setEngine(std::make_unique<LoggedEngine>(log));
        EXPECT_EQ(*log, (Log{"stop", "engine gone"}));
        log->clear();
    }
    EXPECT_EQ(log->front(), "stop");
    EXPECT_EQ(log->back(), "engine gone");
}

std::int16_t levelOf(MovieEngine& engine, int frames)
{
    std::vector<std::int16_t> stereo(2 * static_cast<std::size_t>(frames));
    engine.pullAudio(stereo);
    return stereo.back();
}

TEST(ControlSound, TheToolbarsStopSilencesTheStreamAndPlayResumesIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("stream.swf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const auto bytes = streamMovie(60);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    file.close();

    ShockwaveFlash control;
    auto owned = std::make_unique<RecordingOutput>(std::make_shared<std::vector<std::string>>());
    RecordingOutput* output = owned.get();
    control.setSoundOutput(std::move(owned));
    control.setMovie(path);
    ASSERT_TRUE(output->engine());
    EXPECT_EQ(levelOf(*output->engine(), 100), 10);
    control.Stop();
    EXPECT_EQ(levelOf(*output->engine(), 1000), 0);
    control.Play();
    EXPECT_GT(levelOf(*output->engine(), 100), 0);
}

TEST(ControlSound, WithoutADeviceAStreamMoviePlaysByWallTime)
{
    if (DeviceSoundOutput::deviceAvailable())
        GTEST_SKIP() << "this machine has a sound device";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("stream.swf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const auto bytes = streamMovie(200);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    file.close();

    ShockwaveFlash control;
    control.resize(100, 100);
    control.setMovie(path);
    ASSERT_FALSE(control.unplayable());
    EXPECT_FALSE(control.soundOutput()->isPlaying());
    const auto frameShown = [&] { return qRed(control.shownFrame().pixel(50, 50)); };
    EXPECT_EQ(frameShown(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frameShown() >= 10; }, 3000)) << "the picture moves on by itself";
}

}  // namespace
