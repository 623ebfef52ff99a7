#include "swf/render/render_inputs.h"

#include <algorithm>
#include <bit>
#include <type_traits>
#include <variant>

#include "swf/render/display_tree_walk.h"
#include "swf/runtime/character_objects.h"
#include "swf/runtime/display_list.h"
#include "swf/runtime/movie_clip.h"

namespace swf::render {

namespace {

using runtime::DisplayObject;
using runtime::ObjectKind;

// Deeper trees are not described (the runtime refuses nesting long before).
constexpr int kMaxDepth = 256;

}  // namespace

void RenderInputs::add(double value) { words_.push_back(std::bit_cast<std::uint64_t>(value)); }

void RenderInputs::add(const Matrix& m)
{
    for (double v : {m.a, m.b, m.c, m.d, m.tx, m.ty}) add(v);
}

void RenderInputs::add(const ColorTransform& c)
{
    for (double v : {c.rMult, c.gMult, c.bMult, c.aMult, c.rAdd, c.gAdd, c.bAdd, c.aAdd}) add(v);
}

void RenderInputs::add(const std::vector<Filter>& filters)
{
    auto color = [this](Rgba c) { add(std::uint64_t(c.r) | std::uint64_t(c.g) << 8 | std::uint64_t(c.b) << 16 | std::uint64_t(c.a) << 24); };
    auto flags = [this](std::initializer_list<bool> bits) {
        std::uint64_t word = 0;
        for (bool bit : bits) word = word << 1 | (bit ? 1 : 0);
        add(word);
    };
    add(std::uint64_t(filters.size()));
    for (const Filter& filter : filters) {
        add(std::uint64_t(filter.index()));
        std::visit(
            [&](const auto& f) {
                using T = std::decay_t<decltype(f)>;
                if constexpr (std::is_same_v<T, BlurFilter>) {
                    add(f.blurX), add(f.blurY), add(std::uint64_t(f.passes));
                } else if constexpr (std::is_same_v<T, DropShadowFilter>) {
                    color(f.color);
                    add(f.blurX), add(f.blurY), add(f.angle), add(f.distance), add(f.strength);
                    flags({f.inner, f.knockout, f.compositeSource});
                    add(std::uint64_t(f.passes));
                } else if constexpr (std::is_same_v<T, GlowFilter>) {
                    color(f.color);
                    add(f.blurX), add(f.blurY), add(f.strength);
                    flags({f.inner, f.knockout, f.compositeSource});
                    add(std::uint64_t(f.passes));
                } else if constexpr (std::is_same_v<T, BevelFilter>) {
                    color(f.highlight), color(f.shadow);
                    add(f.blurX), add(f.blurY), add(f.angle), add(f.distance), add(f.strength);
                    flags({f.inner, f.knockout, f.onTop});
                    add(std::uint64_t(f.passes));
                } else if constexpr (std::is_same_v<T, GradientFilter>) {
                    flags({f.bevel, f.inner, f.knockout, f.onTop});
                    add(std::uint64_t(f.colors.size()));
                    for (Rgba c : f.colors) color(c);
                    add(std::uint64_t(f.ratios.size()));
                    for (std::uint8_t r : f.ratios) add(std::uint64_t(r));
                    add(f.blurX), add(f.blurY), add(f.angle), add(f.distance), add(f.strength);
                    add(std::uint64_t(f.passes));
                } else if constexpr (std::is_same_v<T, ConvolutionFilter>) {
                    add(std::uint64_t(std::uint32_t(f.columns))), add(std::uint64_t(std::uint32_t(f.rows)));
                    add(f.divisor), add(f.bias);
                    add(std::uint64_t(f.matrix.size()));
                    for (double v : f.matrix) add(v);
                    color(f.defaultColor);
                    flags({f.clamp, f.preserveAlpha});
                } else if constexpr (std::is_same_v<T, ColorMatrixFilter>) {
                    for (double v : f.matrix) add(v);
                }
            },
            filter);
    }
}

void RenderInputs::addMovieOf(const DisplayObject& object)
{
    const std::shared_ptr<const Movie>& movie = object.moviePointer();
    add(static_cast<const void*>(movie.get()));
    if (movie && std::find(movies_.begin(), movies_.end(), movie) == movies_.end()) movies_.push_back(movie);
}

bool RenderInputs::addContent(const DisplayObject& object) { return addContent(object, kMaxDepth); }

bool RenderInputs::addObject(const DisplayObject& object, int depthLeft)
{
    const runtime::Placement& p = object.placement();
    add(std::uint64_t(std::uint32_t(object.depth())));
    add(std::uint64_t(std::uint32_t(p.clipDepth)));
    add(std::uint64_t(p.visible ? 1 : 0) | std::uint64_t(p.blendMode) << 8);
    add(p.matrix);
    add(p.colorTransform);
    if (p.filters.empty()) {
        add(std::uint64_t(0));
    } else {
        add(renderFilters(p.filters));
    }
    return addContent(object, depthLeft);
}

bool RenderInputs::addContent(const DisplayObject& object, int depthLeft)
{
    if (depthLeft <= 0) return false;
    add(std::uint64_t(object.kind()));
    // Bitmaps and fonts are looked up in the object's own movie.
    addMovieOf(object);
    const runtime::DisplayList* children = nullptr;
    switch (object.kind()) {
    case ObjectKind::Shape: add(&static_cast<const runtime::ShapeObject&>(object).definition()); break;
    case ObjectKind::MorphShape: {
        const auto& morph = static_cast<const runtime::MorphShapeObject&>(object);
        add(&morph.definition());
        add(std::uint64_t(morph.ratio()));
        break;
    }
    case ObjectKind::StaticText: add(&static_cast<const runtime::StaticTextObject&>(object).definition()); break;
    case ObjectKind::EditText: {
        // Every change to a field's definition copy, text or look takes a new revision from
        // the stage; the text itself is added as well, as it is what the field shows.
        const auto& field = static_cast<const runtime::EditTextObject&>(object);
        add(object.id());
        add(field.revision());
        add(std::uint64_t(field.html() ? 1 : 0));
        const std::string& text = field.text();
        add(std::uint64_t(text.size()));
        for (std::size_t i = 0; i < text.size(); i += 8) {
            std::uint64_t word = 0;
            for (std::size_t k = i; k < std::min(text.size(), i + 8); ++k)
                word = word << 8 | std::uint8_t(text[k]);
            add(word);
        }
        break;
    }
    case ObjectKind::Bitmap: add(static_cast<const runtime::BitmapObject&>(object).bitmap()); break;
    case ObjectKind::Video: break;
    case ObjectKind::MovieClip: {
        // Drawing-API content: its revision counts the edits of this clip's drawing.
        const auto& clip = static_cast<const runtime::MovieClip&>(object);
        if (clip.drawing().empty()) {
            add(std::uint64_t(0));
        } else {
            add(object.id());
            add(clip.drawing().revision() + 1);
        }
        children = object.children();
        break;
    }
    case ObjectKind::Button: children = object.children(); break;
    }
    if (!children) return true;
    const auto items = children->items();
    add(std::uint64_t(items.size()));
    for (const auto& child : items)
        if (!addObject(*child, depthLeft - 1)) return false;
    return true;
}

}  // namespace swf::render
