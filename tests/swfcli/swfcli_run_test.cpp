// swfcli run and features: frames and ticks, pictures at a frame, sound files, input files,
// and the exit codes for movies it cannot load or can only partly play.

#include <QImage>

#include <gtest/gtest.h>

#include "support/swf_writer.h"
#include "swfcli_test_support.h"

namespace {

using swfcli_test::runSwfcli;
using swfcli_test::writeTemp;

swf::ShapeDefinition square(std::uint16_t id, swf::Rgba color)
{
    swf::ShapeDefinition s;
    s.id = id;
    s.shapeVersion = 3;
    s.bounds = s.edgeBounds = {0, 4000, 0, 2000};
    swf::FillStyle f;
    f.color = color;
    s.shape.fills = {f};
    swf::StyleChange sc;
    sc.hasMove = sc.hasFill0 = true;
    sc.fill0 = 1;
    s.shape.records = {sc, swf::StraightEdge{{4000, 0}}, swf::StraightEdge{{4000, 2000}}, swf::StraightEdge{{0, 2000}},
                       swf::StraightEdge{{0, 0}}};
    return s;
}

// Frame n (1-based) shows colour n: red, green, blue, then the background.
swf::writer::Bytes colourFrames()
{
    swf::writer::MovieWriter m(8, {0, 4000, 0, 2000}, 10);
    m.setBackground({0, 0, 0, 255});
    m.shape(square(1, {255, 0, 0, 255})).shape(square(2, {0, 255, 0, 255})).shape(square(3, {0, 0, 255, 255}));
    m.place(1, 1).showFrame();
    swf::PlaceObject replace;
    replace.placeVersion = 2;
    replace.depth = 1;
    replace.move = true;
    replace.characterId = 2;
    m.place(replace).showFrame();
    replace.characterId = 3;
    m.place(replace).showFrame();
    m.remove(1).showFrame();
    return m.build();
}

QRgb centre(const std::string& png)
{
    QImage image(QString::fromStdString(png));
    EXPECT_FALSE(image.isNull()) << png;
    return image.isNull() ? 0 : image.pixel(image.width() / 2, image.height() / 2);
}

TEST(SwfcliRun, PicturesAfterTheLastIterationOrAtOne)
{
    const std::string movie = writeTemp("colours.swf", colourFrames());
    const std::string png = movie + ".png";
    auto run = runSwfcli("run '" + movie + "' --frames 2 --png '" + png + "'");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(centre(png), qRgb(0, 255, 0));
    EXPECT_EQ(QImage(QString::fromStdString(png)).size(), QSize(200, 100)) << "the movie's own size";

    run = runSwfcli("run '" + movie + "' --frames 4 --png '" + png + "' --at 3 --size 60x40");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(centre(png), qRgb(0, 0, 255));
    EXPECT_EQ(QImage(QString::fromStdString(png)).size(), QSize(60, 40));

    // Ticks of half a frame: 5 ticks are 4 half frames of time after the first.
    run = runSwfcli("run '" + movie + "' --ticks 5 --tick-ms 50 --png '" + png + "'");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(centre(png), qRgb(0, 0, 255));
    run = runSwfcli("run '" + movie + "' --ticks 4 --png '" + png + "'");  // one frame a tick
    EXPECT_EQ(centre(png), qRgb(0, 0, 0));
}

TEST(SwfcliRun, WritesTheMixOfTheFramesRun)
{
    swf::writer::MovieWriter m(8, {0, 2000, 0, 2000}, 10);
    std::vector<std::uint8_t> pcm;
    for (int i = 0; i < 4410; ++i) {
        const int v = (i / 20) % 2 ? 12000 : -12000;
        pcm.push_back(static_cast<std::uint8_t>(v & 0xff));
        pcm.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
    }
    m.defineSound(1, 0x3e, 4410, pcm);
    m.showFrame().startSound(1).showFrame().showFrame();
    const std::string movie = writeTemp("sound.swf", m.build());
    const std::string wav = movie + ".wav";
    auto run = runSwfcli("run '" + movie + "' --frames 3 --wav '" + wav + "'");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    std::ifstream in(wav, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 44u + 3 * 4410 * 4) << "three frames at 10 fps, stereo 16-bit";
    auto sampleAt = [&](std::size_t frame) {
        const std::size_t at = 44 + frame * 4;
        return static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[at]) | (static_cast<std::uint8_t>(bytes[at + 1]) << 8));
    };
    EXPECT_EQ(sampleAt(100), 0) << "the first frame is silent";
    EXPECT_GT(std::abs(int(sampleAt(4410 + 30))), 10000) << "the sound starts with the second frame";
    auto again = runSwfcli("run '" + movie + "' --frames 3 --wav '" + wav + ".2'");
    std::ifstream in2(wav + ".2", std::ios::binary);
    std::vector<char> bytes2((std::istreambuf_iterator<char>(in2)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, bytes2) << "the same every time";
}

TEST(SwfcliRun, AStreamDrivesTheFramesTheSameWithOrWithoutASoundFile)
{
    // 10 fps; frame f has a background of red f and one frame of stream sound.
    swf::writer::MovieWriter m(8, {0, 2000, 0, 2000}, 10);
    m.soundStreamHead(0x3e, 4410);
    const std::vector<std::uint8_t> block(2 * 4410, 0x10);
    for (int f = 0; f < 100; ++f) m.setBackground({static_cast<std::uint8_t>(f), 0, 0, 255}).soundStreamBlock(block).showFrame();
    const std::string movie = writeTemp("stream.swf", m.build());
    // Two seconds a tick: wall time alone would drop the backlog and run one frame a tick; the
    // sound taken says twenty frames went by.
    const std::string png = movie + ".png";
    auto run = runSwfcli("run '" + movie + "' --ticks 3 --tick-ms 2000 --png '" + png + "'");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(qRed(centre(png)), 40);
    const std::string wav = movie + ".wav";
    run = runSwfcli("run '" + movie + "' --ticks 3 --tick-ms 2000 --png '" + png + "' --wav '" + wav + "'");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(qRed(centre(png)), 40);
}

TEST(SwfcliRun, ErrorsAndDamagedMovies)
{
    auto run = runSwfcli("run /nonexistent.swf --frames 1");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("cannot load"), std::string::npos) << run.output;
    const std::string notSwf = writeTemp("not.swf", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
    run = runSwfcli("run '" + notSwf + "' --frames 1");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("not a SWF"), std::string::npos) << run.output;

    swf::writer::Bytes cut = colourFrames();
    cut.resize(cut.size() - 6);  // the last frame's tags and End are gone
    const std::string movie = writeTemp("cut.swf", cut);
    const std::string png = movie + ".png";
    run = runSwfcli("run '" + movie + "' --frames 10 --png '" + png + "'");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(centre(png), qRgb(0, 0, 255)) << "plays its whole frames and holds on the last";

    EXPECT_EQ(runSwfcli("run '" + movie + "' --frames 0").exitCode, 2);
    EXPECT_EQ(runSwfcli("run '" + movie + "' --frames 2 --png x.png --at 3").exitCode, 2);
    EXPECT_EQ(runSwfcli("run '" + movie + "' --frames 2 --size 10").exitCode, 2);
    EXPECT_EQ(runSwfcli("run '" + movie + "' --frames 2 --bogus").exitCode, 2);
}

TEST(SwfcliRun, ReadsInputEventsAndListsFeatures)
{
    const std::string movie = writeTemp("input.swf", colourFrames());
    const std::string events = writeTemp("events.json", {});
    std::ofstream(events) << R"([{"type": "MouseMove", "pos": [20, 20]}, {"type": "Wait"},
        {"type": "MouseDown", "pos": [20, 20], "btn": "Left"}, {"type": "KeyDown", "key": "Tab"},
        {"type": "TextInput", "codepoint": "x"}, {"type": "Something"}])";
    EXPECT_EQ(runSwfcli("run '" + movie + "' --frames 3 --input '" + events + "'").exitCode, 0);
    std::ofstream(events) << "{not json";
    EXPECT_EQ(runSwfcli("run '" + movie + "' --frames 3 --input '" + events + "'").exitCode, 1);

    const auto features = runSwfcli("features");
    EXPECT_EQ(features.exitCode, 0);
    EXPECT_NE(features.output.find("render\n"), std::string::npos);
    EXPECT_NE(features.output.find("sound\n"), std::string::npos);
    EXPECT_EQ(features.output.find("scripts"), std::string::npos);
}

}  // namespace
