#include "swf/runtime/object_factory.h"

#include <type_traits>
#include <variant>

#include "swf/runtime/character_objects.h"
#include "swf/runtime/movie_clip.h"
#include "swf/runtime/stage.h"

namespace swf::runtime {

std::unique_ptr<DisplayObject> createDisplayObject(Stage& stage, const std::shared_ptr<const Movie>& movie,
                                                   std::uint16_t characterId, int nesting)
{
    const Character* character = movie->character(characterId);
    if (!character) return nullptr;
    const bool displayable = std::visit(
        [](const auto& c) {
            using T = std::decay_t<decltype(c)>;
            return !std::is_same_v<T, FontDefinition> && !std::is_same_v<T, SoundDefinition> &&
                   !std::is_same_v<T, BinaryDataCharacter>;
        },
        *character);
    if (!displayable || !stage.mayCreateObject(nesting)) return nullptr;

    std::unique_ptr<DisplayObject> object = std::visit(
        [&](const auto& c) -> std::unique_ptr<DisplayObject> {
            using T = std::decay_t<decltype(c)>;
            if constexpr (std::is_same_v<T, ShapeDefinition>)
                return std::make_unique<ShapeObject>(stage, c);
            else if constexpr (std::is_same_v<T, MorphShapeDefinition>)
                return std::make_unique<MorphShapeObject>(stage, c);
            else if constexpr (std::is_same_v<T, StaticTextDefinition>)
                return std::make_unique<StaticTextObject>(stage, c);
            else if constexpr (std::is_same_v<T, EditTextDefinition>)
                return std::make_unique<EditTextObject>(stage, c);
            else if constexpr (std::is_same_v<T, BitmapCharacter>)
                return std::make_unique<BitmapObject>(stage, characterId, c.bitmap.get());
            else if constexpr (std::is_same_v<T, VideoStreamDefinition>)
                return std::make_unique<VideoObject>(stage, c);
            else if constexpr (std::is_same_v<T, ButtonDefinition>)
                return std::make_unique<ButtonObject>(stage, c);
            else if constexpr (std::is_same_v<T, SpriteDefinition>)
                return std::make_unique<MovieClip>(stage, movie, c.timeline, characterId);
            else
                return nullptr;
        },
        *character);
    if (object) object->setMovie(movie);
    return object;
}

}  // namespace swf::runtime
