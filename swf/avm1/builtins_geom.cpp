// flash.geom (SWF 8): Point, Rectangle, Matrix, ColorTransform and Transform. Their fields are
// ordinary properties, so scripts may change them; the methods read them back as numbers.

#include <cmath>

#include "swf/avm1/builtins.h"
#include "swf/avm1/operators.h"
#include "swf/avm1/vm_internals.h"

namespace swf::avm1 {

namespace {

double num(Vm& vm, Object* o, const char* name) { return o ? vm.toNumber(vm.getMember(o, String(name))) : std::nan(""); }
void put(Vm& vm, Object* o, const char* name, const Value& v) { vm.setMember(o, String(name), v); }

Object* protoOf(Vm& vm, const char* path)
{
    // "flash.geom.Point" -> its prototype.
    Object* o = vm.global();
    std::string p(path);
    std::size_t start = 0;
    while (o && start <= p.size()) {
        std::size_t dot = p.find('.', start);
        if (dot == std::string::npos) dot = p.size();
        o = vm.getMember(o, String(p.substr(start, dot - start).c_str())).asObject();
        start = dot + 1;
    }
    return o ? vm.getMember(o, String("prototype")).asObject() : nullptr;
}

Object* make(Vm& vm, const char* cls) { return vm.heap().make<Object>(protoOf(vm, cls)); }

// Fields given to a constructor are stored as they are; with no arguments the defaults apply.
void initFields(Vm& vm, const CallInfo& c, std::initializer_list<std::pair<const char*, double>> fields)
{
    if (!c.thisObj) return;
    std::size_t i = 0;
    for (auto& [name, def] : fields) {
        put(vm, c.thisObj, name, c.count() == 0 ? Value(def) : c.arg(i));
        ++i;
    }
}

String joinFields(Vm& vm, Object* o, std::initializer_list<const char*> names)
{
    std::u16string out = u"(";
    bool first = true;
    for (const char* n : names) {
        if (!first) out += u", ";
        first = false;
        // Written as script concatenation does it ("=" + value).
        out += asciiToUtf16(n) + vm.toString(addValues(vm, Value("="), vm.getMember(o, String(n)))).str();
    }
    return String(out + u")");
}

// --- Point ---

Object* newPoint(Vm& vm, double x, double y)
{
    Object* p = make(vm, "flash.geom.Point");
    put(vm, p, "x", Value(x));
    put(vm, p, "y", Value(y));
    return p;
}

Value pointCtor(Vm& vm, const CallInfo& c)
{
    initFields(vm, c, {{"x", 0}, {"y", 0}});
    return Value(c.thisObj);
}
Value pointToString(Vm& vm, const CallInfo& c) { return c.thisObj ? Value(joinFields(vm, c.thisObj, {"x", "y"})) : Value(); }
Value pointLength(Vm& vm, const CallInfo& c) { return Value(std::hypot(num(vm, c.thisObj, "x"), num(vm, c.thisObj, "y"))); }
Value pointClone(Vm& vm, const CallInfo& c)
{
    Object* p = make(vm, "flash.geom.Point");
    put(vm, p, "x", vm.getMember(c.thisObj, String("x")));
    put(vm, p, "y", vm.getMember(c.thisObj, String("y")));
    return Value(p);
}
Value pointAdd(Vm& vm, const CallInfo& c)
{
    // Script addition: text joins.
    Object* o = c.arg(0).asObject();
    auto field = [&](Object* from, const char* n) { return from ? vm.getMember(from, String(n)) : Value(); };
    Object* p = make(vm, "flash.geom.Point");
    put(vm, p, "x", addValues(vm, field(c.thisObj, "x"), field(o, "x")));
    put(vm, p, "y", addValues(vm, field(c.thisObj, "y"), field(o, "y")));
    return Value(p);
}
Value pointSubtract(Vm& vm, const CallInfo& c)
{
    Object* o = c.arg(0).asObject();
    return Value(newPoint(vm, num(vm, c.thisObj, "x") - num(vm, o, "x"), num(vm, c.thisObj, "y") - num(vm, o, "y")));
}
Value pointEquals(Vm& vm, const CallInfo& c)
{
    Object* o = c.arg(0).asObject();
    if (!o || !c.thisObj) return Value(false);
    return Value(strictEquals(vm.getMember(c.thisObj, String("x")), vm.getMember(o, String("x"))) &&
                 strictEquals(vm.getMember(c.thisObj, String("y")), vm.getMember(o, String("y"))));
}
Value pointNormalize(Vm& vm, const CallInfo& c)
{
    double x = num(vm, c.thisObj, "x"), y = num(vm, c.thisObj, "y"), len = std::hypot(x, y);
    double want = argNumber(vm, c, 0);
    if (len > 0) {
        put(vm, c.thisObj, "x", Value(x * want / len));
        put(vm, c.thisObj, "y", Value(y * want / len));
    }
    return Value();
}
Value pointOffset(Vm& vm, const CallInfo& c)
{
    put(vm, c.thisObj, "x", Value(num(vm, c.thisObj, "x") + argNumber(vm, c, 0)));
    put(vm, c.thisObj, "y", Value(num(vm, c.thisObj, "y") + argNumber(vm, c, 1)));
    return Value();
}
Value pointDistance(Vm& vm, const CallInfo& c)
{
    Object* a = c.arg(0).asObject();
    Object* b = c.arg(1).asObject();
    if (c.count() < 2 || !a || !b) return Value();
    return Value(std::hypot(num(vm, a, "x") - num(vm, b, "x"), num(vm, a, "y") - num(vm, b, "y")));
}
Value pointInterpolate(Vm& vm, const CallInfo& c)
{
    if (c.count() < 3) return Value();
    Object* a = c.arg(0).asObject();
    Object* b = c.arg(1).asObject();
    double f = argNumber(vm, c, 2);
    return Value(newPoint(vm, num(vm, b, "x") + f * (num(vm, a, "x") - num(vm, b, "x")),
                          num(vm, b, "y") + f * (num(vm, a, "y") - num(vm, b, "y"))));
}
Value pointPolar(Vm& vm, const CallInfo& c)
{
    double len = argNumber(vm, c, 0), angle = argNumber(vm, c, 1);
    return Value(newPoint(vm, len * std::cos(angle), len * std::sin(angle)));
}

// --- Rectangle ---

Object* newRect(Vm& vm, double x, double y, double w, double h)
{
    Object* r = make(vm, "flash.geom.Rectangle");
    put(vm, r, "x", Value(x));
    put(vm, r, "y", Value(y));
    put(vm, r, "width", Value(w));
    put(vm, r, "height", Value(h));
    return r;
}

struct RectFields {
    double x, y, w, h;
};
RectFields rectOf(Vm& vm, Object* o)
{
    return {num(vm, o, "x"), num(vm, o, "y"), num(vm, o, "width"), num(vm, o, "height")};
}

Value rectCtor(Vm& vm, const CallInfo& c)
{
    initFields(vm, c, {{"x", 0}, {"y", 0}, {"width", 0}, {"height", 0}});
    return Value(c.thisObj);
}
Value rectToString(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj) return Value();
    auto text = [&](const char* n) { return vm.toString(vm.getMember(c.thisObj, String(n))).str(); };
    return Value(String(u"(x=" + text("x") + u", y=" + text("y") + u", w=" + text("width") + u", h=" + text("height") + u")"));
}
Value rectClone(Vm& vm, const CallInfo& c)
{
    RectFields r = rectOf(vm, c.thisObj);
    return Value(newRect(vm, r.x, r.y, r.w, r.h));
}
Value rectLeft(Vm& vm, const CallInfo& c) { return Value(num(vm, c.thisObj, "x")); }
Value rectTop(Vm& vm, const CallInfo& c) { return Value(num(vm, c.thisObj, "y")); }
Value rectRight(Vm& vm, const CallInfo& c)
{
    RectFields r = rectOf(vm, c.thisObj);
    return Value(r.x + r.w);
}
Value rectBottom(Vm& vm, const CallInfo& c)
{
    RectFields r = rectOf(vm, c.thisObj);
    return Value(r.y + r.h);
}
Value rectSetLeft(Vm& vm, const CallInfo& c)
{
    RectFields r = rectOf(vm, c.thisObj);
    double v = argNumber(vm, c, 0);
    put(vm, c.thisObj, "width", Value(r.w + r.x - v));
    put(vm, c.thisObj, "x", Value(v));
    return Value();
}
Value rectSetTop(Vm& vm, const CallInfo& c)
{
    RectFields r = rectOf(vm, c.thisObj);
    double v = argNumber(vm, c, 0);
    put(vm, c.thisObj, "height", Value(r.h + r.y - v));
    put(vm, c.thisObj, "y", Value(v));
    return Value();
}
Value rectSetRight(Vm& vm, const CallInfo& c)
{
    put(vm, c.thisObj, "width", Value(argNumber(vm, c, 0) - num(vm, c.thisObj, "x")));
    return Value();
}
Value rectSetBottom(Vm& vm, const CallInfo& c)
{
    put(vm, c.thisObj, "height", Value(argNumber(vm, c, 0) - num(vm, c.thisObj, "y")));
    return Value();
}
Value rectTopLeft(Vm& vm, const CallInfo& c) { return Value(newPoint(vm, num(vm, c.thisObj, "x"), num(vm, c.thisObj, "y"))); }
Value rectBottomRight(Vm& vm, const CallInfo& c)
{
    RectFields r = rectOf(vm, c.thisObj);
    return Value(newPoint(vm, r.x + r.w, r.y + r.h));
}
Value rectSize(Vm& vm, const CallInfo& c)
{
    return Value(newPoint(vm, num(vm, c.thisObj, "width"), num(vm, c.thisObj, "height")));
}
Value readOnly(Vm&, const CallInfo&) { return Value(); }
Value rectIsEmpty(Vm& vm, const CallInfo& c)
{
    RectFields r = rectOf(vm, c.thisObj);
    return Value(!(r.w > 0) || !(r.h > 0));
}
Value rectSetEmpty(Vm& vm, const CallInfo& c)
{
    for (const char* n : {"x", "y", "width", "height"}) put(vm, c.thisObj, n, Value(0.0));
    return Value();
}
Value rectContains(Vm& vm, const CallInfo& c)
{
    RectFields r = rectOf(vm, c.thisObj);
    double x = argNumber(vm, c, 0), y = argNumber(vm, c, 1);
    return Value(x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h);
}
Value rectContainsPoint(Vm& vm, const CallInfo& c)
{
    RectFields r = rectOf(vm, c.thisObj);
    Object* p = c.arg(0).asObject();
    double x = num(vm, p, "x"), y = num(vm, p, "y");
    return Value(x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h);
}
Value rectContainsRect(Vm& vm, const CallInfo& c)
{
    RectFields r = rectOf(vm, c.thisObj), o = rectOf(vm, c.arg(0).asObject());
    return Value(o.x >= r.x && o.y >= r.y && o.x + o.w <= r.x + r.w && o.y + o.h <= r.y + r.h);
}
Value rectEquals(Vm& vm, const CallInfo& c)
{
    Object* other = c.arg(0).asObject();
    if (!other) return Value(false);
    RectFields r = rectOf(vm, c.thisObj), o = rectOf(vm, other);
    return Value(r.x == o.x && r.y == o.y && r.w == o.w && r.h == o.h);
}
Value rectInflate(Vm& vm, const CallInfo& c)
{
    RectFields r = rectOf(vm, c.thisObj);
    double dx = argNumber(vm, c, 0), dy = argNumber(vm, c, 1);
    put(vm, c.thisObj, "x", Value(r.x - dx));
    put(vm, c.thisObj, "y", Value(r.y - dy));
    put(vm, c.thisObj, "width", Value(r.w + 2 * dx));
    put(vm, c.thisObj, "height", Value(r.h + 2 * dy));
    return Value();
}
Value rectOffset(Vm& vm, const CallInfo& c)
{
    put(vm, c.thisObj, "x", Value(num(vm, c.thisObj, "x") + argNumber(vm, c, 0)));
    put(vm, c.thisObj, "y", Value(num(vm, c.thisObj, "y") + argNumber(vm, c, 1)));
    return Value();
}
Value rectIntersection(Vm& vm, const CallInfo& c)
{
    RectFields a = rectOf(vm, c.thisObj), b = rectOf(vm, c.arg(0).asObject());
    double x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
    double x1 = std::min(a.x + a.w, b.x + b.w), y1 = std::min(a.y + a.h, b.y + b.h);
    if (!(x1 > x0) || !(y1 > y0)) return Value(newRect(vm, 0, 0, 0, 0));
    return Value(newRect(vm, x0, y0, x1 - x0, y1 - y0));
}
Value rectIntersects(Vm& vm, const CallInfo& c)
{
    RectFields a = rectOf(vm, c.thisObj), b = rectOf(vm, c.arg(0).asObject());
    return Value(std::min(a.x + a.w, b.x + b.w) > std::max(a.x, b.x) && std::min(a.y + a.h, b.y + b.h) > std::max(a.y, b.y));
}
Value rectUnion(Vm& vm, const CallInfo& c)
{
    RectFields a = rectOf(vm, c.thisObj), b = rectOf(vm, c.arg(0).asObject());
    double x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
    double x1 = std::max(a.x + a.w, b.x + b.w), y1 = std::max(a.y + a.h, b.y + b.h);
    return Value(newRect(vm, x0, y0, x1 - x0, y1 - y0));
}

// --- Matrix ---

struct M {
    double a, b, c, d, tx, ty;
};
M matrixOf(Vm& vm, Object* o)
{
    return {num(vm, o, "a"), num(vm, o, "b"), num(vm, o, "c"), num(vm, o, "d"), num(vm, o, "tx"), num(vm, o, "ty")};
}
void storeMatrix(Vm& vm, Object* o, const M& m)
{
    put(vm, o, "a", Value(m.a));
    put(vm, o, "b", Value(m.b));
    put(vm, o, "c", Value(m.c));
    put(vm, o, "d", Value(m.d));
    put(vm, o, "tx", Value(m.tx));
    put(vm, o, "ty", Value(m.ty));
}
// first then second
M multiply(const M& first, const M& s)
{
    return {first.a * s.a + first.b * s.c, first.a * s.b + first.b * s.d, first.c * s.a + first.d * s.c,
            first.c * s.b + first.d * s.d, first.tx * s.a + first.ty * s.c + s.tx, first.tx * s.b + first.ty * s.d + s.ty};
}

Value matrixCtor(Vm& vm, const CallInfo& c)
{
    initFields(vm, c, {{"a", 1}, {"b", 0}, {"c", 0}, {"d", 1}, {"tx", 0}, {"ty", 0}});
    return Value(c.thisObj);
}
Value matrixToString(Vm& vm, const CallInfo& c)
{
    return c.thisObj ? Value(joinFields(vm, c.thisObj, {"a", "b", "c", "d", "tx", "ty"})) : Value();
}
Value matrixClone(Vm& vm, const CallInfo& c)
{
    Object* m = make(vm, "flash.geom.Matrix");
    storeMatrix(vm, m, matrixOf(vm, c.thisObj));
    return Value(m);
}
Value matrixIdentity(Vm& vm, const CallInfo& c)
{
    storeMatrix(vm, c.thisObj, {1, 0, 0, 1, 0, 0});
    return Value();
}
Value matrixConcat(Vm& vm, const CallInfo& c)
{
    storeMatrix(vm, c.thisObj, multiply(matrixOf(vm, c.thisObj), matrixOf(vm, c.arg(0).asObject())));
    return Value();
}
Value matrixTranslate(Vm& vm, const CallInfo& c)
{
    M m = matrixOf(vm, c.thisObj);
    m.tx += argNumber(vm, c, 0);
    m.ty += argNumber(vm, c, 1);
    storeMatrix(vm, c.thisObj, m);
    return Value();
}
Value matrixScale(Vm& vm, const CallInfo& c)
{
    double sx = argNumber(vm, c, 0), sy = argNumber(vm, c, 1);
    storeMatrix(vm, c.thisObj, multiply(matrixOf(vm, c.thisObj), {sx, 0, 0, sy, 0, 0}));
    return Value();
}
Value matrixRotate(Vm& vm, const CallInfo& c)
{
    double r = argNumber(vm, c, 0);
    storeMatrix(vm, c.thisObj, multiply(matrixOf(vm, c.thisObj), {std::cos(r), std::sin(r), -std::sin(r), std::cos(r), 0, 0}));
    return Value();
}
Value matrixInvert(Vm& vm, const CallInfo& c)
{
    M m = matrixOf(vm, c.thisObj);
    double det = m.a * m.d - m.b * m.c;
    if (det == 0 || std::isnan(det)) {
        storeMatrix(vm, c.thisObj, {1, 0, 0, 1, 0, 0});
        return Value();
    }
    M r{m.d / det, -m.b / det, -m.c / det, m.a / det, 0, 0};
    r.tx = -(r.a * m.tx + r.c * m.ty);
    r.ty = -(r.b * m.tx + r.d * m.ty);
    storeMatrix(vm, c.thisObj, r);
    return Value();
}
Value matrixCreateBox(Vm& vm, const CallInfo& c)
{
    double sx = argNumber(vm, c, 0), sy = argNumber(vm, c, 1);
    double r = c.count() > 2 ? argNumber(vm, c, 2) : 0;
    double tx = c.count() > 3 ? argNumber(vm, c, 3) : 0, ty = c.count() > 4 ? argNumber(vm, c, 4) : 0;
    storeMatrix(vm, c.thisObj, {sx * std::cos(r), sy * std::sin(r), -sx * std::sin(r), sy * std::cos(r), tx, ty});
    return Value();
}
Value matrixCreateGradientBox(Vm& vm, const CallInfo& c)
{
    double w = argNumber(vm, c, 0), h = argNumber(vm, c, 1);
    double r = c.count() > 2 ? argNumber(vm, c, 2) : 0;
    double tx = c.count() > 3 ? argNumber(vm, c, 3) : 0, ty = c.count() > 4 ? argNumber(vm, c, 4) : 0;
    double sx = w / 1638.4, sy = h / 1638.4;
    storeMatrix(vm, c.thisObj, {sx * std::cos(r), sy * std::sin(r), -sx * std::sin(r), sy * std::cos(r), tx + w / 2, ty + h / 2});
    return Value();
}
Value matrixTransformPoint(Vm& vm, const CallInfo& c)
{
    M m = matrixOf(vm, c.thisObj);
    Object* p = c.arg(0).asObject();
    double x = num(vm, p, "x"), y = num(vm, p, "y");
    return Value(newPoint(vm, m.a * x + m.c * y + m.tx, m.b * x + m.d * y + m.ty));
}
Value matrixDeltaTransformPoint(Vm& vm, const CallInfo& c)
{
    M m = matrixOf(vm, c.thisObj);
    Object* p = c.arg(0).asObject();
    double x = num(vm, p, "x"), y = num(vm, p, "y");
    return Value(newPoint(vm, m.a * x + m.c * y, m.b * x + m.d * y));
}

// --- ColorTransform ---

constexpr const char* kColorFields[] = {"redMultiplier", "greenMultiplier", "blueMultiplier", "alphaMultiplier",
                                        "redOffset",     "greenOffset",     "blueOffset",     "alphaOffset"};

Value colorTransformCtor(Vm& vm, const CallInfo& c)
{
    initFields(vm, c, {{kColorFields[0], 1}, {kColorFields[1], 1}, {kColorFields[2], 1}, {kColorFields[3], 1},
                       {kColorFields[4], 0}, {kColorFields[5], 0}, {kColorFields[6], 0}, {kColorFields[7], 0}});
    return Value(c.thisObj);
}
Value colorTransformToString(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj) return Value();
    return Value(joinFields(vm, c.thisObj, {kColorFields[0], kColorFields[1], kColorFields[2], kColorFields[3],
                                            kColorFields[4], kColorFields[5], kColorFields[6], kColorFields[7]}));
}
Value colorTransformGetRgb(Vm& vm, const CallInfo& c)
{
    auto channel = [&](const char* n) { return static_cast<std::uint32_t>(vm.toInt32(vm.getMember(c.thisObj, String(n)))) & 0xFF; };
    return Value(static_cast<double>((channel("redOffset") << 16) | (channel("greenOffset") << 8) | channel("blueOffset")));
}
Value colorTransformSetRgb(Vm& vm, const CallInfo& c)
{
    auto rgb = static_cast<std::uint32_t>(vm.toInt32(c.arg(0)));
    for (const char* n : {"redMultiplier", "greenMultiplier", "blueMultiplier"}) put(vm, c.thisObj, n, Value(0.0));
    put(vm, c.thisObj, "redOffset", Value(static_cast<double>((rgb >> 16) & 0xFF)));
    put(vm, c.thisObj, "greenOffset", Value(static_cast<double>((rgb >> 8) & 0xFF)));
    put(vm, c.thisObj, "blueOffset", Value(static_cast<double>(rgb & 0xFF)));
    return Value();
}
Value colorTransformConcat(Vm& vm, const CallInfo& c)
{
    Object* o = c.arg(0).asObject();
    if (!o) return Value();
    for (int i = 0; i < 4; ++i) {
        double m = num(vm, c.thisObj, kColorFields[i]), om = num(vm, o, kColorFields[i]);
        double off = num(vm, c.thisObj, kColorFields[i + 4]), oo = num(vm, o, kColorFields[i + 4]);
        put(vm, c.thisObj, kColorFields[i + 4], Value(oo * m + off));
        put(vm, c.thisObj, kColorFields[i], Value(m * om));
    }
    return Value();
}

// --- Transform (of a clip) ---

std::shared_ptr<DisplayNode> transformNode(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj) return nullptr;
    return vm.displayNodeOf(vm.getMember(c.thisObj, String("__target")).asObject());
}

Value transformCtor(Vm&, const CallInfo& c)
{
    if (c.thisObj) c.thisObj->define("__target", c.arg(0), PropFlag::Hidden);
    return Value(c.thisObj);
}
Value transformGetMatrix(Vm& vm, const CallInfo& c)
{
    auto n = transformNode(vm, c);
    if (!n) return Value();
    Matrix m = n->matrix();
    Object* o = make(vm, "flash.geom.Matrix");
    storeMatrix(vm, o, {m.a, m.b, m.c, m.d, m.tx / 20, m.ty / 20});
    return Value(o);
}
Value transformSetMatrix(Vm& vm, const CallInfo& c)
{
    auto n = transformNode(vm, c);
    Object* o = c.arg(0).asObject();
    if (!n || !o) return Value();
    M m = matrixOf(vm, o);
    n->setMatrix(Matrix{m.a, m.b, m.c, m.d, m.tx * 20, m.ty * 20});
    return Value();
}
Value transformGetColor(Vm& vm, const CallInfo& c)
{
    auto n = transformNode(vm, c);
    if (!n) return Value();
    ColorTransform t = n->colorTransform();
    Object* o = make(vm, "flash.geom.ColorTransform");
    double values[8] = {t.rMult, t.gMult, t.bMult, t.aMult, t.rAdd, t.gAdd, t.bAdd, t.aAdd};
    for (int i = 0; i < 8; ++i) put(vm, o, kColorFields[i], Value(values[i]));
    return Value(o);
}
Value transformSetColor(Vm& vm, const CallInfo& c)
{
    auto n = transformNode(vm, c);
    Object* o = c.arg(0).asObject();
    if (!n || !o) return Value();
    ColorTransform t{num(vm, o, kColorFields[0]), num(vm, o, kColorFields[1]), num(vm, o, kColorFields[2]),
                     num(vm, o, kColorFields[3]), num(vm, o, kColorFields[4]), num(vm, o, kColorFields[5]),
                     num(vm, o, kColorFields[6]), num(vm, o, kColorFields[7])};
    n->setColorTransform(t);
    return Value();
}
Value transformPixelBounds(Vm& vm, const CallInfo& c)
{
    auto n = transformNode(vm, c);
    if (!n) return Value();
    PixelRect r = n->bounds(nullptr);
    Point a = n->localToGlobal({r.xMin, r.yMin}), b = n->localToGlobal({r.xMax, r.yMax});
    return Value(newRect(vm, std::min(a.x, b.x), std::min(a.y, b.y), std::fabs(b.x - a.x), std::fabs(b.y - a.y)));
}

FunctionObject* defineClass(Vm& vm, Object* package, const char* name, NativeFunction ctor)
{
    Object* proto = vm.newObject();
    FunctionObject* f = vm.newConstructor(ctor, proto);
    package->define(name, Value(f), PropFlag::Hidden);
    return f;
}

void methods(Vm& vm, Object* target, std::initializer_list<std::pair<const char*, NativeFunction>> list)
{
    for (auto& [name, fn] : list) vm.defineMethod(target, name, fn);
}

}  // namespace

void installGeom(Vm& vm, Object* global)
{
    Object* flash = vm.newObject();
    global->define("flash", Value(flash), PropFlag::Hidden | PropFlag::OnlySwf8Up);
    Object* geom = vm.newObject();
    flash->define("geom", Value(geom), PropFlag::Hidden);

    FunctionObject* point = defineClass(vm, geom, "Point", pointCtor);
    Object* pp = vm.getMember(point, String("prototype")).asObject();
    methods(vm, pp, {{"toString", pointToString}, {"clone", pointClone}, {"add", pointAdd}, {"subtract", pointSubtract},
                     {"equals", pointEquals}, {"normalize", pointNormalize}, {"offset", pointOffset}});
    vm.defineAccessor(pp, "length", pointLength, readOnly);
    methods(vm, point, {{"distance", pointDistance}, {"interpolate", pointInterpolate}, {"polar", pointPolar}});

    FunctionObject* rect = defineClass(vm, geom, "Rectangle", rectCtor);
    Object* rp = vm.getMember(rect, String("prototype")).asObject();
    methods(vm, rp, {{"toString", rectToString},   {"clone", rectClone},         {"isEmpty", rectIsEmpty},
                     {"setEmpty", rectSetEmpty},   {"contains", rectContains},   {"containsPoint", rectContainsPoint},
                     {"containsRectangle", rectContainsRect}, {"equals", rectEquals}, {"inflate", rectInflate},
                     {"offset", rectOffset},       {"intersection", rectIntersection}, {"intersects", rectIntersects},
                     {"union", rectUnion}});
    vm.defineAccessor(rp, "left", rectLeft, rectSetLeft);
    vm.defineAccessor(rp, "top", rectTop, rectSetTop);
    vm.defineAccessor(rp, "right", rectRight, rectSetRight);
    vm.defineAccessor(rp, "bottom", rectBottom, rectSetBottom);
    vm.defineAccessor(rp, "topLeft", rectTopLeft, readOnly);
    vm.defineAccessor(rp, "bottomRight", rectBottomRight, readOnly);
    vm.defineAccessor(rp, "size", rectSize, readOnly);

    FunctionObject* matrix = defineClass(vm, geom, "Matrix", matrixCtor);
    Object* mp = vm.getMember(matrix, String("prototype")).asObject();
    methods(vm, mp, {{"toString", matrixToString},     {"clone", matrixClone},       {"identity", matrixIdentity},
                     {"concat", matrixConcat},         {"translate", matrixTranslate}, {"scale", matrixScale},
                     {"rotate", matrixRotate},         {"invert", matrixInvert},     {"createBox", matrixCreateBox},
                     {"createGradientBox", matrixCreateGradientBox}, {"transformPoint", matrixTransformPoint},
                     {"deltaTransformPoint", matrixDeltaTransformPoint}});

    FunctionObject* color = defineClass(vm, geom, "ColorTransform", colorTransformCtor);
    Object* cp = vm.getMember(color, String("prototype")).asObject();
    methods(vm, cp, {{"toString", colorTransformToString}, {"concat", colorTransformConcat}});
    vm.defineAccessor(cp, "rgb", colorTransformGetRgb, colorTransformSetRgb);

    FunctionObject* transform = defineClass(vm, geom, "Transform", transformCtor);
    Object* tp = vm.getMember(transform, String("prototype")).asObject();
    vm.defineAccessor(tp, "matrix", transformGetMatrix, transformSetMatrix);
    vm.defineAccessor(tp, "concatenatedMatrix", transformGetMatrix, readOnly);
    vm.defineAccessor(tp, "colorTransform", transformGetColor, transformSetColor);
    vm.defineAccessor(tp, "concatenatedColorTransform", transformGetColor, readOnly);
    vm.defineAccessor(tp, "pixelBounds", transformPixelBounds, readOnly);

    // MovieClip.transform: a Transform of the clip; assigning one copies its matrix and colours.
    Object* clipProto = vm.builtins().movieClipProto;
    vm.defineAccessor(
        clipProto, "transform",
        [](Vm& vm, const CallInfo& c) {
            Value self(c.thisObj);
            return vm.construct(vm.getMember(vm.getMember(vm.getMember(vm.global(), String("flash")).asObject(),
                                                          String("geom")).asObject(),
                                             String("Transform")),
                                std::span<const Value>(&self, 1));
        },
        [](Vm& vm, const CallInfo& c) {
            Object* t = c.arg(0).asObject();
            auto node = vm.displayNodeOf(c.thisObj);
            if (!t || !node) return Value();
            if (Object* m = vm.getMember(t, String("matrix")).asObject()) {
                M mm = matrixOf(vm, m);
                node->setMatrix(Matrix{mm.a, mm.b, mm.c, mm.d, mm.tx * 20, mm.ty * 20});
            }
            if (Object* ct = vm.getMember(t, String("colorTransform")).asObject()) {
                node->setColorTransform(ColorTransform{num(vm, ct, kColorFields[0]), num(vm, ct, kColorFields[1]),
                                                       num(vm, ct, kColorFields[2]), num(vm, ct, kColorFields[3]),
                                                       num(vm, ct, kColorFields[4]), num(vm, ct, kColorFields[5]),
                                                       num(vm, ct, kColorFields[6]), num(vm, ct, kColorFields[7])});
            }
            return Value();
        },
        PropFlag::Hidden | PropFlag::OnlySwf8Up);
}

}  // namespace swf::avm1
