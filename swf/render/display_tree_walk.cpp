#include "swf/render/display_tree_walk.h"

#include <type_traits>
#include <variant>

#include "swf/runtime/character_objects.h"
#include "swf/runtime/display_list.h"
#include "swf/runtime/movie_clip.h"

namespace swf::render {
namespace {

using runtime::DisplayObject;
using runtime::ObjectKind;

void drawRange(RenderContext& context, std::span<const std::unique_ptr<DisplayObject>> items, const Matrix& world,
               const ColorTransform& colors);

void drawContent(RenderContext& context, const DisplayObject& object, const Matrix& world, const ColorTransform& colors)
{
    switch (object.kind()) {
    case ObjectKind::Shape:
        context.drawShape(static_cast<const runtime::ShapeObject&>(object).definition(), world, colors);
        break;
    case ObjectKind::MorphShape: {
        const auto& morph = static_cast<const runtime::MorphShapeObject&>(object);
        context.drawMorphShape(morph.definition(), morph.ratio(), world, colors);
        break;
    }
    case ObjectKind::StaticText:
        context.drawStaticText(static_cast<const runtime::StaticTextObject&>(object).definition(), world, colors);
        break;
    case ObjectKind::EditText: {
        const auto& field = static_cast<const runtime::EditTextObject&>(object);
        TextFieldState state = TextFieldState::fromDefinition(field.definition());
        state.text = field.text();
        state.html = field.html();
        context.drawEditText(field.definition(), state, world, colors);
        break;
    }
    case ObjectKind::Bitmap:
        if (const Bitmap* bitmap = static_cast<const runtime::BitmapObject&>(object).bitmap())
            context.drawBitmap(*bitmap, world, colors);
        break;
    case ObjectKind::Video:
        break;  // frames are not decoded: nothing to show
    case ObjectKind::MovieClip:
    case ObjectKind::Button:
        if (const runtime::DisplayList* list = object.children()) drawRange(context, list->items(), world, colors);
        break;
    }
}

// Draws objects in depth order; an object with a clip depth masks the ones after it up to that
// depth (within this range).
void drawRange(RenderContext& context, std::span<const std::unique_ptr<DisplayObject>> items, const Matrix& world,
               const ColorTransform& colors)
{
    std::size_t i = 0;
    while (i < items.size()) {
        const DisplayObject& object = *items[i];
        const int clipDepth = object.clipDepth();
        if (clipDepth <= 0) {
            drawDisplayObject(context, object, world, colors);
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < items.size() && items[end]->depth() <= clipDepth) ++end;
        context.beginMask();
        drawContent(context, object, world * object.matrix(), colors * object.colorTransform());
        context.beginMaskedContent();
        drawRange(context, items.subspan(i + 1, end - i - 1), world, colors);
        context.endMask();
        i = end;
    }
}

}  // namespace

BlendMode renderBlendMode(swf::BlendMode mode) { return static_cast<BlendMode>(static_cast<std::uint8_t>(mode)); }

std::vector<Filter> renderFilters(const std::vector<swf::Filter>& filters)
{
    std::vector<Filter> out;
    out.reserve(filters.size());
    for (const swf::Filter& filter : filters) {
        std::visit(
            [&](const auto& f) {
                using T = std::decay_t<decltype(f)>;
                if constexpr (std::is_same_v<T, swf::DropShadowFilter>) {
                    out.push_back(DropShadowFilter{f.color, f.blurX, f.blurY, f.angle, f.distance, f.strength, f.inner,
                                                   f.knockout, f.compositeSource, f.passes});
                } else if constexpr (std::is_same_v<T, swf::BlurFilter>) {
                    out.push_back(BlurFilter{f.blurX, f.blurY, f.passes});
                } else if constexpr (std::is_same_v<T, swf::GlowFilter>) {
                    out.push_back(GlowFilter{f.color, f.blurX, f.blurY, f.strength, f.inner, f.knockout,
                                             f.compositeSource, f.passes});
                } else if constexpr (std::is_same_v<T, swf::BevelFilter>) {
                    out.push_back(BevelFilter{f.highlightColor, f.shadowColor, f.blurX, f.blurY, f.angle, f.distance,
                                              f.strength, f.inner, f.knockout, f.onTop, f.passes});
                } else if constexpr (std::is_same_v<T, swf::GradientFilter>) {
                    out.push_back(GradientFilter{f.bevel, f.colors, f.ratios, f.blurX, f.blurY, f.angle, f.distance,
                                                 f.strength, f.inner, f.knockout, f.onTop, f.passes});
                } else if constexpr (std::is_same_v<T, swf::ConvolutionFilter>) {
                    ConvolutionFilter c;
                    c.columns = f.matrixX;
                    c.rows = f.matrixY;
                    c.divisor = f.divisor;
                    c.bias = f.bias;
                    c.matrix.assign(f.matrix.begin(), f.matrix.end());
                    c.defaultColor = f.defaultColor;
                    c.clamp = f.clamp;
                    c.preserveAlpha = f.preserveAlpha;
                    out.push_back(std::move(c));
                } else if constexpr (std::is_same_v<T, swf::ColorMatrixFilter>) {
                    ColorMatrixFilter c;
                    for (std::size_t k = 0; k < c.matrix.size(); ++k) c.matrix[k] = f.matrix[k];
                    out.push_back(c);
                }
            },
            filter);
    }
    return out;
}

void drawDisplayObject(RenderContext& context, const DisplayObject& object, const Matrix& parentWorld,
                       const ColorTransform& parentColors)
{
    if (!object.visible()) return;
    const Matrix world = parentWorld * object.matrix();
    const ColorTransform colors = parentColors * object.colorTransform();
    const runtime::Placement& p = object.placement();
    const bool group =
        !context.drawingCoverage() && (p.blendMode != swf::BlendMode::Normal || !p.filters.empty());
    if (!group) {
        drawContent(context, object, world, colors);
        return;
    }
    context.beginGroup();
    drawContent(context, object, world, colors);
    context.endGroup(renderBlendMode(p.blendMode), renderFilters(p.filters), context.filterScaleFor());
}

void drawStage(RenderContext& context, const runtime::Stage& stage)
{
    context.clear(stage.background());
    const runtime::MovieClip& root = stage.root();
    drawDisplayObject(context, root, Matrix(), ColorTransform());
}

}  // namespace swf::render
