// Fuzz target: Movie::load on raw bytes, then a walk over everything the load produced so that
// a record pointing outside the loaded data shows up under the address sanitizer.

#include <numeric>
#include <span>

#include "fuzz_targets.h"
#include "swf/movie/movie.h"

namespace vantoro::fuzz {

namespace {

// Sums bytes so that every span is really read (and the compiler cannot drop the reads).
unsigned touch(std::span<const std::uint8_t> bytes)
{
    return std::accumulate(bytes.begin(), bytes.end(), 0u);
}

unsigned walkTimeline(const swf::Timeline& timeline)
{
    unsigned sum = 0;
    for (std::size_t f = 0; f < timeline.frameCount(); ++f) {
        for (const swf::ControlTag& tag : timeline.frameTags(f)) {
            if (const auto* action = std::get_if<swf::DoAction>(&tag)) sum += touch(action->actions);
            if (const auto* block = std::get_if<swf::SoundStreamBlock>(&tag)) sum += touch(block->data);
        }
    }
    for (const swf::FrameLabelInfo& label : timeline.labels()) sum += static_cast<unsigned>(label.name.size());
    return sum;
}

}  // namespace

int fuzzLoad(const std::uint8_t* data, std::size_t size)
{
    swf::MovieLoadResult result = swf::Movie::load(std::span(data, size));
    if (!result.ok()) return 0;
    const swf::Movie& movie = *result.movie();
    volatile unsigned sum = walkTimeline(movie.timeline());
    for (const auto& [id, character] : movie.characters()) {
        if (const swf::SpriteDefinition* sprite = movie.sprite(id)) sum = sum + walkTimeline(sprite->timeline);
        if (const swf::Bitmap* bitmap = movie.bitmap(id)) {
            // Renderers index pixels by width and height: the two must agree with the data.
            std::size_t expected = std::size_t(bitmap->width) * std::size_t(bitmap->height);
            if (bitmap->width < 0 || bitmap->height < 0 || bitmap->pixels.size() != expected) __builtin_trap();
            if (!bitmap->pixels.empty()) sum = sum + bitmap->pixels.back();
        }
        (void)character;
    }
    for (const swf::AssetEntry& entry : movie.exports()) sum = sum + static_cast<unsigned>(entry.name.size());
    return 0;
}

}  // namespace vantoro::fuzz
