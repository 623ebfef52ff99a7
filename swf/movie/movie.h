#pragma once
// The loaded movie: immutable after Movie::load. Holds the decompressed file (the action,
// sound and video spans of the records point into it), the movie's facts, the character
// dictionary with decoded bitmaps, the main timeline, exports, imports and scenes.
// Share it as std::shared_ptr<const Movie>; every span it hands out lives as long as it does.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

#include "swf/format/control_tags.h"
#include "swf/format/swf_file.h"
#include "swf/movie/characters.h"
#include "swf/movie/timeline.h"

namespace swf {

struct MovieLoadError {
    enum class Kind { NotSwf, Truncated, Corrupt, TooLarge, Unsupported };
    Kind kind = Kind::Corrupt;
    std::string message;
    std::int64_t offset = -1;  // in the decompressed file, -1 when none applies
};

struct MovieFacts {
    int version = 0;
    Compression compression = Compression::None;
    std::uint32_t declaredFileLength = 0;
    std::size_t decompressedSize = 0;
    Rect frameSize;                 // twips
    double frameRate = 0;           // as stored; 0 is possible
    std::uint16_t declaredFrameCount = 0;
    std::optional<Rgba> background; // the first SetBackgroundColor of the main timeline
    std::optional<FileAttributes> fileAttributes;
    std::optional<ScriptLimits> scriptLimits;
    bool protectedFromImport = false;
    bool debuggerEnabled = false;
    std::string metadata;           // XMP text, when present
    bool truncated = false;         // the tags ended early (cut or damaged file); whole frames kept
    int widthPx() const { return (frameSize.xMax - frameSize.xMin) / 20; }
    int heightPx() const { return (frameSize.yMax - frameSize.yMin) / 20; }
};

class Movie;
class MovieLoadResult {
public:
    MovieLoadResult(std::shared_ptr<const Movie> movie) : value_(std::move(movie)) {}
    MovieLoadResult(MovieLoadError error) : value_(std::move(error)) {}
    bool ok() const { return std::holds_alternative<std::shared_ptr<const Movie>>(value_); }
    explicit operator bool() const { return ok(); }
    // Only when ok().
    const std::shared_ptr<const Movie>& movie() const { return std::get<0>(value_); }
    // Only when !ok().
    const MovieLoadError& error() const { return std::get<1>(value_); }

private:
    std::variant<std::shared_ptr<const Movie>, MovieLoadError> value_;
};

class Movie {
public:
    // Loads a movie. Damage after the first whole frame still loads (with warnings); a file
    // that is not a SWF, is damaged before its first whole frame, exceeds the limits, or is an
    // ActionScript 3 movie gives an error.
    static MovieLoadResult load(std::span<const std::uint8_t> bytes);

    Movie(const Movie&) = delete;
    Movie& operator=(const Movie&) = delete;

    const MovieFacts& facts() const { return facts_; }
    int version() const { return facts_.version; }
    const Timeline& timeline() const { return main_; }
    std::size_t frameCount() const { return main_.frameCount(); }

    const Character* character(std::uint16_t id) const;
    template <class T>
    const T* characterAs(std::uint16_t id) const
    {
        const Character* c = character(id);
        return c ? std::get_if<T>(c) : nullptr;
    }
    const ShapeDefinition* shape(std::uint16_t id) const { return characterAs<ShapeDefinition>(id); }
    const MorphShapeDefinition* morph(std::uint16_t id) const { return characterAs<MorphShapeDefinition>(id); }
    // Decoded pixels; null for a missing id, another kind, or a bitmap that could not be decoded.
    const Bitmap* bitmap(std::uint16_t id) const;
    const FontDefinition* font(std::uint16_t id) const { return characterAs<FontDefinition>(id); }
    const StaticTextDefinition* staticText(std::uint16_t id) const { return characterAs<StaticTextDefinition>(id); }
    const EditTextDefinition* editText(std::uint16_t id) const { return characterAs<EditTextDefinition>(id); }
    const ButtonDefinition* button(std::uint16_t id) const { return characterAs<ButtonDefinition>(id); }
    const SoundDefinition* sound(std::uint16_t id) const { return characterAs<SoundDefinition>(id); }
    const SpriteDefinition* sprite(std::uint16_t id) const { return characterAs<SpriteDefinition>(id); }
    const VideoStreamDefinition* videoStream(std::uint16_t id) const { return characterAs<VideoStreamDefinition>(id); }
    const std::unordered_map<std::uint16_t, Character>& characters() const { return characters_; }

    // DefineScalingGrid of a sprite or button.
    std::optional<Rect> scalingGrid(std::uint16_t id) const;
    // CSMTextSettings of a text or edit text.
    const CsmTextSettings* textSettings(std::uint16_t id) const;
    // VideoFrame data of a stream by frame number, gathered from every timeline.
    std::span<const std::uint8_t> videoFrame(std::uint16_t streamId, std::uint16_t frame) const;

    // ExportAssets in file order; an id exported twice takes the later name.
    const std::vector<AssetEntry>& exports() const { return exports_; }
    std::optional<std::uint16_t> exportedCharacter(std::string_view name) const;
    const std::vector<ImportAssets>& imports() const { return imports_; }
    // Scenes from DefineSceneAndFrameLabelData (main timeline only); empty without that tag.
    const std::vector<SceneEntry>& scenes() const { return scenes_; }

    // What the loader skipped or repaired, for diagnostics.
    const std::vector<std::string>& warnings() const { return warnings_; }
    // Tags met per code, nested sprite tags included.
    const std::array<std::uint32_t, 1024>& tagCounts() const { return *tagCounts_; }
    std::span<const std::uint8_t> data() const { return data_; }

private:
    Movie() = default;
    friend class MovieLoader;

    std::vector<std::uint8_t> data_;
    MovieFacts facts_;
    Timeline main_;
    std::unordered_map<std::uint16_t, Character> characters_;
    std::unordered_map<std::uint16_t, Rect> scalingGrids_;
    std::unordered_map<std::uint16_t, CsmTextSettings> textSettings_;
    std::unordered_map<std::uint32_t, std::span<const std::uint8_t>> videoFrames_;
    std::vector<AssetEntry> exports_;
    std::vector<ImportAssets> imports_;
    std::vector<SceneEntry> scenes_;
    std::vector<std::string> warnings_;
    std::unique_ptr<std::array<std::uint32_t, 1024>> tagCounts_ = std::make_unique<std::array<std::uint32_t, 1024>>();
};

}  // namespace swf
