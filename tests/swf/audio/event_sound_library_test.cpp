// The event sounds of a movie decoded once, ahead of use: the same result however far the
// worker got, one decoded object per sound whoever asks first, warnings given once on the
// asking thread, the preload budget, and decoding that can be called off.

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "audio_test_support.h"
#include "swf/audio/event_sound_library.h"

namespace swf::audio {
namespace {

struct Sources {
    std::shared_ptr<std::vector<std::vector<std::uint8_t>>> bytes = std::make_shared<std::vector<std::vector<std::uint8_t>>>();
    std::map<std::uint16_t, EventSoundSource> map;

    void add(std::uint16_t id, std::uint8_t formatByte, std::vector<std::uint8_t> data, std::uint32_t sampleCount = 0)
    {
        bytes->push_back(std::move(data));
        map[id] = EventSoundSource{SoundFormat::fromByte(formatByte), sampleCount, bytes->back()};
    }
};

// The test MP3 repeated (about 6.5 s), as MP3SOUNDDATA.
std::vector<std::uint8_t> longMp3()
{
    const auto one = test::readFile(test::dataPath("chirp_mono_22050.mp3"));
    std::vector<std::uint8_t> mp3;
    for (int i = 0; i < 10; ++i) mp3.insert(mp3.end(), one.begin(), one.end());
    return test::mp3SoundData(mp3, 1105);
}

Sources threeSounds()
{
    Sources s;
    s.bytes->reserve(3);
    s.add(1, 0x3e, {1, 0, 2, 0, 3, 0});
    s.add(2, 0x2a, longMp3());
    s.add(3, 0xb2, std::vector<std::uint8_t>(64, 1));  // Speex: cannot be decoded
    return s;
}

TEST(EventSoundLibrary, DecodesAheadTheSameSoundsAsOnDemand)
{
    Sources s = threeSounds();
    EventSoundLibrary ahead(s.map, s.bytes);
    EventSoundLibrary onDemand(s.map, s.bytes, 0);
    ahead.waitForPreload();
    EXPECT_TRUE(ahead.isDecoded(1));
    EXPECT_TRUE(ahead.isDecoded(2));
    EXPECT_FALSE(onDemand.isDecoded(2));
    for (std::uint16_t id : {1, 2}) {
        const auto a = ahead.get(id);
        const auto b = onDemand.get(id);
        ASSERT_TRUE(a && b);
        EXPECT_EQ(a->samples, b->samples);
        EXPECT_EQ(a->sampleRate, b->sampleRate);
        EXPECT_EQ(a, ahead.get(id)) << "one decoded object per sound";
    }
    EXPECT_GT(ahead.get(2)->frames(), 22050u * 6);
    EXPECT_FALSE(ahead.get(3));
    EXPECT_FALSE(ahead.get(99));
}

TEST(EventSoundLibrary, WarningsComeOnceToTheFirstToAsk)
{
    Sources s = threeSounds();
    EventSoundLibrary library(s.map, s.bytes);
    library.waitForPreload();
    std::vector<std::string> warnings;
    const WarningHandler collect = [&](const std::string& w) { warnings.push_back(w); };
    EXPECT_FALSE(library.get(3, collect));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("Speex"), std::string::npos);
    library.get(3, collect);
    library.get(1, collect);
    EXPECT_EQ(warnings.size(), 1u);
}

TEST(EventSoundLibrary, TheBudgetLimitsWhatIsDecodedAhead)
{
    Sources s = threeSounds();
    EventSoundLibrary library(s.map, s.bytes, 1);  // the first sound uses it up
    library.waitForPreload();
    EXPECT_TRUE(library.isDecoded(1));
    EXPECT_FALSE(library.isDecoded(2));
    ASSERT_TRUE(library.get(2));
    EXPECT_TRUE(library.isDecoded(2));
}

// Each round also destroys the library while its worker may still be decoding.
TEST(EventSoundLibrary, ThreadsAskingAtOnceGetTheSameSound)
{
    for (int round = 0; round < 5; ++round) {
        Sources s = threeSounds();
        EventSoundLibrary library(s.map, s.bytes);
        std::vector<std::shared_ptr<const DecodedSound>> got(4);
        std::vector<std::thread> threads;
        for (std::size_t t = 0; t < got.size(); ++t) threads.emplace_back([&, t] { got[t] = library.get(2); });
        for (auto& thread : threads) thread.join();
        ASSERT_TRUE(got[0]);
        EXPECT_EQ(std::set(got.begin(), got.end()).size(), 1u);
    }
}

TEST(EventSoundLibrary, DecodingCanBeCalledOffBetweenPieces)
{
    const auto data = longMp3();
    int asked = 0;
    const auto sound = decodeEventSound(SoundFormat::fromByte(0x2a), 0, data, {}, [&] { return ++asked > 1; });
    EXPECT_FALSE(sound);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(decodeEventSound(SoundFormat::fromByte(0x2a), 0, data, {}, [] { return false; }));
}

}  // namespace
}  // namespace swf::audio
