#include "swf/runtime/script_node.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <variant>

#include "swf/avm1/number_format.h"
#include "swf/avm1/string.h"
#include "swf/avm1/vm.h"
#include "swf/runtime/character_objects.h"
#include "swf/runtime/display_geometry.h"
#include "swf/runtime/html_text.h"
#include "swf/runtime/movie_clip.h"
#include "swf/runtime/object_factory.h"
#include "swf/runtime/script_engine.h"
#include "swf/runtime/stage.h"

namespace swf::runtime {

using avm1::DisplayProperty;
using avm1::TextProperty;
using avm1::TextValue;

std::u16string toUtf16(std::string_view utf8) { return avm1::String::fromUtf8(utf8).str(); }
std::string toUtf8(std::u16string_view text) { return avm1::String(text).toUtf8(); }

namespace {

// Pixels to twips as Flash stores positions: whole twips, NaN and infinities ignored by callers.
double toTwips(double pixels) { return std::round(pixels * 20); }

bool scriptable(const DisplayObject& o)
{
    return o.kind() == ObjectKind::MovieClip || o.kind() == ObjectKind::Button || o.kind() == ObjectKind::EditText;
}

Rgba rgbOf(double value)
{
    // As scripts convert numbers to 32-bit integers: the whole part modulo 2^32, NaN and
    // infinities as 0 (a plain cast of those is undefined).
    double whole = std::isfinite(value) ? std::fmod(std::trunc(value), 4294967296.0) : 0.0;
    if (whole < 0) whole += 4294967296.0;
    const auto v = static_cast<std::uint32_t>(whole);
    return Rgba{static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v), 255};
}
double numberOf(Rgba c) { return (c.r << 16) | (c.g << 8) | c.b; }

FillStyle gradientFill(const avm1::GradientStyle& g)
{
    FillStyle f;
    f.kind = g.radial ? (g.focalPoint != 0 ? FillStyle::Kind::FocalGradient : FillStyle::Kind::RadialGradient)
                      : FillStyle::Kind::LinearGradient;
    f.gradient.focalPoint = g.focalPoint;
    f.gradient.spread = static_cast<SpreadMode>(static_cast<std::uint8_t>(g.spread));
    f.gradient.interpolation = g.linearRgb ? InterpolationMode::LinearRgb : InterpolationMode::Normal;
    for (const auto& stop : g.stops) f.gradient.stops.push_back(GradientStop{stop.ratio, stop.color});
    f.matrix = g.matrix;
    f.matrix.tx *= 20;
    f.matrix.ty *= 20;
    // The gradient square is defined in twips; the matrix maps it to pixels.
    f.matrix.a *= 20;
    f.matrix.b *= 20;
    f.matrix.c *= 20;
    f.matrix.d *= 20;
    return f;
}

}  // namespace

ScriptNode::ScriptNode(ScriptEngine& engine, DisplayObject& object) : engine_(engine), object_(&object) {}

MovieClip* ScriptNode::clip() const
{
    return object_ && object_->kind() == ObjectKind::MovieClip ? static_cast<MovieClip*>(object_) : nullptr;
}
EditTextObject* ScriptNode::field() const
{
    return object_ && object_->kind() == ObjectKind::EditText ? static_cast<EditTextObject*>(object_) : nullptr;
}
ButtonObject* ScriptNode::button() const
{
    return object_ && object_->kind() == ObjectKind::Button ? static_cast<ButtonObject*>(object_) : nullptr;
}

avm1::DisplayKind ScriptNode::kind() const
{
    if (object_ && object_->kind() == ObjectKind::Button) return avm1::DisplayKind::Button;
    if (object_ && object_->kind() == ObjectKind::EditText) return avm1::DisplayKind::TextField;
    return avm1::DisplayKind::MovieClip;
}

int ScriptNode::swfVersion() const { return object_ ? object_->movie().version() : 7; }

int ScriptNode::levelNumber() const { return object_ && !object_->parent() ? object_->level() : 0; }

avm1::DisplayNode* ScriptNode::parent() const
{
    if (!object_ || !object_->parent()) return nullptr;
    return &engine_.nodeOf(*object_->parent());
}

std::u16string ScriptNode::name() const { return object_ ? toUtf16(object_->name()) : std::u16string(); }

void ScriptNode::setName(const std::u16string& name)
{
    if (object_) object_->placement().name = toUtf8(name);
}

avm1::DisplayNode* ScriptNode::childByName(std::u16string_view name, bool caseSensitive) const
{
    if (!object_ || !object_->children()) return nullptr;
    const std::string wanted = toUtf8(name);
    for (const auto& child : object_->children()->items())
        if (scriptable(*child) && namesEqual(child->name(), wanted, caseSensitive)) return &engine_.nodeOf(*child);
    return nullptr;
}

std::vector<avm1::DisplayNode*> ScriptNode::children() const
{
    std::vector<avm1::DisplayNode*> out;
    if (!object_ || !object_->children()) return out;
    for (const auto& child : object_->children()->items())
        if (scriptable(*child)) out.push_back(&engine_.nodeOf(*child));
    return out;
}

int ScriptNode::depth() const { return object_ ? object_->depth() - kScriptDepthOffset : 0; }

DisplayObject::ScriptTransform ScriptNode::transform() const
{
    if (!object_) return {};
    if (const auto& t = object_->scriptTransform()) return *t;
    return decompose(object_->matrix());
}

void ScriptNode::setTransform(const DisplayObject::ScriptTransform& t)
{
    Matrix& m = object_->placement().matrix;
    m = compose(m, t);
    object_->setScriptTransform(t);
    touched();
}

void ScriptNode::touched()
{
    if (object_) object_->setScriptControlled(true);
}

double ScriptNode::property(DisplayProperty p) const
{
    if (!object_) return 0;
    switch (p) {
    case DisplayProperty::X: return object_->matrix().tx / 20;
    case DisplayProperty::Y: return object_->matrix().ty / 20;
    case DisplayProperty::XScale: return transform().xScale;
    case DisplayProperty::YScale: return transform().yScale;
    case DisplayProperty::Rotation: return transform().rotation;
    case DisplayProperty::CurrentFrame:
        if (auto* c = clip()) return c->currentFrame() + 1;
        return 1;
    case DisplayProperty::TotalFrames:
    case DisplayProperty::FramesLoaded:
        if (auto* c = clip()) return std::max(1, c->frameCount());
        return 1;
    case DisplayProperty::Alpha: return object_->colorTransform().aMult * 100;
    case DisplayProperty::Visible: return object_->visible() ? 1 : 0;
    case DisplayProperty::Width:
    case DisplayProperty::Height: {
        const Bounds b = boundsThrough(*object_, object_->matrix());
        if (b.empty) return 0;
        return (p == DisplayProperty::Width ? b.xMax - b.xMin : b.yMax - b.yMin) / 20;
    }
    case DisplayProperty::XMouse:
    case DisplayProperty::YMouse: {
        const Point m = engine_.mouseStage();
        const Point local = stageToLocal(*object_, Point{m.x * 20, m.y * 20});
        return std::round(p == DisplayProperty::XMouse ? local.x / 20 : local.y / 20);
    }
    default: return 0;
    }
}

void ScriptNode::setProperty(DisplayProperty p, double v)
{
    if (!object_) return;
    switch (p) {
    case DisplayProperty::X:
    case DisplayProperty::Y:
        if (!std::isfinite(v)) return;
        (p == DisplayProperty::X ? object_->placement().matrix.tx : object_->placement().matrix.ty) = toTwips(v);
        touched();
        return;
    case DisplayProperty::XScale:
    case DisplayProperty::YScale: {
        if (!std::isfinite(v)) return;
        auto t = transform();
        (p == DisplayProperty::XScale ? t.xScale : t.yScale) = v;
        setTransform(t);
        return;
    }
    case DisplayProperty::Rotation: {
        if (!std::isfinite(v)) return;
        auto t = transform();
        double r = std::fmod(v, 360.0);
        if (r > 180) r -= 360;
        if (r < -180) r += 360;
        t.rotation = r;
        setTransform(t);
        return;
    }
    case DisplayProperty::Alpha:
        if (!std::isfinite(v)) return;
        object_->placement().colorTransform.aMult = v / 100;
        touched();
        return;
    case DisplayProperty::Visible:
        if (std::isnan(v)) return;
        object_->placement().visible = v != 0;
        touched();
        return;
    case DisplayProperty::Width:
    case DisplayProperty::Height: {
        if (!std::isfinite(v) || v < 0) return;
        const Bounds own = boundsThrough(*object_, Matrix{});
        if (own.empty) return;
        auto t = transform();
        const double rad = t.rotation * 3.14159265358979323846 / 180;
        const double c = std::abs(std::cos(rad)), s = std::abs(std::sin(rad));
        const double w = own.xMax - own.xMin, h = own.yMax - own.yMin;
        // The parent-space extent along the wanted axis, from the unrotated box.
        if (p == DisplayProperty::Width) {
            const double base = w * c + 0 * s;
            if (base <= 0) return;
            t.xScale = v * 20 / (w) * 100 * (t.xScale < 0 ? -1 : 1);
            (void)h;
        } else {
            const double base = h * c;
            if (base <= 0 && h <= 0) return;
            t.yScale = v * 20 / h * 100 * (t.yScale < 0 ? -1 : 1);
        }
        setTransform(t);
        return;
    }
    default: return;
    }
}

std::u16string ScriptNode::dropTarget() const
{
    // The object under a dragged clip, as a slash path.
    if (!object_ || engine_.draggedObject() != object_->id()) return {};
    const Point m = engine_.mouseStage();
    const Point at{m.x * 20, m.y * 20};
    DisplayObject* found = nullptr;
    std::function<void(DisplayObject&)> visit = [&](DisplayObject& o) {
        if (&o == object_ || !o.visible()) return;
        if (o.kind() == ObjectKind::MovieClip && o.parent() && hitTest(o, at, true, true)) found = &o;
        if (DisplayList* list = o.children())
            for (const auto& child : list->items()) visit(*child);
    };
    for (MovieClip* levelRoot : object_->stage().levelRoots()) visit(*levelRoot);
    if (!found) return {};
    avm1::Object* obj = engine_.scriptObjectOf(*found);
    return engine_.vm().targetPathOf(obj, true).str();
}

std::u16string ScriptNode::url() const { return object_ ? engine_.urlOf(object_->movie()) : std::u16string(); }

ColorTransform ScriptNode::colorTransform() const { return object_ ? object_->colorTransform() : ColorTransform{}; }
void ScriptNode::setColorTransform(const ColorTransform& ct)
{
    if (!object_) return;
    object_->placement().colorTransform = ct;
    touched();
}

Matrix ScriptNode::matrix() const { return object_ ? object_->matrix() : Matrix{}; }
void ScriptNode::setMatrix(const Matrix& m)
{
    if (!object_) return;
    object_->placement().matrix = m;
    object_->setScriptTransform(std::nullopt);
    touched();
}

avm1::PixelRect ScriptNode::bounds(const avm1::DisplayNode* space) const
{
    if (!object_) return {};
    const DisplayObject* target = object_;
    if (space) {
        const auto* n = dynamic_cast<const ScriptNode*>(space);
        target = n ? n->object() : nullptr;
        if (!target) return {};
    }
    const Bounds b = boundsIn(*object_, target);
    // An empty clip reports the player's "no rectangle" corner, 0x7FFFFFF twips, on every side.
    if (b.empty) return {134217727.0 / 20, 134217727.0 / 20, 134217727.0 / 20, 134217727.0 / 20};
    return {b.xMin / 20, b.yMin / 20, b.xMax / 20, b.yMax / 20};
}

Point ScriptNode::localToGlobal(Point p) const
{
    if (!object_) return p;
    // Results come in whole twips, as Flash computes them.
    const Point s = localToStage(*object_, Point{p.x * 20, p.y * 20});
    return {std::round(s.x) / 20, std::round(s.y) / 20};
}

Point ScriptNode::globalToLocal(Point p) const
{
    if (!object_) return p;
    const Point l = stageToLocal(*object_, Point{p.x * 20, p.y * 20});
    return {std::round(l.x) / 20, std::round(l.y) / 20};
}

bool ScriptNode::hitTestPoint(double x, double y, bool shapeFlag) const
{
    if (!object_) return false;
    return hitTest(*object_, Point{x * 20, y * 20}, shapeFlag);
}

bool ScriptNode::hitTestObject(const avm1::DisplayNode& other) const
{
    const auto* n = dynamic_cast<const ScriptNode*>(&other);
    if (!object_ || !n || !n->object()) return false;
    const Bounds a = boundsIn(*object_, nullptr), b = boundsIn(*n->object(), nullptr);
    if (a.empty || b.empty) return false;
    return a.xMin <= b.xMax && b.xMin <= a.xMax && a.yMin <= b.yMax && b.yMin <= a.yMax;
}

void ScriptNode::play()
{
    if (auto* c = clip()) c->play();
}
void ScriptNode::stop()
{
    if (auto* c = clip()) c->stop();
}
void ScriptNode::nextFrame()
{
    if (auto* c = clip()) c->gotoFrame(c->currentFrame() + 1, false);
}
void ScriptNode::prevFrame()
{
    if (auto* c = clip()) c->gotoFrame(c->currentFrame() - 1, false);
}

void ScriptNode::nextScene()
{
    auto* c = clip();
    if (!c || !c->isRoot()) return;
    const auto& scenes = c->movie().scenes();
    for (const auto& scene : scenes) {
        if (static_cast<int>(scene.firstFrame) > c->currentFrame()) {
            c->gotoFrame(static_cast<int>(scene.firstFrame), true);
            return;
        }
    }
}

void ScriptNode::prevScene()
{
    auto* c = clip();
    if (!c || !c->isRoot()) return;
    const auto& scenes = c->movie().scenes();
    int current = -1, previous = -1;
    for (std::size_t i = 0; i < scenes.size(); ++i)
        if (static_cast<int>(scenes[i].firstFrame) <= c->currentFrame()) current = static_cast<int>(i);
    previous = current - 1;
    if (previous >= 0) c->gotoFrame(static_cast<int>(scenes[static_cast<std::size_t>(previous)].firstFrame), true);
}

void ScriptNode::gotoFrame(int frame, bool andPlay)
{
    auto* c = clip();
    if (!c) return;
    // Frame numbers below 1 go to the first frame; a frame past the end is not there to go
    // to: the clip stays where it is, playing or stopped as asked.
    if (frame > c->frameCount()) {
        if (andPlay)
            c->play();
        else
            c->stop();
        return;
    }
    c->gotoFrame(std::max(frame, 1) - 1, andPlay);
}

bool ScriptNode::gotoLabel(std::u16string_view label, bool andPlay)
{
    auto* c = clip();
    if (!c) return false;
    return c->gotoLabel(toUtf8(label), andPlay);
}

int ScriptNode::frameOfLabel(std::u16string_view label) const
{
    auto* c = clip();
    if (!c) return 0;
    const auto f = c->timeline().findLabel(toUtf8(label));
    return f ? static_cast<int>(*f) + 1 : 0;
}

std::vector<avm1::ActionBlock> ScriptNode::frameActions(int frame) const
{
    std::vector<avm1::ActionBlock> out;
    auto* c = clip();
    if (!c || frame < 1 || frame > c->frameCount()) return out;
    for (const ControlTag& tag : c->timeline().frameTags(static_cast<std::size_t>(frame - 1)))
        if (const auto* action = std::get_if<DoAction>(&tag))
            out.push_back(avm1::ActionBlock::borrowed(c->moviePointer(), action->actions, c->movie().version()));
    return out;
}

bool ScriptNode::isPlaying() const
{
    auto* c = clip();
    return c && c->playing();
}

avm1::DisplayNode* ScriptNode::placeScriptObject(std::unique_ptr<DisplayObject> object, std::u16string_view name,
                                                  int depth)
{
    auto* c = clip();
    // Script depths run from -16384 (timeline depth 0) to 2130690044.
    if (!c || !object || depth < -kScriptDepthOffset || depth > 2130690044) return nullptr;
    object->placement().name = toUtf8(name);
    const int timelineDepth = depth + kScriptDepthOffset;
    if (c->displayList().at(timelineDepth)) c->stage().removeChild(*c, timelineDepth);
    DisplayObject& placed = c->displayList().put(timelineDepth, std::move(object));
    return &engine_.nodeOf(placed);
}

avm1::DisplayNode* ScriptNode::attachMovie(std::u16string_view exportName, std::u16string_view name, int depth,
                                           avm1::Object* initObject)
{
    auto* c = clip();
    if (!c) return nullptr;
    Stage& stage = c->stage();
    // Export names match ignoring case; they name symbols of the clip's own movie.
    const Movie& movie = c->movie();
    const std::string wanted = toUtf8(exportName);
    std::optional<std::uint16_t> id = movie.exportedCharacter(wanted);
    if (!id)
        for (const AssetEntry& e : movie.exports())
            if (namesEqual(e.name, wanted, false)) {
                id = e.characterId;
                break;
            }
    if (!id || !movie.sprite(*id)) return nullptr;
    std::unique_ptr<DisplayObject> object = createDisplayObject(stage, c->moviePointer(), *id, c->nesting() + 1);
    if (!object) return nullptr;
    avm1::DisplayNode* node = placeScriptObject(std::move(object), name, depth);
    if (!node) return nullptr;
    auto* made = static_cast<ScriptNode*>(node)->object();
    engine_.vm().initializeClip(node->scriptObject(), initObject, avm1::String(exportName));
    if (made && stage.find(made->id()) == made) {
        stage.queueClipEvent(*made, clip_event::Load);
        made->initialize();
    }
    return node;
}

avm1::DisplayNode* ScriptNode::createEmptyMovieClip(std::u16string_view name, int depth)
{
    auto* c = clip();
    if (!c || !c->stage().mayCreateObject(c->nesting() + 1)) return nullptr;
    Stage& stage = c->stage();
    auto object = std::make_unique<MovieClip>(stage, c->moviePointer(), stage.emptyTimeline(), 0);
    avm1::DisplayNode* node = placeScriptObject(std::move(object), name, depth);
    // An empty clip made by script gets no Load event.
    if (auto* made = node ? static_cast<ScriptNode*>(node)->object() : nullptr) made->initialize();
    return node;
}

avm1::DisplayNode* ScriptNode::createTextField(std::u16string_view name, int depth, double x, double y, double w,
                                               double h)
{
    auto* c = clip();
    if (!c || !c->stage().mayCreateObject(c->nesting() + 1)) return nullptr;
    Stage& stage = c->stage();
    EditTextDefinition def;
    def.bounds = Rect{0, avm1::toClampedInt(toTwips(std::max(0.0, w))), 0, avm1::toClampedInt(toTwips(std::max(0.0, h)))};
    def.fontHeight = 240;
    def.readOnly = true;
    def.color = Rgba{0, 0, 0, 255};
    auto object = std::make_unique<EditTextObject>(stage, def);
    object->setMovie(c->moviePointer());
    object->placement().matrix.tx = toTwips(x);
    object->placement().matrix.ty = toTwips(y);
    avm1::DisplayNode* node = placeScriptObject(std::move(object), name, depth);
    if (auto* made = node ? static_cast<ScriptNode*>(node)->object() : nullptr) made->initialize();
    return node;
}

avm1::DisplayNode* ScriptNode::duplicate(std::u16string_view name, int depth, avm1::Object* initObject)
{
    if (!object_ || !object_->parent() || object_->kind() != ObjectKind::MovieClip) return nullptr;
    auto* parentClip = object_->parent()->kind() == ObjectKind::MovieClip ? static_cast<MovieClip*>(object_->parent()) : nullptr;
    if (!parentClip) return nullptr;
    Stage& stage = object_->stage();
    std::unique_ptr<DisplayObject> copy;
    auto* source = static_cast<MovieClip*>(object_);
    // A clip made empty by script, or one a movie was loaded into, is copied with its timeline.
    if (source->characterId() == 0 || &source->timeline() == &source->movie().timeline())
        copy = std::make_unique<MovieClip>(stage, source->moviePointer(), source->timeline(), 0);
    else
        copy = createDisplayObject(stage, source->moviePointer(), source->characterId(), parentClip->nesting() + 1);
    if (!copy) return nullptr;
    Placement p = object_->placement();
    p.clipDepth = 0;
    copy->placement() = p;
    copy->setClipActions(object_->clipActions());
    copy->setScriptTransform(object_->scriptTransform());
    if (copy->kind() == ObjectKind::MovieClip) static_cast<MovieClip&>(*copy).drawing() = source->drawing();
    ScriptNode& parentNode = engine_.nodeOf(*parentClip);
    avm1::DisplayNode* node = parentNode.placeScriptObject(std::move(copy), name, depth);
    if (!node) return nullptr;
    auto* made = static_cast<ScriptNode*>(node)->object();
    stage.queueConstruct(*made, true);
    if (stage.find(made->id()) != made) return node;
    engine_.vm().initializeClip(node->scriptObject(), initObject, {});
    if (stage.find(made->id()) == made) {
        stage.queueClipEvent(*made, clip_event::Load);
        made->initialize();
    }
    return node;
}

void ScriptNode::removeFromParent()
{
    if (!object_ || !object_->parent()) return;
    const int scriptDepth = depth();
    // Only objects at script depths can be removed by script.
    if (scriptDepth < 0 || scriptDepth >= 2130690032) return;
    object_->stage().removeChild(*object_->parent(), object_->depth());
}

void ScriptNode::swapDepths(int depth)
{
    if (!object_ || !object_->parent()) return;
    DisplayList* list = object_->parent()->children();
    if (!list) return;
    // Depths outside what scripts may use are refused.
    if (depth < -kScriptDepthOffset || depth > 2130690044) return;
    const int from = object_->depth();
    const int to = depth + kScriptDepthOffset;
    if (from == to) return;
    std::unique_ptr<DisplayObject> self = list->take(from);
    std::unique_ptr<DisplayObject> other = list->take(to);
    self->releaseFromTimeline();
    if (other) {
        other->releaseFromTimeline();
        list->put(from, std::move(other));
    }
    list->put(to, std::move(self));
}

void ScriptNode::swapDepthsWith(avm1::DisplayNode& otherNode)
{
    auto* n = dynamic_cast<ScriptNode*>(&otherNode);
    if (!n || !n->object() || !object_ || n->object()->parent() != object_->parent()) return;
    swapDepths(n->object()->depth() - kScriptDepthOffset);
}

int ScriptNode::nextHighestDepth() const
{
    int highest = -1;
    if (object_ && object_->children())
        for (const auto& child : object_->children()->items())
            highest = std::max(highest, child->depth() - kScriptDepthOffset);
    return highest + 1;
}

avm1::DisplayNode* ScriptNode::instanceAtDepth(int depth) const
{
    if (!object_ || !object_->children() || depth > 2130690044) return nullptr;
    DisplayObject* o = object_->children()->at(depth + kScriptDepthOffset);
    if (!o) return nullptr;
    // Shapes and static text at a depth answer as the clip that holds them.
    if (!scriptable(*o)) return const_cast<ScriptNode*>(this);
    return &engine_.nodeOf(*o);
}

std::int64_t ScriptNode::bytesLoaded() const
{
    // A clip made empty by script has no bytes of its own; the others report their movie's
    // (a clip a movie was loaded into, that movie's).
    if (!object_) return 0;
    const std::int64_t movieBytes = static_cast<std::int64_t>(object_->movie().facts().declaredFileLength);
    if (const MovieClip* c = clip(); c && &c->timeline() == &c->movie().timeline()) return movieBytes;
    if (object_->characterId() == 0 && object_->parent()) return 0;
    return movieBytes;
}
std::int64_t ScriptNode::bytesTotal() const { return bytesLoaded(); }

void ScriptNode::setMask(avm1::DisplayNode* mask)
{
    auto* c = clip();
    if (!c) return;
    auto* n = dynamic_cast<ScriptNode*>(mask);
    c->setScriptMask(n && n->object() ? n->object()->id() : 0);
}

bool ScriptNode::enabled() const
{
    if (auto* c = clip()) return c->enabled();
    if (auto* b = button()) return b->enabled();
    return true;
}

void ScriptNode::drawClear()
{
    if (auto* c = clip()) c->drawing().clear();
}

void ScriptNode::drawLineStyle(const avm1::LineStyle& style)
{
    auto* c = clip();
    if (!c) return;
    if (style.none) {
        c->drawing().setLineStyle(std::nullopt);
        return;
    }
    LineStyle line;
    line.width = static_cast<std::uint16_t>(std::clamp(std::round(style.thickness * 20), 0.0, 65535.0));
    line.color = style.color;
    line.pixelHinting = style.pixelHinting;
    line.noHScale = style.scaleMode == avm1::LineStyle::ScaleMode::None || style.scaleMode == avm1::LineStyle::ScaleMode::Vertical;
    line.noVScale = style.scaleMode == avm1::LineStyle::ScaleMode::None || style.scaleMode == avm1::LineStyle::ScaleMode::Horizontal;
    line.startCap = line.endCap = static_cast<CapStyle>(static_cast<std::uint8_t>(style.caps));
    line.join = static_cast<JoinStyle>(static_cast<std::uint8_t>(style.joints));
    line.miterLimit = style.miterLimit;
    c->drawing().setLineStyle(line);
}

void ScriptNode::drawBeginFill(Rgba color)
{
    auto* c = clip();
    if (!c) return;
    FillStyle f;
    f.color = color;
    c->drawing().beginFill(f);
}

void ScriptNode::drawBeginGradientFill(const avm1::GradientStyle& style)
{
    if (auto* c = clip()) c->drawing().beginFill(gradientFill(style));
}

void ScriptNode::drawLineGradientStyle(const avm1::GradientStyle&) {}

void ScriptNode::drawMoveTo(double x, double y)
{
    if (auto* c = clip()) c->drawing().moveTo(Point{toTwips(x), toTwips(y)});
}
void ScriptNode::drawLineTo(double x, double y)
{
    if (auto* c = clip()) c->drawing().lineTo(Point{toTwips(x), toTwips(y)});
}
void ScriptNode::drawCurveTo(double cx, double cy, double ax, double ay)
{
    if (auto* c = clip()) c->drawing().curveTo(Point{toTwips(cx), toTwips(cy)}, Point{toTwips(ax), toTwips(ay)});
}
void ScriptNode::drawEndFill()
{
    if (auto* c = clip()) c->drawing().endFill();
}

// --- Text fields ---

namespace {

std::u16string autoSizeName(EditTextObject::Look::AutoSize a)
{
    switch (a) {
    case EditTextObject::Look::AutoSize::Left: return u"left";
    case EditTextObject::Look::AutoSize::Center: return u"center";
    case EditTextObject::Look::AutoSize::Right: return u"right";
    default: return u"none";
    }
}

bool truthy(const TextValue& v)
{
    switch (v.kind) {
    case TextValue::Kind::Boolean: return v.boolean;
    case TextValue::Kind::Number: return v.number != 0 && !std::isnan(v.number);
    case TextValue::Kind::String: return !v.string.empty();
    default: return false;
    }
}

double numeric(const TextValue& v)
{
    switch (v.kind) {
    case TextValue::Kind::Boolean: return v.boolean ? 1 : 0;
    case TextValue::Kind::Number: return v.number;
    default: return std::nan("");
    }
}

}  // namespace

avm1::TextValue ScriptNode::textProperty(TextProperty p) const
{
    auto* f = field();
    if (!f) return {};
    // A field bound to a variable shows the variable's current value.
    if (p == TextProperty::Text || p == TextProperty::HtmlText || p == TextProperty::Length)
        engine_.refreshTextVariable(*f);
    const EditTextDefinition& d = f->definition();
    const auto& look = f->look();
    const std::u16string text = toUtf16(f->text());
    auto metrics = [&] {
        if (const GeometryHost* g = f->stage().geometry()) return g->textMetrics(*f);
        return GeometryHost::TextMetrics{};
    };
    switch (p) {
    case TextProperty::Text: return TextValue::ofString(f->html() ? htmlToPlain(text) : text);
    case TextProperty::HtmlText: return TextValue::ofString(f->html() ? text : escapeHtml(text));
    case TextProperty::Html: return TextValue::ofBool(f->html());
    case TextProperty::Variable:
        if (d.variableName.empty()) return TextValue::null();
        return TextValue::ofString(toUtf16(d.variableName));
    case TextProperty::AutoSize: return TextValue::ofString(autoSizeName(look.autoSize));
    case TextProperty::TextColor: return TextValue::ofNumber(numberOf(d.color.value_or(Rgba{0, 0, 0, 255})));
    case TextProperty::Border: return TextValue::ofBool(d.border);
    case TextProperty::BorderColor: return TextValue::ofNumber(numberOf(look.borderColor));
    case TextProperty::Background: return TextValue::ofBool(look.background);
    case TextProperty::BackgroundColor: return TextValue::ofNumber(numberOf(look.backgroundColor));
    case TextProperty::Multiline: return TextValue::ofBool(d.multiline);
    case TextProperty::WordWrap: return TextValue::ofBool(d.wordWrap);
    case TextProperty::Selectable: return TextValue::ofBool(!d.noSelect);
    case TextProperty::Type: return TextValue::ofString(d.readOnly ? u"dynamic" : u"input");
    case TextProperty::MaxChars:
        if (!d.maxLength || *d.maxLength == 0) return TextValue::null();
        return TextValue::ofNumber(*d.maxLength);
    case TextProperty::Password: return TextValue::ofBool(d.password);
    case TextProperty::EmbedFonts: return TextValue::ofBool(d.useOutlines);
    case TextProperty::Length: return TextValue::ofNumber(static_cast<double>((f->html() ? htmlToPlain(text) : text).size()));
    case TextProperty::Scroll: return TextValue::ofNumber(look.scroll);
    case TextProperty::MaxScroll: return TextValue::ofNumber(metrics().maxScroll);
    case TextProperty::HScroll: return TextValue::ofNumber(look.hscroll / 20);
    case TextProperty::MaxHScroll: {
        const auto m = metrics();
        const double visible = (d.bounds.xMax - d.bounds.xMin) - 80;
        return TextValue::ofNumber(std::max(0.0, std::floor((m.textWidth - visible) / 20)));
    }
    case TextProperty::BottomScroll: {
        const auto m = metrics();
        return TextValue::ofNumber(std::max(1, std::min(m.lineCount, look.scroll + std::max(0, m.lineCount - m.maxScroll))));
    }
    case TextProperty::TextWidth: return TextValue::ofNumber(std::round(metrics().textWidth / 20));
    case TextProperty::TextHeight: return TextValue::ofNumber(std::round(metrics().textHeight / 20));
    case TextProperty::CondenseWhite: return TextValue::ofBool(look.condenseWhite);
    case TextProperty::Restrict:
        if (look.restrict.empty()) return TextValue::null();
        return TextValue::ofString(look.restrict);
    }
    return {};
}

void ScriptNode::setTextProperty(TextProperty p, const TextValue& v)
{
    auto* f = field();
    if (!f) return;
    auto applyAutoSize = [&] {
        const auto mode = f->look().autoSize;
        if (mode == EditTextObject::Look::AutoSize::None) return;
        const GeometryHost* g = f->stage().geometry();
        if (!g) return;
        const auto m = g->textMetrics(*f);
        EditTextDefinition& d = f->editDefinition();
        const double height = m.textHeight + 80;
        d.bounds.yMax = d.bounds.yMin + static_cast<std::int32_t>(std::ceil(height));
        if (!d.wordWrap) {
            const double width = m.textWidth + 80;
            const double oldWidth = d.bounds.xMax - d.bounds.xMin;
            double left = d.bounds.xMin;
            if (mode == EditTextObject::Look::AutoSize::Center) left += (oldWidth - width) / 2;
            if (mode == EditTextObject::Look::AutoSize::Right) left += oldWidth - width;
            d.bounds.xMin = avm1::toClampedInt(std::round(left));
            d.bounds.xMax = avm1::toClampedInt(std::round(left + width));
        }
    };
    auto str = [&] {
        if (v.kind == TextValue::Kind::String) return v.string;
        return std::u16string();
    };
    switch (p) {
    case TextProperty::Text:
        f->setText(toUtf8(str()));
        f->setHtml(false);
        applyAutoSize();
        engine_.textEdited(*f);
        return;
    case TextProperty::HtmlText:
        if (f->html())
            f->setText(toUtf8(str()));
        else
            f->setText(toUtf8(htmlToPlain(str())));
        applyAutoSize();
        return;
    case TextProperty::Html: {
        const bool on = truthy(v);
        if (on != f->html()) {
            f->setHtml(on);
        }
        return;
    }
    case TextProperty::Variable:
        f->editDefinition().variableName = v.kind == TextValue::Kind::String ? toUtf8(v.string) : std::string();
        engine_.registerTextVariable(*f);
        return;
    case TextProperty::AutoSize: {
        using A = EditTextObject::Look::AutoSize;
        A mode = A::None;
        if (v.kind == TextValue::Kind::Boolean) mode = v.boolean ? A::Left : A::None;
        if (v.kind == TextValue::Kind::String) {
            if (v.string == u"left") mode = A::Left;
            if (v.string == u"center") mode = A::Center;
            if (v.string == u"right") mode = A::Right;
        }
        f->editLook().autoSize = mode;
        applyAutoSize();
        return;
    }
    case TextProperty::TextColor: f->editDefinition().color = rgbOf(numeric(v)); return;
    case TextProperty::Border: f->editDefinition().border = truthy(v); return;
    case TextProperty::BorderColor: f->editLook().borderColor = rgbOf(numeric(v)); return;
    case TextProperty::Background: f->editLook().background = truthy(v); return;
    case TextProperty::BackgroundColor: f->editLook().backgroundColor = rgbOf(numeric(v)); return;
    case TextProperty::Multiline: f->editDefinition().multiline = truthy(v); return;
    case TextProperty::WordWrap: f->editDefinition().wordWrap = truthy(v); return;
    case TextProperty::Selectable: f->editDefinition().noSelect = !truthy(v); return;
    case TextProperty::Type:
        if (v.kind == TextValue::Kind::String && (v.string == u"input" || v.string == u"dynamic"))
            f->editDefinition().readOnly = v.string == u"dynamic";
        return;
    case TextProperty::MaxChars: {
        const double n = numeric(v);
        if (std::isnan(n) || n <= 0)
            f->editDefinition().maxLength.reset();
        else
            f->editDefinition().maxLength = static_cast<std::uint16_t>(std::min(n, 65535.0));
        return;
    }
    case TextProperty::Password: f->editDefinition().password = truthy(v); return;
    case TextProperty::EmbedFonts: f->editDefinition().useOutlines = truthy(v); return;
    case TextProperty::Scroll: {
        const double n = numeric(v);
        if (std::isnan(n)) return;
        int maxScroll = 1;
        if (const GeometryHost* g = f->stage().geometry()) maxScroll = g->textMetrics(*f).maxScroll;
        f->editLook().scroll = std::clamp(static_cast<int>(n), 1, std::max(1, maxScroll));
        return;
    }
    case TextProperty::HScroll: {
        const double n = numeric(v);
        if (!std::isnan(n)) f->editLook().hscroll = std::max(0.0, n) * 20;
        return;
    }
    case TextProperty::CondenseWhite: f->editLook().condenseWhite = truthy(v); return;
    case TextProperty::Restrict: f->editLook().restrict = v.kind == TextValue::Kind::String ? v.string : std::u16string(); return;
    default: return;
    }
}

avm1::TextFormatData ScriptNode::textFormat(int, int) const { return newTextFormat(); }

avm1::TextFormatData ScriptNode::newTextFormat() const
{
    avm1::TextFormatData t;
    auto* f = field();
    if (!f) return t;
    const EditTextDefinition& d = f->definition();
    const Movie& movie = f->movie();
    std::string fontName = "Times New Roman";
    if (d.fontId)
        if (const FontDefinition* font = movie.font(*d.fontId)) fontName = font->name;
    if (!d.fontClass.empty()) fontName = d.fontClass;
    t.font = toUtf16(fontName);
    t.size = d.fontHeight / 20.0;
    t.color = numberOf(d.color.value_or(Rgba{0, 0, 0, 255}));
    bool bold = false, italic = false;
    if (d.fontId)
        if (const FontDefinition* font = movie.font(*d.fontId)) {
            bold = font->bold;
            italic = font->italic;
        }
    t.bold = bold;
    t.italic = italic;
    t.underline = false;
    t.url = u"";
    t.target = u"";
    switch (d.align) {
    case TextAlign::Right: t.align = u"right"; break;
    case TextAlign::Center: t.align = u"center"; break;
    case TextAlign::Justify: t.align = u"justify"; break;
    default: t.align = u"left";
    }
    t.leftMargin = d.leftMargin / 20.0;
    t.rightMargin = d.rightMargin / 20.0;
    t.indent = d.indent / 20.0;
    t.leading = d.leading / 20.0;
    t.blockIndent = 0;
    t.bullet = false;
    t.kerning = false;
    t.letterSpacing = 0;
    t.tabStops = std::vector<double>{};
    return t;
}

void ScriptNode::setTextFormat(int, int, const avm1::TextFormatData& format) { setNewTextFormat(format); }

void ScriptNode::setNewTextFormat(const avm1::TextFormatData& t)
{
    auto* f = field();
    if (!f) return;
    EditTextDefinition& d = f->editDefinition();
    if (t.size && std::isfinite(*t.size)) d.fontHeight = static_cast<std::uint16_t>(std::clamp(*t.size * 20, 0.0, 65535.0));
    if (t.color && std::isfinite(*t.color)) d.color = rgbOf(*t.color);
    if (t.align) {
        if (*t.align == u"left") d.align = TextAlign::Left;
        if (*t.align == u"right") d.align = TextAlign::Right;
        if (*t.align == u"center") d.align = TextAlign::Center;
        if (*t.align == u"justify") d.align = TextAlign::Justify;
    }
    if (t.leftMargin && *t.leftMargin >= 0) d.leftMargin = static_cast<std::uint16_t>(std::min(*t.leftMargin * 20, 65535.0));
    if (t.rightMargin && *t.rightMargin >= 0) d.rightMargin = static_cast<std::uint16_t>(std::min(*t.rightMargin * 20, 65535.0));
    if (t.indent && *t.indent >= 0) d.indent = static_cast<std::uint16_t>(std::min(*t.indent * 20, 65535.0));
    if (t.leading && std::isfinite(*t.leading)) d.leading = static_cast<std::int16_t>(std::clamp(*t.leading * 20, -32768.0, 32767.0));
    if (t.font) {
        // A device font by name; an embedded font of that name when the movie has one.
        const std::string name = toUtf8(*t.font);
        d.fontClass.clear();
        bool found = false;
        for (const auto& [id, character] : f->movie().characters()) {
            if (const auto* font = std::get_if<FontDefinition>(&character); font && font->name == name) {
                d.fontId = id;
                found = true;
                break;
            }
        }
        if (!found) {
            d.fontId.reset();
            d.fontClass = name;
        }
    }
}

void ScriptNode::replaceSel(std::u16string_view text)
{
    auto* f = field();
    if (!f) return;
    std::u16string current = toUtf16(f->text());
    int begin = std::clamp(engine_.selectionBegin(), 0, static_cast<int>(current.size()));
    int end = std::clamp(engine_.selectionEnd(), begin, static_cast<int>(current.size()));
    if (engine_.focusedObject() != f) begin = end = static_cast<int>(current.size());
    current.replace(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin), text);
    f->setText(toUtf8(current));
}

void ScriptNode::replaceText(int begin, int end, std::u16string_view text)
{
    auto* f = field();
    if (!f) return;
    std::u16string current = toUtf16(f->text());
    const int size = static_cast<int>(current.size());
    if (begin < 0 || end < begin || begin > size) return;
    end = std::min(end, size);
    current.replace(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin), text);
    f->setText(toUtf8(current));
}

}  // namespace swf::runtime
