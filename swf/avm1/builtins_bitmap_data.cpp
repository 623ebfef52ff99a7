// flash.display.BitmapData as Flash Player 8 runs it. Its natives answer bad calls with error
// codes instead of undefined: -1 when arguments are missing or the bitmap is disposed, -2, -3 or
// -4 when the argument at that position has the wrong kind; methods that succeed return 0.

#include "swf/avm1/builtins_bitmap_data.h"

#include <cmath>
#include <utility>

#include "swf/avm1/builtins.h"
#include "swf/avm1/native_construct.h"

namespace swf::avm1 {

namespace {

// The class's natives that make bitmaps without a bitmap at hand (the constructor) carry the
// budget every bitmap of the VM is counted against.
class BitmapClassFunction : public FunctionObject {
public:
    BitmapClassFunction(Object* proto, NativeFunction fn, std::shared_ptr<BitmapMemory> budget)
        : FunctionObject(proto, fn), memory(std::move(budget)) {}
    std::shared_ptr<BitmapMemory> memory;
};

constexpr int kMissingArguments = -1;

BitmapDataObject* asBitmapData(Object* o) { return dynamic_cast<BitmapDataObject*>(o); }

// The live pixels of `this`, null when it is no bitmap or a disposed one.
BitmapPixels* pixelsOf(const CallInfo& c)
{
    BitmapDataObject* b = asBitmapData(c.thisObj);
    return b ? b->pixels.get() : nullptr;
}

Object* allocateBitmapData(Vm& vm, Object* proto) { return vm.heap().make<BitmapDataObject>(proto); }

std::uint32_t argColor(Vm& vm, const CallInfo& c, std::size_t i) { return static_cast<std::uint32_t>(argInt(vm, c, i)); }

Value constructor(Vm& vm, const CallInfo& c)
{
    BitmapDataObject* self = c.isConstruct ? asBitmapData(c.thisObj) : nullptr;
    auto* cls = dynamic_cast<BitmapClassFunction*>(c.callee);
    if (!self || !cls) return Value();
    if (c.count() < 2) throw ConstructionRefused{};
    std::int32_t width = argInt(vm, c, 0);
    std::int32_t height = argInt(vm, c, 1);
    bool transparent = c.count() > 2 ? vm.toBoolean(c.arg(2)) : true;
    std::uint32_t fill = c.count() > 3 ? argColor(vm, c, 3) : 0xFFFFFFFFu;
    if (width < 1 || height < 1 || width > BitmapPixels::kMaxSide || height > BitmapPixels::kMaxSide) {
        throw ConstructionRefused{};
    }
    self->pixels = BitmapPixels::create(width, height, transparent, fill, cls->memory);
    if (!self->pixels) {
        vm.warn("BitmapData of " + std::to_string(width) + "x" + std::to_string(height) +
                " refused: script bitmaps would pass " + std::to_string(cls->memory->limit() >> 20) + " MiB");
        throw ConstructionRefused{};
    }
    return Value();
}

// --- Properties ---

Value getWidth(Vm&, const CallInfo& c)
{
    BitmapPixels* p = pixelsOf(c);
    return Value(p ? p->width() : kMissingArguments);
}

Value getHeight(Vm&, const CallInfo& c)
{
    BitmapPixels* p = pixelsOf(c);
    return Value(p ? p->height() : kMissingArguments);
}

Value getTransparent(Vm&, const CallInfo& c)
{
    BitmapPixels* p = pixelsOf(c);
    return p ? Value(p->transparent()) : Value(kMissingArguments);
}

Value newRectangle(Vm& vm, double x, double y, double w, double h)
{
    Object* flash = vm.getMember(vm.global(), String("flash")).asObject();
    Object* geom = flash ? vm.getMember(flash, String("geom")).asObject() : nullptr;
    Value ctor = geom ? vm.getMember(geom, String("Rectangle")) : Value();
    const Value args[] = {Value(x), Value(y), Value(w), Value(h)};
    return vm.construct(ctor, args);
}

Value getRectangle(Vm& vm, const CallInfo& c)
{
    BitmapPixels* p = pixelsOf(c);
    if (!p) return Value(kMissingArguments);
    return newRectangle(vm, 0, 0, p->width(), p->height());
}

Value readOnly(Vm&, const CallInfo&) { return Value(); }

// --- Reading arguments ---

bool hasXY(Vm& vm, Object* o) { return o && vm.hasProperty(o, String("x")) && vm.hasProperty(o, String("y")); }

struct Point {
    double x = 0, y = 0;
};

Point pointOf(Vm& vm, Object* o)
{
    return {vm.toNumber(vm.getMember(o, String("x"))), vm.toNumber(vm.getMember(o, String("y")))};
}

// Rectangles and points are read as the player's integers (fractions cut toward zero).
std::int32_t toPixel(Vm& vm, double d) { return vm.toInt32(Value(d)); }

BitmapRect rectOf(Vm& vm, Object* o)
{
    auto field = [&](const char* name) { return vm.toInt32(vm.getMember(o, String(name))); };
    return {field("x"), field("y"), field("width"), field("height")};
}

// --- Pixels ---

Value getPixel(Vm& vm, const CallInfo& c)
{
    BitmapPixels* p = pixelsOf(c);
    if (!p || c.count() < 2) return Value(kMissingArguments);
    return Value(double(p->getPixel32(argInt(vm, c, 0), argInt(vm, c, 1)) & 0xFFFFFFu));
}

Value getPixel32(Vm& vm, const CallInfo& c)
{
    BitmapPixels* p = pixelsOf(c);
    if (!p || c.count() < 2) return Value(kMissingArguments);
    return Value(double(static_cast<std::int32_t>(p->getPixel32(argInt(vm, c, 0), argInt(vm, c, 1)))));
}

Value setPixel(Vm& vm, const CallInfo& c)
{
    BitmapPixels* p = pixelsOf(c);
    if (!p || c.count() < 3) return Value(kMissingArguments);
    p->setPixel(argInt(vm, c, 0), argInt(vm, c, 1), argColor(vm, c, 2));
    return Value(0);
}

Value setPixel32(Vm& vm, const CallInfo& c)
{
    BitmapPixels* p = pixelsOf(c);
    if (!p || c.count() < 3) return Value(kMissingArguments);
    p->setPixel32(argInt(vm, c, 0), argInt(vm, c, 1), argColor(vm, c, 2));
    return Value(0);
}

Value fillRect(Vm& vm, const CallInfo& c)
{
    BitmapPixels* p = pixelsOf(c);
    if (!p || c.count() < 2) return Value(kMissingArguments);
    Object* rect = c.arg(0).asObject();
    if (!rect) return Value(-2);
    p->fillRect(rectOf(vm, rect), argColor(vm, c, 1));
    return Value(0);
}

Value floodFill(Vm& vm, const CallInfo& c)
{
    BitmapPixels* p = pixelsOf(c);
    if (!p || c.count() < 3) return Value(kMissingArguments);
    p->floodFill(argInt(vm, c, 0), argInt(vm, c, 1), argColor(vm, c, 2));
    return Value(0);
}

Value scroll(Vm& vm, const CallInfo& c)
{
    BitmapPixels* p = pixelsOf(c);
    if (!p || c.count() < 2) return Value(kMissingArguments);
    p->scroll(argInt(vm, c, 0), argInt(vm, c, 1));
    return Value(0);
}

// copyPixels(source, sourceRect, destPoint[, alphaBitmap, alphaPoint, mergeAlpha]). An alpha
// bitmap is not applied: its pixels are copied as if none was given.
Value copyPixels(Vm& vm, const CallInfo& c)
{
    BitmapPixels* p = pixelsOf(c);
    if (!p || c.count() < 3) return Value(kMissingArguments);
    BitmapDataObject* source = asBitmapData(c.arg(0).asObject());
    if (!source || !source->pixels) return Value(-2);
    Object* rect = c.arg(1).asObject();
    if (!rect) return Value(-3);
    Object* dest = c.arg(2).asObject();
    if (!hasXY(vm, dest)) return Value(-4);
    Point at = pointOf(vm, dest);
    bool mergeAlpha = c.count() > 5 && vm.toBoolean(c.arg(5));
    // Hold the source alive on its own: it may be this very bitmap.
    std::shared_ptr<BitmapPixels> from = source->pixels;
    p->copyPixels(*from, rectOf(vm, rect), toPixel(vm, at.x), toPixel(vm, at.y), mergeAlpha);
    return Value(0);
}

Value cloneBitmap(Vm& vm, const CallInfo& c)
{
    BitmapPixels* p = pixelsOf(c);
    if (!p) return Value(kMissingArguments);
    auto copy = p->clone();
    if (!copy) {
        vm.warn("BitmapData.clone refused: script bitmaps would pass their memory limit");
        return Value();
    }
    auto* object = vm.heap().make<BitmapDataObject>(c.thisObj->proto());
    object->pixels = std::move(copy);
    return Value(object);
}

Value dispose(Vm&, const CallInfo& c)
{
    BitmapDataObject* b = asBitmapData(c.thisObj);
    if (!b || !b->pixels) return Value(kMissingArguments);
    b->pixels.reset();
    return Value(0);
}

// hitTest(firstPoint, firstAlphaThreshold, secondObject[, secondBitmapPoint, secondAlphaThreshold]):
// against a point, a rectangle or another bitmap placed at its own point.
Value hitTest(Vm& vm, const CallInfo& c)
{
    BitmapPixels* p = pixelsOf(c);
    if (!p || c.count() < 3) return Value(kMissingArguments);
    Object* firstObject = c.arg(0).asObject();
    if (!hasXY(vm, firstObject)) return Value(-2);
    Point first = pointOf(vm, firstObject);
    std::int32_t firstThreshold = argInt(vm, c, 1);
    // A pixel counts when its alpha reaches the threshold; a fully transparent one never does,
    // whatever the threshold.
    auto opaqueEnough = [](const BitmapPixels& b, int x, int y, std::int32_t threshold) {
        std::int32_t alpha = std::int32_t(b.getPixel32(x, y) >> 24);
        return alpha != 0 && alpha >= threshold;
    };
    std::int32_t originX = toPixel(vm, first.x);
    std::int32_t originY = toPixel(vm, first.y);

    Object* second = c.arg(2).asObject();
    if (BitmapDataObject* other = asBitmapData(second)) {
        if (!other->pixels) return Value(-3);
        Point at;
        if (c.count() > 3) {
            Object* pointObject = c.arg(3).asObject();
            if (!hasXY(vm, pointObject)) return Value(-4);
            at = pointOf(vm, pointObject);
        }
        std::int32_t secondThreshold = c.count() > 4 ? argInt(vm, c, 4) : 1;
        const BitmapPixels& o = *other->pixels;
        // The overlap of the two bitmaps, in this bitmap's pixels.
        std::int64_t dx = std::int64_t(toPixel(vm, at.x)) - originX;
        std::int64_t dy = std::int64_t(toPixel(vm, at.y)) - originY;
        std::int64_t left = std::max<std::int64_t>(0, dx), top = std::max<std::int64_t>(0, dy);
        std::int64_t right = std::min<std::int64_t>(p->width(), dx + o.width());
        std::int64_t bottom = std::min<std::int64_t>(p->height(), dy + o.height());
        for (std::int64_t y = top; y < bottom; ++y) {
            for (std::int64_t x = left; x < right; ++x) {
                if (opaqueEnough(*p, int(x), int(y), firstThreshold) &&
                    opaqueEnough(o, int(x - dx), int(y - dy), secondThreshold)) {
                    return Value(true);
                }
            }
        }
        return Value(false);
    }
    if (!hasXY(vm, second)) return Value(-3);
    if (vm.hasProperty(second, String("width")) && vm.hasProperty(second, String("height"))) {
        BitmapRect r = rectOf(vm, second);
        std::int64_t left = std::max<std::int64_t>(0, std::int64_t(r.x) - originX);
        std::int64_t top = std::max<std::int64_t>(0, std::int64_t(r.y) - originY);
        std::int64_t right = std::min<std::int64_t>(p->width(), std::int64_t(r.x) - originX + r.width);
        std::int64_t bottom = std::min<std::int64_t>(p->height(), std::int64_t(r.y) - originY + r.height);
        for (std::int64_t y = top; y < bottom; ++y) {
            for (std::int64_t x = left; x < right; ++x) {
                if (opaqueEnough(*p, int(x), int(y), firstThreshold)) return Value(true);
            }
        }
        return Value(false);
    }
    Point target = pointOf(vm, second);
    std::int64_t x = std::int64_t(toPixel(vm, target.x)) - originX;
    std::int64_t y = std::int64_t(toPixel(vm, target.y)) - originY;
    if (x < 0 || y < 0 || x >= p->width() || y >= p->height()) return Value(false);
    return Value(opaqueEnough(*p, int(x), int(y), firstThreshold));
}

}  // namespace

void installBitmapData(Vm& vm, Object* global, std::size_t memoryLimit)
{
    Object* flash = vm.getMember(global, String("flash")).asObject();
    if (!flash) return;
    Object* display = vm.getMember(flash, String("display")).asObject();
    if (!display) {
        display = vm.newObject();
        flash->define("display", Value(display), PropFlag::Hidden);
    }
    auto memory = std::make_shared<BitmapMemory>(memoryLimit);
    Object* proto = vm.newObject();
    auto* ctor = vm.heap().make<BitmapClassFunction>(vm.builtins().functionProto, constructor, memory);
    ctor->protoSlot().flags |= PropFlag::OnlySwf6Up;
    ctor->allocator = allocateBitmapData;
    ctor->define("prototype", Value(proto), PropFlag::Hidden);
    proto->define("constructor", Value(ctor), PropFlag::Hidden);
    display->define("BitmapData", Value(ctor), PropFlag::Hidden);

    // The size fields enumerate (for..in over a bitmap lists them) and cannot be written.
    vm.defineAccessor(proto, "width", getWidth, readOnly, 0);
    vm.defineAccessor(proto, "height", getHeight, readOnly, 0);
    vm.defineAccessor(proto, "rectangle", getRectangle, readOnly, 0);
    vm.defineAccessor(proto, "transparent", getTransparent, readOnly, 0);

    const std::pair<const char*, NativeFunction> methods[] = {
        {"getPixel", getPixel},   {"getPixel32", getPixel32}, {"setPixel", setPixel},
        {"setPixel32", setPixel32}, {"fillRect", fillRect},   {"floodFill", floodFill},
        {"scroll", scroll},       {"copyPixels", copyPixels}, {"clone", cloneBitmap},
        {"dispose", dispose},     {"hitTest", hitTest},
    };
    for (const auto& [name, fn] : methods) vm.defineMethod(proto, name, fn);
}

}  // namespace swf::avm1
