#include "swf/movie/movie.h"

namespace swf {

const char* characterKindName(const Character& c)
{
    static constexpr const char* names[] = {"shape", "morph shape", "bitmap", "font", "static text",
                                            "edit text", "button", "sound", "sprite", "video", "binary data"};
    static_assert(std::size(names) == std::variant_size_v<Character>);
    return names[c.index()];
}

const Character* Movie::character(std::uint16_t id) const
{
    auto it = characters_.find(id);
    return it == characters_.end() ? nullptr : &it->second;
}

const Bitmap* Movie::bitmap(std::uint16_t id) const
{
    const BitmapCharacter* b = characterAs<BitmapCharacter>(id);
    return b ? b->bitmap.get() : nullptr;
}

std::optional<Rect> Movie::scalingGrid(std::uint16_t id) const
{
    auto it = scalingGrids_.find(id);
    if (it == scalingGrids_.end()) return std::nullopt;
    return it->second;
}

const CsmTextSettings* Movie::textSettings(std::uint16_t id) const
{
    auto it = textSettings_.find(id);
    return it == textSettings_.end() ? nullptr : &it->second;
}

std::span<const std::uint8_t> Movie::videoFrame(std::uint16_t streamId, std::uint16_t frame) const
{
    auto it = videoFrames_.find((std::uint32_t(streamId) << 16) | frame);
    return it == videoFrames_.end() ? std::span<const std::uint8_t>() : it->second;
}

std::optional<std::uint16_t> Movie::exportedCharacter(std::string_view name) const
{
    // The later export of a name wins, as with ids exported twice.
    for (auto it = exports_.rbegin(); it != exports_.rend(); ++it)
        if (it->name == name) return it->characterId;
    return std::nullopt;
}

}  // namespace swf
