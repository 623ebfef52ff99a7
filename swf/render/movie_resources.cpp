#include "swf/render/movie_resources.h"

#include <variant>

namespace swf::render {

const FontDefinition* MovieResources::fontByName(const std::string& name, bool bold, bool italic) const
{
    const FontDefinition* any = nullptr;
    const FontDefinition* styled = nullptr;
    for (const auto& [id, character] : movie_.characters()) {
        const auto* font = std::get_if<FontDefinition>(&character);
        if (!font || font->name != name || font->glyphs.empty()) continue;
        // Lowest id first, so that the choice does not depend on the map's order.
        if (!any || font->id < any->id) any = font;
        if (font->bold == bold && font->italic == italic && (!styled || font->id < styled->id)) styled = font;
    }
    return styled ? styled : any;
}

}  // namespace swf::render
