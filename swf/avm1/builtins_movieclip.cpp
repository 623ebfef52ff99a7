// MovieClip.prototype: every method forwards to the clip's DisplayNode, which the runtime
// implements. Methods called on something that is not a live clip do nothing.

#include <cmath>

#include "swf/avm1/builtins.h"
#include "swf/avm1/display_object.h"
#include "swf/avm1/number_format.h"
#include "swf/avm1/vm_internals.h"

namespace swf::avm1 {

namespace {

std::shared_ptr<DisplayNode> thisNode(Vm& vm, const CallInfo& c) { return vm.displayNodeOf(c.thisObj); }

Object* objectOf(DisplayNode* n) { return n ? n->scriptObject() : nullptr; }

// A clip given as an object or as a path relative to `base`.
std::shared_ptr<DisplayNode> nodeFromValue(Vm& vm, Object* base, const Value& v)
{
    if (Object* o = v.asObject()) return vm.displayNodeOf(o);
    if (v.isString()) return vm.displayNodeOf(vm.resolveTarget(base, v.asString()));
    return nullptr;
}

Value clipPlay(Vm& vm, const CallInfo& c)
{
    if (auto n = thisNode(vm, c)) n->play();
    return Value();
}
Value clipStop(Vm& vm, const CallInfo& c)
{
    if (auto n = thisNode(vm, c)) n->stop();
    return Value();
}
Value clipNextFrame(Vm& vm, const CallInfo& c)
{
    if (auto n = thisNode(vm, c)) n->nextFrame();
    return Value();
}
Value clipPrevFrame(Vm& vm, const CallInfo& c)
{
    if (auto n = thisNode(vm, c)) n->prevFrame();
    return Value();
}

// gotoAndPlay(frame) / gotoAndStop(frame): a number, a numeric string or a label.
void gotoFrame(Vm& vm, const CallInfo& c, bool play)
{
    auto n = thisNode(vm, c);
    if (!n || c.count() == 0) return;
    const Value& frame = c.arg(c.count() > 1 ? 1 : 0);  // (scene, frame): scenes are flattened
    if (frame.isString()) {
        // "path:frame" jumps on the timeline the path names, as the GotoFrame2 action does.
        std::u16string_view text = frame.asString().view();
        if (std::size_t colon = text.rfind(u':'); colon != std::u16string_view::npos) {
            Object* other = vm.resolveTarget(c.thisObj, String(text.substr(0, colon)));
            n = other ? vm.displayNodeOf(other) : nullptr;
            if (!n) return;
            text = text.substr(colon + 1);
        }
        double number = stringToNumber(text, 5);
        if (std::isnan(number)) {
            n->gotoLabel(text, play);
            return;
        }
        n->gotoFrame(toClampedInt(number), play);
        return;
    }
    double number = vm.toNumber(frame);
    if (std::isnan(number)) return;
    n->gotoFrame(toClampedInt(number), play);
}
Value clipGotoAndPlay(Vm& vm, const CallInfo& c)
{
    gotoFrame(vm, c, true);
    return Value();
}
Value clipGotoAndStop(Vm& vm, const CallInfo& c)
{
    gotoFrame(vm, c, false);
    return Value();
}

Value clipAttachMovie(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    if (!n || c.count() < 3) return Value();
    String id = argString(vm, c, 0);
    String name = argString(vm, c, 1);
    double depth = argNumber(vm, c, 2);
    if (std::isnan(depth)) return Value();
    Object* init = c.arg(3).asObject();
    DisplayNode* made = n->attachMovie(id.view(), name.view(), vm.toInt32(Value(depth)), init);
    return made ? objectOf(made) : Value();
}

Value clipCreateEmptyMovieClip(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    if (!n || c.count() < 2) return Value();
    String name = argString(vm, c, 0);
    double depth = argNumber(vm, c, 1);
    if (std::isnan(depth)) return Value();
    DisplayNode* made = n->createEmptyMovieClip(name.view(), vm.toInt32(Value(depth)));
    return made ? objectOf(made) : Value();
}

Value clipCreateTextField(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    if (!n || c.count() < 6) return Value();
    String name = argString(vm, c, 0);
    double depth = argNumber(vm, c, 1);
    if (std::isnan(depth)) return Value();
    DisplayNode* field = n->createTextField(name.view(), vm.toInt32(Value(depth)), argNumber(vm, c, 2),
                                            argNumber(vm, c, 3), argNumber(vm, c, 4), argNumber(vm, c, 5));
    // SWF 8 returns the new field; earlier versions return nothing.
    if (vm.version() >= 8) return objectOf(field);
    return Value();
}

Value clipDuplicateMovieClip(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    if (!n || c.count() < 2) return Value();
    String name = argString(vm, c, 0);
    double depth = argNumber(vm, c, 1);
    if (std::isnan(depth)) return Value();
    DisplayNode* made = n->duplicate(name.view(), vm.toInt32(Value(depth)), c.arg(2).asObject());
    return made ? objectOf(made) : Value();
}

Value clipRemoveMovieClip(Vm& vm, const CallInfo& c)
{
    if (auto n = thisNode(vm, c)) n->removeFromParent();
    return Value();
}

Value clipSwapDepths(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    if (!n || c.count() == 0) return Value();
    if (c.arg(0).isObject() || (c.arg(0).isString() && std::isnan(stringToNumber(c.arg(0).asString().view(), 5)))) {
        DisplayNode* parent = n->parent();
        auto other = nodeFromValue(vm, parent ? parent->scriptObject() : c.thisObj, c.arg(0));
        if (other && other.get() != n.get()) n->swapDepthsWith(*other);
        return Value();
    }
    double d = argNumber(vm, c, 0);
    if (!std::isnan(d)) n->swapDepths(vm.toInt32(Value(d)));
    return Value();
}

Value clipGetDepth(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    return n ? Value(static_cast<double>(n->depth())) : Value();
}

Value clipGetNextHighestDepth(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    return n ? Value(static_cast<double>(n->nextHighestDepth())) : Value();
}

Value clipGetInstanceAtDepth(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    if (!n || c.count() == 0 || c.arg(0).isUndefined()) return Value();
    // The depth converts like any integer argument: NaN, infinities and null give 0.
    DisplayNode* child = n->instanceAtDepth(vm.toInt32(c.arg(0)));
    return child ? Value(child->scriptObject()) : Value();
}

Value clipGetBytesLoaded(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    return n ? Value(static_cast<double>(n->bytesLoaded())) : Value();
}

Value clipGetBytesTotal(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    return n ? Value(static_cast<double>(n->bytesTotal())) : Value();
}

Value clipGetSwfVersion(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    return n ? Value(static_cast<double>(n->swfVersion())) : Value(-1.0);
}

Value clipGetBounds(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    if (!n) return Value();
    std::shared_ptr<DisplayNode> space;
    if (c.count() > 0) {
        space = nodeFromValue(vm, c.thisObj, c.arg(0));
        if (!space) return Value();
    }
    PixelRect r = n->bounds(space ? space.get() : n.get());
    // Scripts of SWF 7 and earlier get the twips through single precision: exact for real
    // bounds, but an empty clip's 0x7FFFFFF twips round to 2^27.
    auto seen = [&](double pixels) {
        return vm.version() <= 7 ? static_cast<double>(static_cast<float>(pixels * 20)) / 20 : pixels;
    };
    Object* o = vm.newObject();
    vm.setMember(o, String("xMin"), Value(seen(r.xMin)));
    vm.setMember(o, String("xMax"), Value(seen(r.xMax)));
    vm.setMember(o, String("yMin"), Value(seen(r.yMin)));
    vm.setMember(o, String("yMax"), Value(seen(r.yMax)));
    return Value(o);
}

Value clipHitTest(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    if (!n || c.count() == 0) return Value(false);
    if (c.count() >= 2) {
        double x = argNumber(vm, c, 0), y = argNumber(vm, c, 1);
        if (std::isnan(x) || std::isnan(y)) return Value(false);
        return Value(n->hitTestPoint(x, y, vm.toBoolean(c.arg(2))));
    }
    auto other = nodeFromValue(vm, c.thisObj, c.arg(0));
    if (!other) return Value(false);
    return Value(n->hitTestObject(*other));
}

// localToGlobal(point) / globalToLocal(point): converts point.x/point.y in place.
void convertPoint(Vm& vm, const CallInfo& c, bool toGlobal)
{
    auto n = thisNode(vm, c);
    Object* pt = c.arg(0).asObject();
    if (!n || !pt) return;
    Value xv = vm.getMember(pt, String("x"));
    Value yv = vm.getMember(pt, String("y"));
    if (!xv.isNumber() || !yv.isNumber()) return;
    Point p{xv.asNumber(), yv.asNumber()};
    Point r = toGlobal ? n->localToGlobal(p) : n->globalToLocal(p);
    vm.setMember(pt, String("x"), Value(r.x));
    vm.setMember(pt, String("y"), Value(r.y));
}
Value clipLocalToGlobal(Vm& vm, const CallInfo& c)
{
    convertPoint(vm, c, true);
    return Value();
}
Value clipGlobalToLocal(Vm& vm, const CallInfo& c)
{
    convertPoint(vm, c, false);
    return Value();
}

Value clipStartDrag(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    if (!n) return Value();
    std::optional<PixelRect> rect;
    if (c.count() >= 5) {
        PixelRect r{argNumber(vm, c, 1), argNumber(vm, c, 2), argNumber(vm, c, 3), argNumber(vm, c, 4)};
        rect = r;
    }
    vm.host().startDrag(*n, vm.toBoolean(c.arg(0)), rect);
    return Value();
}

Value clipStopDrag(Vm& vm, const CallInfo&)
{
    vm.host().stopDrag();
    return Value();
}

HttpMethod methodOf(Vm& vm, const Value& v)
{
    if (v.isUndefined()) return HttpMethod::None;
    String m = vm.toString(v);
    if (m.equalsIgnoreCase(String("GET"))) return HttpMethod::Get;
    if (m.equalsIgnoreCase(String("POST"))) return HttpMethod::Post;
    return HttpMethod::None;
}

Value clipGetUrl(Vm& vm, const CallInfo& c)
{
    if (c.count() == 0) return Value();
    String url = argString(vm, c, 0);
    static constexpr std::u16string_view kFs = u"FSCommand:";
    if (url.size() >= kFs.size() && equalsIgnoreCase(url.view().substr(0, kFs.size()), kFs)) {
        vm.host().fsCommand(std::u16string(url.view().substr(kFs.size())), argString(vm, c, 1).str());
        return Value();
    }
    UrlRequest r;
    r.kind = UrlRequest::Kind::OpenUrl;
    r.url = url.str();
    r.window = c.count() > 1 ? argString(vm, c, 1).str() : std::u16string();
    r.method = methodOf(vm, c.arg(2));
    if (r.method != HttpMethod::None && c.thisObj) r.variables = vm.formEncodeVariables(c.thisObj).str();
    vm.host().urlRequest(r);
    return Value();
}

void loadInto(Vm& vm, const CallInfo& c, UrlRequest::Kind kind)
{
    auto n = thisNode(vm, c);
    if (!n) return;
    UrlRequest r;
    r.kind = kind;
    r.targetNode = n.get();
    if (kind != UrlRequest::Kind::UnloadMovie) {
        r.url = argString(vm, c, 0).str();
        r.method = methodOf(vm, c.arg(1));
        if (r.method != HttpMethod::None) r.variables = vm.formEncodeVariables(c.thisObj).str();
    }
    vm.host().urlRequest(r);
}
Value clipLoadMovie(Vm& vm, const CallInfo& c)
{
    loadInto(vm, c, UrlRequest::Kind::LoadMovie);
    return Value();
}
Value clipLoadVariables(Vm& vm, const CallInfo& c)
{
    loadInto(vm, c, UrlRequest::Kind::LoadVariables);
    return Value();
}
Value clipUnloadMovie(Vm& vm, const CallInfo& c)
{
    loadInto(vm, c, UrlRequest::Kind::UnloadMovie);
    return Value();
}

Value clipSetMask(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    if (!n) return Value();
    if (c.arg(0).isNullish()) {
        n->setMask(nullptr);
        return Value(true);
    }
    auto mask = nodeFromValue(vm, c.thisObj, c.arg(0));
    if (!mask) return Value(false);
    n->setMask(mask.get());
    return Value(true);
}

// --- Drawing API ---

Rgba colorOf(Vm& vm, const Value& rgb, const Value& alpha)
{
    auto v = static_cast<std::uint32_t>(vm.toInt32(rgb));
    double a = alpha.isUndefined() ? 100 : vm.toNumber(alpha);
    if (std::isnan(a)) a = 0;
    a = std::clamp(a, 0.0, 100.0);
    return Rgba{static_cast<std::uint8_t>((v >> 16) & 0xFF), static_cast<std::uint8_t>((v >> 8) & 0xFF),
                static_cast<std::uint8_t>(v & 0xFF), static_cast<std::uint8_t>(std::lround(a * 255 / 100))};
}

Value clipClear(Vm& vm, const CallInfo& c)
{
    if (auto n = thisNode(vm, c)) n->drawClear();
    return Value();
}

Value clipBeginFill(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    if (!n) return Value();
    if (c.count() == 0 || c.arg(0).isUndefined()) {
        n->drawEndFill();
        return Value();
    }
    n->drawBeginFill(colorOf(vm, c.arg(0), c.arg(1)));
    return Value();
}

Value clipLineStyle(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    if (!n) return Value();
    LineStyle s;
    double thickness = argNumber(vm, c, 0);
    s.none = c.count() == 0 || c.arg(0).isUndefined() || std::isnan(thickness);
    s.thickness = s.none ? 0 : std::clamp(thickness, 0.0, 255.0);
    s.color = colorOf(vm, c.arg(1), c.arg(2));
    s.pixelHinting = vm.toBoolean(c.arg(3));
    if (c.arg(4).isString()) {
        String m = c.arg(4).asString();
        if (m == String("none")) s.scaleMode = LineStyle::ScaleMode::None;
        if (m == String("vertical")) s.scaleMode = LineStyle::ScaleMode::Vertical;
        if (m == String("horizontal")) s.scaleMode = LineStyle::ScaleMode::Horizontal;
    }
    if (c.arg(5).isString()) {
        String m = c.arg(5).asString();
        if (m == String("none")) s.caps = LineStyle::Caps::None;
        if (m == String("square")) s.caps = LineStyle::Caps::Square;
    }
    if (c.arg(6).isString()) {
        String m = c.arg(6).asString();
        if (m == String("bevel")) s.joints = LineStyle::Joints::Bevel;
        if (m == String("miter")) s.joints = LineStyle::Joints::Miter;
    }
    if (c.count() > 7) {
        double m = argNumber(vm, c, 7);
        if (!std::isnan(m)) s.miterLimit = std::clamp(m, 1.0, 255.0);
    }
    n->drawLineStyle(s);
    return Value();
}

// beginGradientFill(type, colors, alphas, ratios, matrix[, spread, interpolation, focal]).
bool gradientOf(Vm& vm, const CallInfo& c, GradientStyle& g)
{
    String type = argString(vm, c, 0);
    if (type == String("radial")) {
        g.radial = true;
    } else if (!(type == String("linear"))) {
        return false;
    }
    auto* colors = dynamic_cast<ArrayObject*>(c.arg(1).asObject());
    auto* alphas = dynamic_cast<ArrayObject*>(c.arg(2).asObject());
    auto* ratios = dynamic_cast<ArrayObject*>(c.arg(3).asObject());
    Object* matrix = c.arg(4).asObject();
    if (!colors || !alphas || !ratios || !matrix) return false;
    std::size_t count = std::min({colors->length(), alphas->length(), ratios->length(), std::size_t{15}});
    for (std::size_t i = 0; i < count; ++i) {
        GradientStop stop;
        stop.color = colorOf(vm, colors->get(i), alphas->get(i));
        double r = vm.toNumber(ratios->get(i));
        stop.ratio = static_cast<std::uint8_t>(std::clamp(std::isnan(r) ? 0.0 : r, 0.0, 255.0));
        g.stops.push_back(stop);
    }
    auto num = [&](const char* name) { return vm.toNumber(vm.getMember(matrix, String(name))); };
    if (vm.toString(vm.getMember(matrix, String("matrixType"))) == String("box")) {
        // The "box" form: a gradient square scaled to w x h, rotated by r, moved to (x, y).
        double w = num("w"), h = num("h"), r = num("r"), x = num("x"), y = num("y");
        double sx = w / 1638.4, sy = h / 1638.4;
        double cs = std::cos(r), sn = std::sin(r);
        g.matrix = Matrix{sx * cs, sx * sn, -sy * sn, sy * cs, x + w / 2, y + h / 2};
    } else {
        // a b d e tx ty are given in pixels for a 1-pixel gradient square: rescale to ours.
        double a = num("a"), b = num("b"), cc = num("d"), d = num("e"), tx = num("g"), ty = num("h");
        g.matrix = Matrix{a / 1638.4, b / 1638.4, cc / 1638.4, d / 1638.4, tx, ty};
        if (!vm.getMember(matrix, String("tx")).isUndefined()) {
            // Matrix objects (a, b, c, d, tx, ty) as flash.geom.Matrix writes them.
            g.matrix = Matrix{num("a") / 1638.4, num("b") / 1638.4, num("c") / 1638.4, num("d") / 1638.4,
                              num("tx"), num("ty")};
        }
    }
    if (c.arg(5).isString()) {
        String s = c.arg(5).asString();
        if (s == String("reflect")) g.spread = GradientStyle::Spread::Reflect;
        if (s == String("repeat")) g.spread = GradientStyle::Spread::Repeat;
    }
    g.linearRgb = c.arg(6).isString() && c.arg(6).asString() == String("linearRGB");
    if (c.count() > 7) {
        double f = argNumber(vm, c, 7);
        if (!std::isnan(f)) g.focalPoint = std::clamp(f, -1.0, 1.0);
    }
    return !g.stops.empty();
}

Value clipBeginGradientFill(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    GradientStyle g;
    if (n && gradientOf(vm, c, g)) n->drawBeginGradientFill(g);
    return Value();
}

Value clipLineGradientStyle(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    GradientStyle g;
    if (n && gradientOf(vm, c, g)) n->drawLineGradientStyle(g);
    return Value();
}

Value clipMoveTo(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    double x = argNumber(vm, c, 0), y = argNumber(vm, c, 1);
    if (n && c.count() >= 2 && std::isfinite(x) && std::isfinite(y)) n->drawMoveTo(x, y);
    return Value();
}

Value clipLineTo(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    double x = argNumber(vm, c, 0), y = argNumber(vm, c, 1);
    if (n && c.count() >= 2 && std::isfinite(x) && std::isfinite(y)) n->drawLineTo(x, y);
    return Value();
}

Value clipCurveTo(Vm& vm, const CallInfo& c)
{
    auto n = thisNode(vm, c);
    if (!n || c.count() < 4) return Value();
    double v[4];
    for (std::size_t i = 0; i < 4; ++i) {
        v[i] = argNumber(vm, c, i);
        if (!std::isfinite(v[i])) return Value();
    }
    n->drawCurveTo(v[0], v[1], v[2], v[3]);
    return Value();
}

Value clipEndFill(Vm& vm, const CallInfo& c)
{
    if (auto n = thisNode(vm, c)) n->drawEndFill();
    return Value();
}

Value clipNextScene(Vm& vm, const CallInfo& c)
{
    if (auto n = thisNode(vm, c)) n->nextScene();
    return Value();
}

Value clipPrevScene(Vm& vm, const CallInfo& c)
{
    if (auto n = thisNode(vm, c)) n->prevScene();
    return Value();
}

Value movieClipConstructor(Vm&, const CallInfo& c) { return c.thisObj ? Value(c.thisObj) : Value(); }

}  // namespace

void installMovieClip(Vm& vm, Object* global)
{
    auto& b = vm.builtins();
    b.movieClipProto = vm.heap().make<Object>(b.objectProto);
    Object* p = b.movieClipProto;
    FunctionObject* ctor = vm.newConstructor(movieClipConstructor, p);
    global->define("MovieClip", Value(ctor));
    struct {
        const char* name;
        NativeFunction fn;
        std::uint16_t flags;
    } methods[] = {
        {"play", clipPlay, 0},
        {"stop", clipStop, 0},
        {"nextFrame", clipNextFrame, 0},
        {"prevFrame", clipPrevFrame, 0},
        {"gotoAndPlay", clipGotoAndPlay, 0},
        {"gotoAndStop", clipGotoAndStop, 0},
        {"nextScene", clipNextScene, 0},
        {"prevScene", clipPrevScene, 0},
        {"attachMovie", clipAttachMovie, 0},
        {"duplicateMovieClip", clipDuplicateMovieClip, 0},
        {"removeMovieClip", clipRemoveMovieClip, 0},
        {"swapDepths", clipSwapDepths, 0},
        {"getDepth", clipGetDepth, PropFlag::OnlySwf6Up},
        {"getBytesLoaded", clipGetBytesLoaded, 0},
        {"getBytesTotal", clipGetBytesTotal, 0},
        {"getBounds", clipGetBounds, 0},
        {"hitTest", clipHitTest, 0},
        {"localToGlobal", clipLocalToGlobal, 0},
        {"globalToLocal", clipGlobalToLocal, 0},
        {"startDrag", clipStartDrag, 0},
        {"stopDrag", clipStopDrag, 0},
        {"getURL", clipGetUrl, 0},
        {"loadMovie", clipLoadMovie, 0},
        {"loadVariables", clipLoadVariables, 0},
        {"unloadMovie", clipUnloadMovie, 0},
        {"createEmptyMovieClip", clipCreateEmptyMovieClip, PropFlag::OnlySwf6Up},
        {"createTextField", clipCreateTextField, PropFlag::OnlySwf6Up},
        {"setMask", clipSetMask, PropFlag::OnlySwf6Up},
        {"clear", clipClear, PropFlag::OnlySwf6Up},
        {"beginFill", clipBeginFill, PropFlag::OnlySwf6Up},
        {"beginGradientFill", clipBeginGradientFill, PropFlag::OnlySwf6Up},
        {"lineStyle", clipLineStyle, PropFlag::OnlySwf6Up},
        {"moveTo", clipMoveTo, PropFlag::OnlySwf6Up},
        {"lineTo", clipLineTo, PropFlag::OnlySwf6Up},
        {"curveTo", clipCurveTo, PropFlag::OnlySwf6Up},
        {"endFill", clipEndFill, PropFlag::OnlySwf6Up},
        {"getSWFVersion", clipGetSwfVersion, PropFlag::OnlySwf6Up},
        {"getNextHighestDepth", clipGetNextHighestDepth, PropFlag::OnlySwf7Up},
        {"getInstanceAtDepth", clipGetInstanceAtDepth, PropFlag::OnlySwf7Up},
        {"getRect", clipGetBounds, PropFlag::OnlySwf8Up},
        {"lineGradientStyle", clipLineGradientStyle, PropFlag::OnlySwf8Up},
    };
    for (auto& m : methods) vm.defineMethod(p, m.name, m.fn, PropFlag::Hidden | m.flags);
    p->define("enabled", Value(true), PropFlag::DontEnum);
    p->define("useHandCursor", Value(true), PropFlag::DontEnum);
}

}  // namespace swf::avm1
