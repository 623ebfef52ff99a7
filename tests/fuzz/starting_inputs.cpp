#include "starting_inputs.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>

#include "support/swf_writer.h"

namespace vantoro::fuzz {

namespace {

using swf::writer::Bytes;
using swf::writer::MovieWriter;
using swf::writer::SpriteTags;

Bytes readData(const char* name)
{
    std::ifstream in(std::filesystem::path(VANTORO_SOURCE_DIR) / "tests/swf/audio/data" / name, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// 16-bit little-endian sine samples, mono or with the same signal on both channels.
Bytes sinePcm(int rate, int frames, int channels)
{
    Bytes out;
    for (int i = 0; i < frames; ++i) {
        auto s = static_cast<std::int16_t>(8000 * std::sin(2 * std::numbers::pi * 440 * i / rate));
        for (int c = 0; c < channels; ++c) {
            out.push_back(static_cast<std::uint8_t>(s));
            out.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(s) >> 8));
        }
    }
    return out;
}

// ADPCM data: 4-bit codes (code size field 2), then one packet of a start sample, a step index
// and codes of a slow wave.
Bytes adpcmData(int packets)
{
    Bytes out{0x80};  // code size 2 (4-bit codes) in the top two bits
    for (int p = 0; p < packets; ++p) {
        out.push_back(0x00);
        out.push_back(0x00);
        out.push_back(0x20);  // step index 8 in the next six bits
        for (int i = 0; i < 600; ++i) out.push_back(static_cast<std::uint8_t>((i / 8) % 2 ? 0x77 : 0xf9));
    }
    return out;
}

Bytes action(std::initializer_list<int> bytes)
{
    Bytes out;
    for (int b : bytes) out.push_back(static_cast<std::uint8_t>(b));
    return out;
}

// Push of one string.
Bytes pushString(const std::string& s)
{
    Bytes out{0x96, static_cast<std::uint8_t>(s.size() + 2), 0x00, 0x00};
    out.insert(out.end(), s.begin(), s.end());
    out.push_back(0);
    return out;
}

Bytes pushInt(std::int32_t v)
{
    auto u = static_cast<std::uint32_t>(v);
    return action({0x96, 0x05, 0x00, 0x07, int(u & 0xff), int(u >> 8 & 0xff), int(u >> 16 & 0xff), int(u >> 24)});
}

swf::ShapeDefinition square(std::uint16_t id, swf::Rgba color)
{
    swf::ShapeDefinition def;
    def.id = id;
    def.shapeVersion = 3;
    def.bounds = def.edgeBounds = {0, 400, 0, 400};
    swf::FillStyle fill;
    fill.color = color;
    def.shape.fills.push_back(fill);
    swf::StyleChange start;
    start.hasMove = true;
    start.hasFill1 = true;
    start.fill1 = 1;
    def.shape.records = {start, swf::StraightEdge{{400, 0}}, swf::StraightEdge{{400, 400}},
                         swf::CurvedEdge{{200, 600}, {0, 400}}, swf::StraightEdge{{0, 0}}};
    return def;
}

swf::PlaceObject placeAt(std::uint16_t depth, std::uint16_t id, const char* name = nullptr)
{
    swf::PlaceObject p;
    p.placeVersion = 2;
    p.depth = depth;
    p.characterId = id;
    p.matrix = swf::Matrix{1, 0, 0, 1, 200.0 * depth, 100};
    if (name) p.name = name;
    return p;
}

Bytes soundMovie(std::uint8_t format, const Bytes& eventData, std::uint32_t samples, const std::vector<Bytes>& blocks)
{
    MovieWriter m(8, {0, 2000, 0, 2000}, 12);
    m.defineSound(1, format, samples, eventData).startSound(1);
    m.soundStreamHead(format, static_cast<std::uint16_t>(samples / std::max<std::size_t>(1, blocks.size())));
    for (const Bytes& block : blocks) m.soundStreamBlock(block).showFrame();
    return m.build(swf::Compression::Zlib);
}

std::vector<Bytes> splitInto(const Bytes& data, std::size_t pieces, const Bytes& prefix = {})
{
    std::vector<Bytes> out;
    std::size_t step = (data.size() + pieces - 1) / pieces;
    for (std::size_t at = 0; at < data.size(); at += step) {
        Bytes b = prefix;
        b.insert(b.end(), data.begin() + at, data.begin() + std::min(data.size(), at + step));
        out.push_back(std::move(b));
    }
    return out;
}

Bytes scriptedMovie()
{
    MovieWriter m(6, {0, 4000, 0, 3000}, 24);
    m.shape(square(1, {200, 40, 40, 255}));
    SpriteTags inner(6);
    inner.place(placeAt(1, 1)).showFrame().doAction(concat({pushString("inner"), action({0x26, 0x00})})).showFrame();
    m.sprite(2, inner);
    SpriteTags outer(6);
    outer.place(placeAt(1, 2, "inner")).place(placeAt(2, 2)).showFrame().remove(2).showFrame();
    m.sprite(3, outer);
    m.place(placeAt(1, 3, "clip"));
    m.doAction(concat({pushString("clip"), action({0x1c}), pushString("_x"), pushInt(50), action({0x4f}),
                       pushString("n"), pushInt(3), action({0x1d, 0x00})}));
    m.showFrame();
    m.label("second").doAction(concat({pushString("n"), action({0x1c, 0x26}), action({0x07, 0x00})})).showFrame();
    return m.build();
}

Bytes buttonMovie()
{
    MovieWriter m(8, {0, 4000, 0, 3000}, 12);
    m.shape(square(1, {40, 200, 40, 255}));
    m.shape(square(2, {40, 40, 200, 255}));
    swf::ButtonDefinition button;
    button.id = 3;
    button.buttonVersion = 2;
    swf::ButtonRecord up;
    up.up = up.over = true;
    up.characterId = 1;
    up.depth = 1;
    swf::ButtonRecord down = up;
    down.up = down.over = false;
    down.down = down.hitTest = true;
    down.characterId = 2;
    button.records = {up, down};
    Bytes onRelease = concat({pushString("released"), action({0x26, 0x00})});
    button.actions.push_back({swf::button_condition::OverDownToOverUp, 0, onRelease});
    m.button(button).place(placeAt(1, 3, "button")).showFrame().showFrame();
    return m.build(swf::Compression::Lzma);
}

}  // namespace

std::vector<NamedInput> writerMovies()
{
    Bytes mp3 = readData("chirp_mono_22050.mp3");
    Bytes nelly = readData("sine440_16000.nellymoser");
    Bytes pcm = sinePcm(11025, 5512, 1);
    Bytes adpcm = adpcmData(2);
    const Bytes mp3Header{0x40, 0x02, 0x00, 0x00};  // SampleCount 576, SeekSamples 0
    std::vector<NamedInput> out;
    out.push_back({"sound_pcm.swf", soundMovie(0x36, pcm, 5512, splitInto(pcm, 4))});
    out.push_back({"sound_pcm8_stereo.swf", soundMovie(0x05, Bytes(pcm.begin(), pcm.begin() + 4000), 2000,
                                                       splitInto(Bytes(pcm.begin(), pcm.begin() + 4000), 3))});
    out.push_back({"sound_adpcm.swf", soundMovie(0x16, adpcm, 8000, {adpcm, adpcmData(1)})});
    out.push_back({"sound_mp3.swf", soundMovie(0x2a, concat({{0x00, 0x00}, mp3}), 20000, splitInto(mp3, 6, mp3Header))});
    out.push_back({"sound_nellymoser.swf", soundMovie(0x42, nelly, 2816, splitInto(nelly, 4))});
    out.push_back({"scripted_sprites.swf", scriptedMovie()});
    out.push_back({"button.swf", buttonMovie()});
    return out;
}

std::vector<NamedInput> soundInputs()
{
    Bytes mp3 = readData("chirp_stereo_44100.mp3");
    Bytes nelly = readData("sine440_16000.nellymoser");
    const Bytes eventHeader{0x80, 0x00, 0x10, 0x00, 0x00};  // event sound, 4096 frames
    std::vector<NamedInput> out;
    out.push_back({"pcm16_stereo_stream", concat({{0x37, 0x05}, sinePcm(22050, 600, 2)})});
    out.push_back({"pcm8_mono_event", concat({{0x04}, eventHeader, Bytes(300, 0x90)})});
    out.push_back({"adpcm_mono_stream", concat({{0x16, 0x20}, adpcmData(2)})});
    out.push_back({"adpcm_stereo_event", concat({{0x17}, eventHeader, adpcmData(1), adpcmData(1)})});
    out.push_back({"mp3_stereo_stream", concat({{0x2f, 0x30}, mp3})});
    out.push_back({"mp3_event", concat({{0x2e}, eventHeader, {0x00, 0x00}, mp3})});
    out.push_back({"nellymoser16k_stream", concat({{0x42, 0x09}, nelly})});
    out.push_back({"nellymoser_event", concat({{0x6a}, eventHeader, Bytes(nelly.begin(), nelly.begin() + 256)})});
    return out;
}

std::vector<NamedInput> actionInputs()
{
    // A function that traces, called once.
    Bytes body = concat({pushString("in f"), action({0x26})});
    Bytes function = concat({action({0x9b, 0x06, 0x00, 'f', 0x00, 0x00, 0x00, int(body.size()), 0x00}), body,
                             pushInt(0), pushString("f"), action({0x3d, 0x17, 0x00})});
    std::vector<NamedInput> out;
    out.push_back({"trace_sum", concat({pushInt(2), pushInt(40), action({0x0a, 0x26, 0x00})})});
    out.push_back({"set_clip_property", concat({pushString("clip"), action({0x1c}), pushString("_rotation"),
                                                pushInt(45), action({0x4f}), pushString("clip"), action({0x1c}),
                                                pushString("_rotation"), action({0x4e, 0x26, 0x00})})});
    out.push_back({"call_function", function});
    out.push_back({"endless_loop", action({0x99, 0x02, 0x00, 0xfb, 0xff, 0x00})});
    out.push_back({"new_array", concat({pushInt(3), pushInt(2), pushInt(1), pushInt(3), pushString("Array"),
                                        action({0x40, 0x26, 0x00})})});
    return out;
}

}  // namespace vantoro::fuzz
