#pragma once
// A small SWF writer for tests and sample movies: builds exact movies tag by tag, from the same
// records the format layer decodes (shapes, morphs, fonts, texts, place tags, ...) or from raw
// bytes where a test needs a malformed body.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "swf/format/button_tags.h"
#include "swf/format/display_tags.h"
#include "swf/format/geometry.h"
#include "swf/format/shape.h"
#include "swf/format/sound_tags.h"
#include "swf/format/swf_file.h"
#include "swf/format/text.h"

namespace swf::writer {

using Bytes = std::vector<std::uint8_t>;

// Little-endian byte output with the SWF's byte-aligned records.
class ByteWriter {
public:
    void u8(std::uint32_t v) { data_.push_back(static_cast<std::uint8_t>(v)); }
    void u16(std::uint32_t v) { u8(v); u8(v >> 8); }
    void s16(std::int32_t v) { u16(static_cast<std::uint32_t>(v)); }
    void u32(std::uint32_t v) { u16(v); u16(v >> 16); }
    void f32(float v);
    void fixed8(double v) { s16(static_cast<std::int32_t>(v * 256)); }
    void fixed16(double v) { u32(static_cast<std::uint32_t>(static_cast<std::int32_t>(v * 65536))); }
    void bytes(std::span<const std::uint8_t> b) { data_.insert(data_.end(), b.begin(), b.end()); }
    void string(std::string_view s);  // with its NUL
    void rect(const Rect& r);
    void matrix(const Matrix& m);
    void colorTransform(const ColorTransform& c, bool withAlpha);
    void rgb(const Rgba& c) { u8(c.r); u8(c.g); u8(c.b); }
    void rgba(const Rgba& c) { rgb(c); u8(c.a); }
    Bytes& data() { return data_; }
    std::size_t size() const { return data_.size(); }

private:
    Bytes data_;
};

// Bit fields, most significant bit first; flush() pads to the byte.
class BitWriter {
public:
    explicit BitWriter(ByteWriter& out) : out_(out) {}
    ~BitWriter() { flush(); }
    void ub(unsigned n, std::uint32_t v);
    void sb(unsigned n, std::int32_t v) { ub(n, static_cast<std::uint32_t>(v)); }
    void flag(bool b) { ub(1, b ? 1 : 0); }
    void flush();

private:
    ByteWriter& out_;
    std::uint32_t current_ = 0;
    unsigned used_ = 0;
};

// Bits for a signed value in SB (sign bit included) and an unsigned one in UB.
unsigned signedBits(std::int64_t v);
unsigned unsignedBits(std::uint64_t v);

// One tag: header (short form unless the body is 63 bytes or more, or `forceLong`) and body.
Bytes encodeTag(std::uint16_t code, std::span<const std::uint8_t> body, bool forceLong = false);

// Tag bodies from records. Shapes use def.shapeVersion; morphs def.morphVersion.
Bytes shapeBody(const ShapeDefinition& def);
Bytes morphShapeBody(const MorphShapeDefinition& def);
Bytes placeObjectBody(const PlaceObject& p, int swfVersion);
Bytes fontBody(const FontDefinition& font);                // DefineFont (glyphs only)
Bytes font2Body(const FontDefinition& font, bool wideCodes = true);  // DefineFont2/3 by fontVersion
Bytes fontInfoBody(std::uint16_t fontId, std::string_view name, const std::vector<std::uint16_t>& codes,
                   bool wideCodes, int infoVersion = 1);
Bytes textBody(const StaticTextDefinition& text);          // DefineText/2 by textVersion
Bytes editTextBody(const EditTextDefinition& text);
Bytes button2Body(const ButtonDefinition& button);         // DefineButton2
Bytes soundInfoBytes(const SoundInfo& info);
Bytes defineSoundBody(std::uint16_t id, std::uint8_t formatByte, std::uint32_t sampleCount,
                      std::span<const std::uint8_t> data);

// Straight (not premultiplied) ARGB pixels, 0xAARRGGBB, rows top to bottom.
struct Image {
    int width = 0, height = 0;
    std::vector<std::uint32_t> argb;
};
// DefineBitsLossless (version 1, format 5) or DefineBitsLossless2 (version 2, format 5,
// premultiplied as the format wants).
Bytes losslessBody(std::uint16_t id, const Image& image, int losslessVersion);
// A baseline JPEG of the image's colours at `quality`.
Bytes encodeJpeg(const Image& image, int quality = 90);
// DefineBitsJPEG2 (no alpha) or DefineBitsJPEG3 (with the image's alpha as a zlib plane).
Bytes jpegBody(std::uint16_t id, const Image& image, int jpegVersion, int quality = 90);

Bytes zlibCompress(std::span<const std::uint8_t> data);

// A list of tags: a movie's or a sprite's.
class TagList {
public:
    TagList& tag(std::uint16_t code, std::span<const std::uint8_t> body = {}, bool forceLong = false);
    TagList& showFrame();
    TagList& end() { return tag(0); }
    TagList& setBackground(Rgba c);
    TagList& shape(const ShapeDefinition& def);
    TagList& morphShape(const MorphShapeDefinition& def);
    TagList& place(const PlaceObject& p);
    // PlaceObject2 placing `characterId` at `depth` with an optional matrix.
    TagList& place(std::uint16_t characterId, std::uint16_t depth, std::optional<Matrix> matrix = {});
    TagList& remove(std::uint16_t depth);
    TagList& label(std::string_view name, bool namedAnchor = false);
    TagList& doAction(std::span<const std::uint8_t> actions);
    TagList& doInitAction(std::uint16_t spriteId, std::span<const std::uint8_t> actions);
    TagList& fileAttributes(std::uint8_t flags);  // FileAttributes with the first byte's flags
    TagList& exportAssets(const std::vector<std::pair<std::uint16_t, std::string>>& entries);
    // Definitions from records: DefineFont/2/3 by font.fontVersion, DefineText/2 by
    // textVersion, DefineEditText, DefineButton2.
    TagList& font(const FontDefinition& font);
    TagList& text(const StaticTextDefinition& text);
    TagList& editText(const EditTextDefinition& text);
    TagList& button(const ButtonDefinition& button);
    // DefineBitsLossless/2 (version 1 or 2) and DefineBitsJPEG2/3 (version 2 or 3).
    TagList& losslessBitmap(std::uint16_t id, const Image& image, int losslessVersion = 2);
    TagList& jpegBitmap(std::uint16_t id, const Image& image, int jpegVersion = 2, int quality = 90);
    // Sounds: `formatByte` is coding << 4 | rate << 2 | 16-bit << 1 | stereo.
    TagList& defineSound(std::uint16_t id, std::uint8_t formatByte, std::uint32_t sampleCount,
                         std::span<const std::uint8_t> data);
    TagList& startSound(std::uint16_t soundId, const SoundInfo& info = {});
    TagList& soundStreamHead(std::uint8_t streamFormatByte, std::uint16_t samplesPerBlock,
                             std::int16_t latencySeek = 0);  // SoundStreamHead2
    TagList& soundStreamBlock(std::span<const std::uint8_t> data);
    // DefineSprite of `inner` (End appended when missing). frameCount defaults to the ShowFrames.
    TagList& sprite(std::uint16_t id, const TagList& inner, std::optional<std::uint16_t> frameCount = {});

    int version() const { return version_; }
    int frames() const { return frames_; }
    const Bytes& bytes() const { return bytes_; }

protected:
    explicit TagList(int version) : version_(version) {}
    friend class MovieWriter;

private:
    int version_;
    int frames_ = 0;
    bool ended_ = false;
    Bytes bytes_;
};

class SpriteTags : public TagList {
public:
    explicit SpriteTags(int version) : TagList(version) {}
};

class MovieWriter : public TagList {
public:
    explicit MovieWriter(int version = 8, Rect frameSize = {0, 11000, 0, 8000}, double frameRate = 12);
    // The whole file. End is appended when missing. The header's frame count is the ShowFrames
    // unless given; the file length is the true one unless given.
    Bytes build(Compression compression = Compression::None, std::optional<std::uint16_t> frameCount = {},
                std::optional<std::uint32_t> fileLength = {}) const;

private:
    Rect frameSize_;
    double frameRate_;
};

}  // namespace swf::writer
