#include "swf/render/display_tree_walk.h"

#include <cmath>
#include <memory>
#include <optional>
#include <unordered_map>
#include <type_traits>
#include <variant>

#include "swf/render/movie_resources.h"
#include "swf/render/render_cache.h"
#include "swf/render/render_inputs.h"
#include "swf/render/shape_painter.h"
#include "swf/runtime/character_objects.h"
#include "swf/runtime/display_list.h"
#include "swf/runtime/movie_clip.h"

namespace swf::render {
namespace {

using runtime::DisplayObject;
using runtime::ObjectKind;

QRectF toRectF(const Rect& r) { return QRectF(r.xMin, r.yMin, double(r.xMax) - r.xMin, double(r.yMax) - r.yMin); }

// The character's own bounds in its twips, for the kinds that have them.
std::optional<QRectF> characterBounds(const DisplayObject& object)
{
    switch (object.kind()) {
    case ObjectKind::Shape: return toRectF(static_cast<const runtime::ShapeObject&>(object).definition().bounds);
    case ObjectKind::MorphShape: {
        const auto& morph = static_cast<const runtime::MorphShapeObject&>(object).definition();
        return toRectF(morph.startBounds).united(toRectF(morph.endBounds));
    }
    case ObjectKind::StaticText: {
        const auto& text = static_cast<const runtime::StaticTextObject&>(object).definition();
        return toQTransform(text.matrix).mapRect(toRectF(text.bounds));
    }
    case ObjectKind::EditText:
        return toRectF(static_cast<const runtime::EditTextObject&>(object).definition().bounds);
    case ObjectKind::Bitmap:
        if (const Bitmap* b = static_cast<const runtime::BitmapObject&>(object).bitmap())
            return QRectF(0, 0, b->width * 20.0, b->height * 20.0);
        return std::nullopt;
    default: return std::nullopt;
    }
}

// One pass over a tree. `visible_` is the area the target shows, in its device pixels: objects
// wholly outside it are not drawn (empty: draw everything). Inside a filter group nothing is
// culled, since a blur or a shadow reaches into view from outside.
class TreeWalk {
public:
    TreeWalk(RenderContext& context, QRectF visible) : context_(context), visible_(visible) {}

    void drawObject(const DisplayObject& object, const Matrix& parentWorld, const ColorTransform& parentColors)
    {
        if (!object.visible()) return;
        const Matrix world = parentWorld * object.matrix();
        const ColorTransform colors = parentColors * object.colorTransform();
        const runtime::Placement& p = object.placement();
        const bool group =
            !context_.drawingCoverage() && (p.blendMode != swf::BlendMode::Normal || !p.filters.empty());
        if (!group) {
            drawContent(object, world, colors);
            return;
        }
        const BlendMode mode = renderBlendMode(p.blendMode);
        if (p.filters.empty()) {
            context_.beginGroup();
            drawContent(object, world, colors);
            context_.endGroup(mode, {}, context_.filterScaleFor());
            return;
        }
        drawFiltered(object, world, colors, mode, renderFilters(p.filters));
    }

private:
    // A filtered object: drawn with its origin on a whole device pixel, as the reference player
    // places the cached pictures of filtered objects; its picture from an earlier frame when
    // everything it is drawn from is unchanged (moved by whole pixels if the object only moved),
    // else drawn, filtered and kept. Nothing is culled inside (a blur or a shadow reaches into
    // view from outside), so the picture does not depend on the visible area.
    void drawFiltered(const DisplayObject& object, const Matrix& world, const ColorTransform& colors, BlendMode mode,
                      const std::vector<Filter>& filters)
    {
        const std::optional<SnappedPlace> place = snappedPlace(world);
        const Matrix& drawn = place ? place->world : world;
        const double filterScale = context_.filterScaleFor();
        RenderInputs inputs;
        const bool describable = place && describeFiltered(inputs, object, world, colors, filters, filterScale);
        GroupPictures& pictures = context_.cache().groupPictures();
        if (describable) {
            auto fits = [&](const GroupPicture& kept) {
                const QPoint shift = place->origin - kept.origin;
                return shift.isNull() || context_.canShift(kept, shift);
            };
            if (const GroupPicture* kept = pictures.find(object.id(), inputs, fits)) {
                context_.drawGroupPicture(*kept, mode, place->origin - kept->origin);
                return;
            }
        }
        context_.beginGroup();
        const QRectF visible = visible_;
        visible_ = QRectF();
        drawContent(object, drawn, colors);
        visible_ = visible;
        GroupPicture picture;
        context_.endGroup(mode, filters, filterScale, &picture);
        if (describable) {
            picture.origin = place->origin;
            pictures.keep(object.id(), std::move(inputs), std::move(picture));
        }
    }

    // The world matrix moved so that the object's origin falls on the nearest whole device
    // pixel, and that pixel; none when the origin is far out or the mapping is degenerate.
    struct SnappedPlace {
        Matrix world;
        QPoint origin;
    };
    std::optional<SnappedPlace> snappedPlace(const Matrix& world) const
    {
        const QTransform& s = context_.stageToDevice();
        const QPointF exact = s.map(QPointF(world.tx, world.ty));
        constexpr double kFar = RenderContext::kFarthestOrigin;
        if (!(std::abs(exact.x()) < kFar && std::abs(exact.y()) < kFar)) return std::nullopt;
        const QTransform linear(s.m11(), s.m12(), s.m21(), s.m22(), 0, 0);
        bool invertible = false;
        const QTransform back = linear.inverted(&invertible);
        if (!invertible) return std::nullopt;
        const QPoint origin(int(std::lround(exact.x())), int(std::lround(exact.y())));
        const QPointF move = back.map(QPointF(origin) - exact);
        Matrix snapped = world;
        snapped.tx += move.x();
        snapped.ty += move.y();
        return SnappedPlace{snapped, origin};
    }

    // What a filtered object's picture is drawn from: the device mapping and quality, the
    // linear part of the object's world matrix (where its origin lies is the picture's place,
    // see drawFiltered), its colour transform, the layer it is clipped to, its filters and their
    // scale, and its content down the tree.
    bool describeFiltered(RenderInputs& inputs, const DisplayObject& object, const Matrix& world,
                          const ColorTransform& colors, const std::vector<Filter>& filters, double filterScale) const
    {
        const QTransform& s = context_.stageToDevice();
        for (double v : {s.m11(), s.m12(), s.m13(), s.m21(), s.m22(), s.m23(), s.m31(), s.m32(), s.m33()}) inputs.add(v);
        inputs.add(std::uint64_t(context_.quality()));
        const QRect clip = context_.groupRect();
        for (int v : {clip.left(), clip.top(), clip.width(), clip.height()}) inputs.add(std::uint64_t(std::uint32_t(v)));
        for (double v : {world.a, world.b, world.c, world.d}) inputs.add(v);
        inputs.add(colors);
        inputs.add(filterScale);
        inputs.add(filters);
        return inputs.addContent(object);
    }

    bool outOfView(const DisplayObject& object, const Matrix& world) const
    {
        if (visible_.isEmpty()) return false;
        const std::optional<QRectF> bounds = characterBounds(object);
        if (!bounds) return false;
        // Margin for antialiasing, hairlines and glyphs that overhang their bounds a little.
        const QRectF device = (toQTransform(world) * context_.stageToDevice()).mapRect(*bounds).adjusted(-4, -4, 4, 4);
        return !device.intersects(visible_);
    }

    // While an object of a movie loaded into a clip or a level draws, bitmaps and fonts come
    // from that movie (the context's own resources are the stage's movie's).
    class ResourcesOf {
    public:
        ResourcesOf(TreeWalk& walk, const DisplayObject& object) : context_(walk.context_)
        {
            if (&object.movie() == &object.stage().movie()) return;
            previous_ = &context_.resources();
            auto& slot = walk.loadedResources_[&object.movie()];
            if (!slot) slot = std::make_unique<MovieResources>(object.movie());
            context_.setResources(*slot);
        }
        ~ResourcesOf()
        {
            if (previous_) context_.setResources(*previous_);
        }
        ResourcesOf(const ResourcesOf&) = delete;
        ResourcesOf& operator=(const ResourcesOf&) = delete;

    private:
        RenderContext& context_;
        const RenderResources* previous_ = nullptr;
    };

    void drawContent(const DisplayObject& object, const Matrix& world, const ColorTransform& colors)
    {
        if (outOfView(object, world)) return;
        const ResourcesOf resources(*this, object);
        switch (object.kind()) {
        case ObjectKind::Shape:
            context_.drawShape(static_cast<const runtime::ShapeObject&>(object).definition(), world, colors);
            break;
        case ObjectKind::MorphShape: {
            const auto& morph = static_cast<const runtime::MorphShapeObject&>(object);
            context_.drawMorphShape(morph.definition(), morph.ratio(), world, colors);
            break;
        }
        case ObjectKind::StaticText:
            context_.drawStaticText(static_cast<const runtime::StaticTextObject&>(object).definition(), world, colors);
            break;
        case ObjectKind::EditText: {
            const auto& field = static_cast<const runtime::EditTextObject&>(object);
            TextFieldState state = editTextState(field);
            context_.drawEditText(field.definition(), state, world, colors);
            break;
        }
        case ObjectKind::Bitmap:
            if (const Bitmap* bitmap = static_cast<const runtime::BitmapObject&>(object).bitmap())
                context_.drawBitmap(*bitmap, world, colors);
            break;
        case ObjectKind::Video:
            break;  // frames are not decoded: nothing to show
        case ObjectKind::MovieClip: {
            const auto& clip = static_cast<const runtime::MovieClip&>(object);
            if (!clip.drawing().empty())
                context_.drawGeometry(*context_.cache().drawing(clip.id(), clip.drawing().revision(), clip.drawing().shape()),
                                      world, colors);
            if (const runtime::DisplayList* list = object.children()) drawRange(list->items(), world, colors);
            break;
        }
        case ObjectKind::Button:
            if (const runtime::DisplayList* list = object.children()) drawRange(list->items(), world, colors);
            break;
        }
    }

    // Objects in depth order; an object with a clip depth masks the ones after it up to that
    // depth (within this range).
    void drawRange(std::span<const std::unique_ptr<DisplayObject>> items, const Matrix& world,
                   const ColorTransform& colors)
    {
        std::size_t i = 0;
        while (i < items.size()) {
            const DisplayObject& object = *items[i];
            const int clipDepth = object.clipDepth();
            if (clipDepth <= 0) {
                drawObject(object, world, colors);
                ++i;
                continue;
            }
            std::size_t end = i + 1;
            while (end < items.size() && items[end]->depth() <= clipDepth) ++end;
            // A mask draws whether visible or not: only its area counts.
            context_.beginMask();
            drawContent(object, world * object.matrix(), colors * object.colorTransform());
            context_.beginMaskedContent();
            drawRange(items.subspan(i + 1, end - i - 1), world, colors);
            context_.endMask();
            i = end;
        }
    }

    RenderContext& context_;
    QRectF visible_;
    std::unordered_map<const Movie*, std::unique_ptr<MovieResources>> loadedResources_;
};

}  // namespace

TextFieldState editTextState(const runtime::EditTextObject& field)
{
    TextFieldState state = TextFieldState::fromDefinition(field.definition());
    state.text = field.text();
    state.html = field.html();
    const auto& look = field.look();
    state.background = look.background;
    state.backgroundColor = look.backgroundColor;
    state.borderColor = look.borderColor;
    state.scroll = look.scroll;
    state.hscroll = look.hscroll;
    state.revision = field.revision();
    return state;
}

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

void drawDisplayObject(RenderContext& context, const runtime::DisplayObject& object, const Matrix& parentWorld,
                       const ColorTransform& parentColors)
{
    TreeWalk(context, QRectF()).drawObject(object, parentWorld, parentColors);
}

void drawStage(RenderContext& context, const runtime::Stage& stage, QRectF visible)
{
    context.clear(stage.background());
    // Levels above 0 draw over the lower ones.
    GroupPictures& pictures = context.cache().groupPictures();
    pictures.beginFrame();
    TreeWalk walk(context, visible);
    for (const runtime::MovieClip* level : stage.levelRoots()) walk.drawObject(*level, Matrix(), ColorTransform());
    pictures.endFrame();
}

}  // namespace swf::render
