// Movie::load: reads the tag streams of the file and of every sprite into the dictionary and
// the timelines. Damage is contained where the format allows: a tag that cannot be decoded is
// skipped with a warning (a definition then simply does not exist), and a file that ends early
// keeps its whole frames.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>

#include "swf/format/bitmap_tags.h"
#include "swf/format/button_tags.h"
#include "swf/format/limits.h"
#include "swf/format/shape_decoder.h"
#include "swf/format/tag_codes.h"
#include "swf/format/tag_stream.h"
#include "swf/format/text_decoder.h"
#include "swf/movie/bitmap_decoder.h"
#include "swf/movie/image_movie.h"
#include "swf/movie/movie.h"

namespace swf {

namespace {
constexpr std::size_t kMaxWarnings = 200;

MovieLoadError::Kind errorKind(FormatError::Kind k)
{
    switch (k) {
    case FormatError::Kind::Truncated: return MovieLoadError::Kind::Truncated;
    case FormatError::Kind::Corrupt: return MovieLoadError::Kind::Corrupt;
    case FormatError::Kind::TooLarge: return MovieLoadError::Kind::TooLarge;
    case FormatError::Kind::Unsupported: return MovieLoadError::Kind::Unsupported;
    }
    return MovieLoadError::Kind::Corrupt;
}

std::string describe(const Tag& tag)
{
    std::string_view name = tagName(tag.code);
    return (name.empty() ? "tag " + std::to_string(tag.code) : std::string(name)) + " at offset " +
           std::to_string(tag.offset);
}

// Memory a decoded definition keeps (its records and styles; the rest is small beside them).
std::size_t heldBy(const std::vector<ShapeRecord>& records)
{
    std::size_t bytes = records.size() * sizeof(ShapeRecord);
    for (const ShapeRecord& r : records) {
        if (const auto* sc = std::get_if<StyleChange>(&r))
            bytes += sc->newFills.size() * sizeof(FillStyle) + sc->newLines.size() * sizeof(LineStyle);
    }
    return bytes;
}
std::size_t heldBy(const ShapeDefinition& s)
{
    return heldBy(s.shape.records) + s.shape.fills.size() * sizeof(FillStyle) + s.shape.lines.size() * sizeof(LineStyle);
}
std::size_t heldBy(const MorphShapeDefinition& s)
{
    return heldBy(s.startRecords) + heldBy(s.endRecords) + s.fills.size() * sizeof(MorphFillStyle) +
           s.lines.size() * sizeof(MorphLineStyle);
}
std::size_t heldBy(const FontDefinition& f)
{
    std::size_t bytes = f.codes.size() * sizeof(char16_t) + f.advances.size() * sizeof(double) +
                        f.kerning.size() * sizeof(KerningPair);
    for (const auto& glyph : f.glyphs) bytes += sizeof(glyph) + heldBy(glyph);
    return bytes;
}
std::size_t heldBy(const StaticTextDefinition& t)
{
    std::size_t bytes = t.records.size() * sizeof(TextRecord);
    for (const TextRecord& r : t.records) bytes += r.glyphs.size() * sizeof(GlyphEntry);
    return bytes;
}

// Thrown inside the loader to end loading with an error.
struct LoadStop {
    MovieLoadError error;
};

}  // namespace

class MovieLoader {
public:
    explicit MovieLoader(Movie& movie) : m_(movie), text_(0) {}

    void run(std::span<const std::uint8_t> bytes);
    // A movie of one frame showing `bitmap` (decoded from `file`) at depth 1.
    static std::shared_ptr<const Movie> imageMovie(std::span<const std::uint8_t> file, Bitmap bitmap);

private:
    // Reads one tag stream into `timeline`. Returns true when it ended cleanly (End tag, or
    // the data's end at a tag boundary when `dataComplete`).
    bool readTimeline(TagReader& reader, Timeline& timeline, int nesting, bool dataComplete);
    void handleTag(const Tag& tag, Timeline& timeline, int nesting);
    void finishTimeline(Timeline& timeline, bool clean, const std::string& what);
    // Adds a character; false (with a warning) when the id is taken.
    bool define(std::uint16_t id, Character c, const Tag& tag);
    template <class T>
    T* find(std::uint16_t id)
    {
        auto it = m_.characters_.find(id);
        return it == m_.characters_.end() ? nullptr : std::get_if<T>(&it->second);
    }
    void defineBitmap(std::uint16_t id, const Tag& tag, const std::function<Bitmap()>& decode);
    std::shared_ptr<const Bitmap> keepBitmap(Bitmap bitmap);
    // Counts `bytes` against limits::kMaxMovieBytes, or throws TooLarge (the definition that
    // asked is refused). tryCharge() says false instead.
    void charge(std::size_t bytes, const char* what);
    bool tryCharge(std::size_t bytes);
    void warn(std::string message);

    Movie& m_;
    TextDecoder text_;
    std::span<const std::uint8_t> jpegTables_;
    std::vector<std::pair<JpegBitmapTag, Tag>> pendingJpeg_;  // DefineBits, decoded at the end
    std::size_t bitmapBytes_ = 0;  // decoded so far, against limits::kMaxTotalBitmapBytes
    std::size_t heldBytes_ = 0;    // everything the movie holds so far, against limits::kMaxMovieBytes
    bool sawSceneData_ = false;
    SceneAndFrameLabelData sceneData_;
    std::size_t droppedWarnings_ = 0;
};

void MovieLoader::warn(std::string message)
{
    if (m_.warnings_.size() < kMaxWarnings) m_.warnings_.push_back(std::move(message));
    else ++droppedWarnings_;
}

bool MovieLoader::define(std::uint16_t id, Character c, const Tag& tag)
{
    auto [it, inserted] = m_.characters_.try_emplace(id, std::move(c));
    if (!inserted) warn(describe(tag) + ": character " + std::to_string(id) + " is already defined; the first definition stays");
    return inserted;
}

bool MovieLoader::tryCharge(std::size_t bytes)
{
    if (bytes > limits::kMaxMovieBytes - heldBytes_) return false;
    heldBytes_ += bytes;
    return true;
}

void MovieLoader::charge(std::size_t bytes, const char* what)
{
    if (!tryCharge(bytes))
        throw FormatError(FormatError::Kind::TooLarge,
                          std::string(what) + " would take the movie past its memory limit of " +
                              std::to_string(limits::kMaxMovieBytes / limits::kMiB) + " MiB",
                          0);
}

std::shared_ptr<const Bitmap> MovieLoader::keepBitmap(Bitmap bitmap)
{
    std::size_t bytes = bitmap.pixels.size() * sizeof(std::uint32_t);
    if (bytes > limits::kMaxTotalBitmapBytes - bitmapBytes_)
        throw FormatError(FormatError::Kind::TooLarge, "the movie's bitmaps together exceed the memory limit", 0);
    charge(bytes, "the bitmap");
    bitmapBytes_ += bytes;
    return std::make_shared<const Bitmap>(std::move(bitmap));
}

void MovieLoader::defineBitmap(std::uint16_t id, const Tag& tag, const std::function<Bitmap()>& decode)
{
    BitmapCharacter bc;
    bc.id = id;
    try {
        bc.bitmap = keepBitmap(decode());
    } catch (const FormatError& e) {
        // The character exists but draws nothing.
        warn(describe(tag) + ": bitmap " + std::to_string(id) + " refused: " + e.what());
    }
    define(id, std::move(bc), tag);
}

void MovieLoader::handleTag(const Tag& tag, Timeline& timeline, int nesting)
{
    const int version = m_.facts_.version;
    ByteReader body(tag.body, tag.bodyOffset);
    const bool isMain = nesting == 0;
    switch (static_cast<TagCode>(tag.code)) {
    // Control tags of the timeline.
    case TagCode::PlaceObject:
        timeline.addTag(decodePlaceObject(body, 1, version, text_));
        break;
    case TagCode::PlaceObject2:
        timeline.addTag(decodePlaceObject(body, 2, version, text_));
        break;
    case TagCode::PlaceObject3:
        timeline.addTag(decodePlaceObject(body, 3, version, text_));
        break;
    case TagCode::RemoveObject:
        timeline.addTag(decodeRemoveObject(body, 1));
        break;
    case TagCode::RemoveObject2:
        timeline.addTag(decodeRemoveObject(body, 2));
        break;
    case TagCode::DoAction:
        timeline.addTag(DoAction{tag.body});
        break;
    case TagCode::DoInitAction:
        timeline.addTag(decodeDoInitAction(body));
        break;
    case TagCode::StartSound:
        timeline.addTag(decodeStartSound(body));
        break;
    case TagCode::StartSound2: {
        // Names its sound by the name it was exported under; the timeline keeps the id.
        StartSound2 s = decodeStartSound2(body, text_);
        if (const auto id = m_.exportedCharacter(s.className))
            timeline.addTag(StartSound{*id, std::move(s.info)});
        else
            warn(describe(tag) + ": no sound is exported as \"" + s.className + "\"");
        break;
    }
    case TagCode::SoundStreamHead:
        timeline.addTag(decodeSoundStreamHead(body, 1));
        break;
    case TagCode::SoundStreamHead2:
        timeline.addTag(decodeSoundStreamHead(body, 2));
        break;
    case TagCode::SoundStreamBlock:
        timeline.addTag(SoundStreamBlock{tag.body});
        break;
    case TagCode::SetBackgroundColor: {
        Rgba c = decodeSetBackgroundColor(body);
        if (isMain && !m_.facts_.background) m_.facts_.background = c;
        timeline.addTag(SetBackgroundColor{c});
        break;
    }
    case TagCode::VideoFrame: {
        VideoFrame f = decodeVideoFrame(body);
        m_.videoFrames_.try_emplace((std::uint32_t(f.streamId) << 16) | f.frameNumber, f.data);
        timeline.addTag(f);
        break;
    }
    case TagCode::SetTabIndex:
        timeline.addTag(decodeSetTabIndex(body));
        break;
    case TagCode::FrameLabel: {
        FrameLabel label = decodeFrameLabel(body, text_);
        timeline.addLabel({std::move(label.name), timeline.frameCount(), label.namedAnchor});
        break;
    }

    // Definitions.
    case TagCode::DefineShape:
    case TagCode::DefineShape2:
    case TagCode::DefineShape3:
    case TagCode::DefineShape4: {
        int v = tag.code == 2 ? 1 : tag.code == 22 ? 2 : tag.code == 32 ? 3 : 4;
        ShapeDefinition s = decodeDefineShape(body, v);
        charge(heldBy(s), "the shape");
        std::uint16_t id = s.id;
        define(id, std::move(s), tag);
        break;
    }
    case TagCode::DefineMorphShape:
    case TagCode::DefineMorphShape2: {
        MorphShapeDefinition s = decodeDefineMorphShape(body, tag.code == 46 ? 1 : 2);
        charge(heldBy(s), "the morph shape");
        std::uint16_t id = s.id;
        define(id, std::move(s), tag);
        break;
    }
    case TagCode::JpegTables:
        if (jpegTables_.empty()) jpegTables_ = tag.body;
        break;
    case TagCode::DefineBits: {
        JpegBitmapTag t = decodeJpegBitmap(body, 1);
        // Decoded once the whole file is read: JPEGTables may come later in careless files.
        if (define(t.id, BitmapCharacter{t.id, nullptr}, tag)) pendingJpeg_.emplace_back(t, tag);
        break;
    }
    case TagCode::DefineBitsJpeg2:
    case TagCode::DefineBitsJpeg3:
    case TagCode::DefineBitsJpeg4: {
        int v = tag.code == 21 ? 2 : tag.code == 35 ? 3 : 4;
        JpegBitmapTag t = decodeJpegBitmap(body, v);
        defineBitmap(t.id, tag, [&] { return decodeJpegBitmapTag(t); });
        break;
    }
    case TagCode::DefineBitsLossless:
    case TagCode::DefineBitsLossless2: {
        std::uint16_t id = ByteReader(tag.body, tag.bodyOffset).u16();
        defineBitmap(id, tag, [&] { return decodeLossless(decodeLosslessBitmap(body, tag.code == 20 ? 1 : 2)); });
        break;
    }
    case TagCode::DefineFont: {
        FontDefinition f = decodeDefineFont(body);
        charge(heldBy(f), "the font");
        std::uint16_t id = f.id;
        define(id, std::move(f), tag);
        break;
    }
    case TagCode::DefineFont2:
    case TagCode::DefineFont3: {
        FontDefinition f = decodeDefineFont2(body, tag.code == 48 ? 2 : 3, text_);
        charge(heldBy(f), "the font");
        std::uint16_t id = f.id;
        define(id, std::move(f), tag);
        break;
    }
    case TagCode::DefineFontInfo:
    case TagCode::DefineFontInfo2: {
        FontInfo info = decodeDefineFontInfo(body, tag.code == 13 ? 1 : 2, text_);
        if (FontDefinition* font = find<FontDefinition>(info.fontId)) applyFontInfo(*font, info);
        else warn(describe(tag) + ": font " + std::to_string(info.fontId) + " does not exist");
        break;
    }
    case TagCode::DefineText:
    case TagCode::DefineText2: {
        StaticTextDefinition t = decodeDefineText(body, tag.code == 11 ? 1 : 2);
        charge(heldBy(t), "the text");
        std::uint16_t id = t.id;
        define(id, std::move(t), tag);
        break;
    }
    case TagCode::DefineEditText: {
        EditTextDefinition t = decodeDefineEditText(body, text_);
        std::uint16_t id = t.id;
        define(id, std::move(t), tag);
        break;
    }
    case TagCode::DefineButton:
    case TagCode::DefineButton2: {
        ButtonDefinition b = tag.code == 7 ? decodeDefineButton(body, version) : decodeDefineButton2(body, version);
        std::uint16_t id = b.id;
        define(id, std::move(b), tag);
        break;
    }
    case TagCode::DefineButtonCxform: {
        ButtonCxform cx = decodeDefineButtonCxform(body);
        if (ButtonDefinition* b = find<ButtonDefinition>(cx.buttonId)) applyButtonCxform(*b, cx);
        else warn(describe(tag) + ": button " + std::to_string(cx.buttonId) + " does not exist");
        break;
    }
    case TagCode::DefineButtonSound: {
        ButtonSounds s = decodeDefineButtonSound(body);
        if (ButtonDefinition* b = find<ButtonDefinition>(s.buttonId)) b->sounds = s.sounds;
        else warn(describe(tag) + ": button " + std::to_string(s.buttonId) + " does not exist");
        break;
    }
    case TagCode::DefineSound: {
        SoundDefinition s = decodeDefineSound(body);
        define(s.id, s, tag);
        break;
    }
    case TagCode::DefineVideoStream: {
        VideoStreamDefinition v = decodeDefineVideoStream(body);
        define(v.id, v, tag);
        break;
    }
    case TagCode::DefineBinaryData: {
        BinaryDataCharacter d;
        d.id = body.u16();
        body.skip(std::min<std::size_t>(4, body.remaining()));
        d.data = body.rest();
        define(d.id, d, tag);
        break;
    }
    case TagCode::DefineSprite: {
        if (nesting >= limits::kMaxSpriteNesting) {
            // The reference player ignores a sprite defined inside a sprite.
            warn(describe(tag) + ": sprite defined inside a sprite is ignored");
            break;
        }
        SpriteDefinition sprite;
        sprite.id = body.u16();
        sprite.declaredFrameCount = body.u16();
        TagReader nested(body.rest(), body.fileOffset());
        bool clean = readTimeline(nested, sprite.timeline, nesting + 1, true);
        finishTimeline(sprite.timeline, clean, "sprite " + std::to_string(sprite.id));
        std::uint16_t id = sprite.id;
        define(id, std::move(sprite), tag);
        break;
    }
    case TagCode::DefineScalingGrid: {
        ScalingGrid g = decodeDefineScalingGrid(body);
        m_.scalingGrids_.try_emplace(g.characterId, g.splitter);
        break;
    }
    case TagCode::CsmTextSettings: {
        CsmTextSettings s = decodeCsmTextSettings(body);
        m_.textSettings_.try_emplace(s.textId, s);
        break;
    }

    // Movie-wide facts.
    case TagCode::ExportAssets:
        for (AssetEntry& e : decodeExportAssets(body, text_)) m_.exports_.push_back(std::move(e));
        break;
    case TagCode::ImportAssets:
    case TagCode::ImportAssets2:
        m_.imports_.push_back(decodeImportAssets(body, tag.code == 57 ? 1 : 2, text_));
        break;
    case TagCode::FileAttributes: {
        FileAttributes a = decodeFileAttributes(body);
        if (isMain && !m_.facts_.fileAttributes) m_.facts_.fileAttributes = a;
        if (a.actionScript3 && version >= 9)
            throw LoadStop{{MovieLoadError::Kind::Unsupported,
                            "ActionScript 3 movies are not supported (FileAttributes marks this movie as ActionScript 3)",
                            tag.offset}};
        break;
    }
    case TagCode::DoAbc:
    case TagCode::DoAbcEarly:
        throw LoadStop{{MovieLoadError::Kind::Unsupported,
                        "ActionScript 3 movies are not supported (the movie contains ActionScript 3 byte code)",
                        tag.offset}};
    case TagCode::ScriptLimits:
        m_.facts_.scriptLimits = decodeScriptLimits(body);
        break;
    case TagCode::Protect:
        m_.facts_.protectedFromImport = true;
        break;
    case TagCode::EnableDebugger:
    case TagCode::EnableDebugger2:
        m_.facts_.debuggerEnabled = true;
        break;
    case TagCode::Metadata:
        m_.facts_.metadata = decodeMetadata(body, text_);
        break;
    case TagCode::DefineSceneAndFrameLabelData:
        if (isMain) {
            sceneData_ = decodeSceneAndFrameLabelData(body, text_);
            sawSceneData_ = true;
        }
        break;
    default:
        // Tags the engine does not use (hinting, AVM2 class links, product info, unknown codes).
        break;
    }
}

bool MovieLoader::readTimeline(TagReader& reader, Timeline& timeline, int nesting, bool dataComplete)
{
    {
        // Size the timeline from the tags really present (not from counts in the file), so that
        // the long tag lists of big movies are not copied as they grow.
        TagReader counter = reader;
        std::size_t tags = 0, frames = 0;
        while (auto tag = counter.next()) {
            if (tag->code == 1) ++frames;
            else if (tag->code != 0 && tag->code != 39) ++tags;
        }
        // Within reason: a file of empty tags is cheap to write and dear to keep, so past this
        // the vectors grow as tags are really kept (and charged).
        constexpr std::size_t kMaxReservedTags = std::size_t(1) << 16;
        timeline.reserve(std::min(tags, kMaxReservedTags), std::min(frames + 1, kMaxReservedTags));
    }
    while (auto tag = reader.next()) {
        // Each tag costs about one control tag of bookkeeping (frames, the tag itself).
        if (!tryCharge(sizeof(ControlTag))) {
            warn(describe(*tag) + ": the movie's memory limit of " +
                 std::to_string(limits::kMaxMovieBytes / limits::kMiB) +
                 " MiB is reached; the rest of this timeline is not loaded");
            for (const std::string& w : reader.warnings()) warn(w);
            timeline.setHasEndTag(false);
            return false;
        }
        ++(*m_.tagCounts_)[tag->code & 1023];
        if (tag->code == 0) break;
        if (tag->cut) break;  // damaged from here on; the tag is not decoded
        if (tag->code == 1) {
            timeline.endFrame();
            continue;
        }
        try {
            handleTag(*tag, timeline, nesting);
        } catch (const FormatError& e) {
            warn(describe(*tag) + " skipped: " + e.what());
        }
    }
    for (const std::string& w : reader.warnings()) warn(w);
    timeline.setHasEndTag(reader.sawEnd());
    // Without End, the stream still counts as whole when its data ended at a tag boundary and
    // nothing says the file was cut.
    return reader.sawEnd() || (!reader.truncated() && dataComplete);
}

void MovieLoader::finishTimeline(Timeline& timeline, bool clean, const std::string& what)
{
    if (timeline.pendingTagCount() > 0) {
        if (clean) {
            timeline.closeTrailingFrame();
        } else {
            warn(what + ": " + std::to_string(timeline.pendingTagCount()) +
                 " tags after the last whole frame are dropped");
            timeline.dropPendingTags();
        }
    }
    // Every timeline has at least one frame, so that frame 1 always exists for the runtime.
    if (timeline.frameCount() == 0) timeline.endFrame();
}

void MovieLoader::run(std::span<const std::uint8_t> bytes)
{
    SwfFile file = readSwfFile(bytes);
    MovieFacts& f = m_.facts_;
    f.version = file.header.version;
    f.compression = file.header.compression;
    f.declaredFileLength = file.header.fileLength;
    f.decompressedSize = file.data.size();
    f.frameSize = file.header.frameSize;
    f.frameRate = file.header.frameRate;
    f.declaredFrameCount = file.header.frameCount;
    for (std::string& w : file.warnings) warn(std::move(w));
    text_ = TextDecoder(f.version);
    charge(file.data.size(), "the decompressed file");
    m_.data_ = std::move(file.data);
    const std::size_t tagsOffset = file.tagsOffset;

    auto tags = std::span<const std::uint8_t>(m_.data_).subspan(tagsOffset);
    TagReader reader(tags, static_cast<std::int64_t>(tagsOffset));
    bool clean = readTimeline(reader, m_.main_, 0, !file.truncated);
    // A wrong declared length alone is no damage: the tags say whether the movie is whole.
    f.truncated = !clean;
    if (!clean && m_.main_.frameCount() == 0)
        throw LoadStop{{MovieLoadError::Kind::Truncated,
                        "the movie ends before its first frame is complete" +
                            (m_.warnings_.empty() ? std::string() : " (" + m_.warnings_.back() + ")"),
                        static_cast<std::int64_t>(tagsOffset + reader.position())}};
    finishTimeline(m_.main_, clean, "main timeline");

    for (auto& [t, tag] : pendingJpeg_) {
        auto it = m_.characters_.find(t.id);
        auto* bc = it == m_.characters_.end() ? nullptr : std::get_if<BitmapCharacter>(&it->second);
        if (!bc || bc->bitmap) continue;
        try {
            bc->bitmap = keepBitmap(decodeJpegBitmapTag(t, jpegTables_));
        } catch (const FormatError& e) {
            warn(describe(tag) + ": bitmap " + std::to_string(t.id) + " refused: " + e.what());
        }
    }

    if (sawSceneData_) {
        m_.scenes_ = sceneData_.scenes;
        for (FrameLabelEntry& l : sceneData_.labels)
            if (l.frame < m_.main_.frameCount() && !m_.main_.findLabel(l.name))
                m_.main_.addLabel({l.name, l.frame, false});
    }
    if (droppedWarnings_ > 0) m_.warnings_.push_back(std::to_string(droppedWarnings_) + " more warnings");
}

MovieLoadResult Movie::load(std::span<const std::uint8_t> bytes)
{
    std::shared_ptr<Movie> movie(new Movie());
    MovieLoader loader(*movie);
    try {
        loader.run(bytes);
    } catch (const LoadStop& stop) {
        return stop.error;
    } catch (const FormatError& e) {
        MovieLoadError err;
        err.kind = e.kind() == FormatError::Kind::Unsupported && !hasSwfSignature(bytes)
                       ? MovieLoadError::Kind::NotSwf
                       : errorKind(e.kind());
        err.message = e.what();
        err.offset = e.offset();
        return err;
    } catch (const std::bad_alloc&) {
        return MovieLoadError{MovieLoadError::Kind::TooLarge, "not enough memory to load the movie", -1};
    }
    return std::shared_ptr<const Movie>(std::move(movie));
}

std::shared_ptr<const Movie> MovieLoader::imageMovie(std::span<const std::uint8_t> file, Bitmap bitmap)
{
    std::shared_ptr<Movie> movie(new Movie());
    movie->data_.assign(file.begin(), file.end());
    MovieFacts& f = movie->facts_;
    f.version = 8;
    f.declaredFileLength = static_cast<std::uint32_t>(std::min<std::size_t>(file.size(), UINT32_MAX));
    f.decompressedSize = file.size();
    f.frameSize = Rect{0, bitmap.width * 20, 0, bitmap.height * 20};
    f.declaredFrameCount = 1;
    movie->characters_.emplace(1, BitmapCharacter{1, std::make_shared<const Bitmap>(std::move(bitmap))});
    PlaceObject place;
    place.placeVersion = 2;
    place.depth = 1;
    place.characterId = 1;
    movie->main_.addTag(std::move(place));
    movie->main_.endFrame();
    movie->main_.setHasEndTag(true);
    return movie;
}

bool looksLikeImage(std::span<const std::uint8_t> b)
{
    const bool jpeg = b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF;
    const bool png = b.size() >= 8 && b[0] == 0x89 && b[1] == 'P' && b[2] == 'N' && b[3] == 'G';
    const bool gif = b.size() >= 6 && b[0] == 'G' && b[1] == 'I' && b[2] == 'F' && b[3] == '8';
    return jpeg || png || gif;
}

MovieLoadResult loadImageMovie(std::span<const std::uint8_t> bytes)
{
    if (!looksLikeImage(bytes))
        return MovieLoadError{MovieLoadError::Kind::NotSwf, "neither a movie nor a JPEG, PNG or GIF image", 0};
    try {
        Bitmap bitmap = bytes[0] == 0xFF ? decodeJpeg(bytes) : bytes[0] == 0x89 ? decodePng(bytes) : decodeGif(bytes);
        if (bitmap.width <= 0 || bitmap.height <= 0)
            return MovieLoadError{MovieLoadError::Kind::Corrupt, "the image has no pixels", -1};
        return MovieLoader::imageMovie(bytes, std::move(bitmap));
    } catch (const FormatError& e) {
        return MovieLoadError{errorKind(e.kind()), std::string("image: ") + e.what(), e.offset()};
    } catch (const std::bad_alloc&) {
        return MovieLoadError{MovieLoadError::Kind::TooLarge, "not enough memory for the image", -1};
    }
}

}  // namespace swf
