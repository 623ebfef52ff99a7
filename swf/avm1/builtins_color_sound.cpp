// Color (colour transform of a clip) and Sound (exported sounds played through the host).

#include <cmath>

#include "swf/avm1/builtins.h"
#include "swf/avm1/display_object.h"
#include "swf/avm1/vm_internals.h"

namespace swf::avm1 {

namespace {

// Color and Sound objects remember the clip they were made for (an object or a path).
class TargetedObject : public Object {
public:
    explicit TargetedObject(Object* proto) : Object(proto) {}
    void traceChildren(Tracer& t) const override
    {
        Object::traceChildren(t);
        t.mark(target);
    }
    Value target;
    String exportName;  // Sound: attached sound
};

Object* allocateTargeted(Vm& vm, Object* proto) { return vm.heap().make<TargetedObject>(proto); }

TargetedObject* thisTargeted(const CallInfo& c) { return dynamic_cast<TargetedObject*>(c.thisObj); }

std::shared_ptr<DisplayNode> targetNode(Vm& vm, TargetedObject* o)
{
    if (!o) return nullptr;
    if (Object* t = o->target.asObject()) return vm.displayNodeOf(t);
    // An empty path names no clip here.
    if (o->target.isString() && !o->target.asString().empty()) {
        return vm.displayNodeOf(vm.resolveTarget(vm.levelObject(0), o->target.asString()));
    }
    return nullptr;
}

Value targetedConstructor(Vm&, const CallInfo& c)
{
    if (auto* o = thisTargeted(c)) o->target = c.arg(0);
    return c.thisObj ? Value(c.thisObj) : Value();
}

// --- Color ---

// new Color(target): the target is also readable (not writable) as the object's `target`.
Value colorConstructor(Vm& vm, const CallInfo& c)
{
    Value r = targetedConstructor(vm, c);
    if (c.thisObj) c.thisObj->define("target", c.arg(0), PropFlag::ReadOnly | PropFlag::DontDelete);
    return r;
}

Value colorSetRgb(Vm& vm, const CallInfo& c)
{
    auto n = targetNode(vm, thisTargeted(c));
    if (!n || c.count() == 0) return Value();
    auto rgb = static_cast<std::uint32_t>(vm.toInt32(c.arg(0)));
    ColorTransform ct = n->colorTransform();
    ct.rMult = ct.gMult = ct.bMult = 0;
    ct.rAdd = (rgb >> 16) & 0xFF;
    ct.gAdd = (rgb >> 8) & 0xFF;
    ct.bAdd = rgb & 0xFF;
    n->setColorTransform(ct);
    return Value();
}

Value colorGetRgb(Vm& vm, const CallInfo& c)
{
    auto n = targetNode(vm, thisTargeted(c));
    if (!n) return Value();
    ColorTransform ct = n->colorTransform();
    // The offsets are combined as they are: negative ones spill into the higher bits.
    auto channel = [](double v) { return static_cast<std::uint32_t>(static_cast<std::int32_t>(v)); };
    auto rgb = (channel(ct.rAdd) << 16) | (channel(ct.gAdd) << 8) | channel(ct.bAdd);
    return Value(static_cast<double>(static_cast<std::int32_t>(rgb)));
}

Value colorSetTransform(Vm& vm, const CallInfo& c)
{
    auto n = targetNode(vm, thisTargeted(c));
    Object* t = c.arg(0).asObject();
    if (!n || !t) return Value();
    ColorTransform ct = n->colorTransform();
    // Only the object's own fields count. The player keeps each as a 16-bit number: multipliers
    // in 8.8 fixed point (percent * 256 / 100), offsets whole; larger values wrap around, and
    // NaN or infinite ones become 0.
    auto to16 = [](double d) {
        if (!std::isfinite(d)) return 0.0;
        auto wrapped = static_cast<std::uint16_t>(static_cast<std::int64_t>(std::fmod(std::trunc(d), 65536.0)));
        return static_cast<double>(static_cast<std::int16_t>(wrapped));
    };
    auto apply = [&](const char* name, double& field, bool multiplier) {
        const String key(name);
        if (!vm.hasOwnProperty(t, key)) return;
        double d = vm.toNumber(vm.getMember(t, key));
        field = multiplier ? to16(d * 256 / 100) / 256 : to16(d);
    };
    apply("ra", ct.rMult, true);
    apply("ga", ct.gMult, true);
    apply("ba", ct.bMult, true);
    apply("aa", ct.aMult, true);
    apply("rb", ct.rAdd, false);
    apply("gb", ct.gAdd, false);
    apply("bb", ct.bAdd, false);
    apply("ab", ct.aAdd, false);
    n->setColorTransform(ct);
    return Value();
}

Value colorGetTransform(Vm& vm, const CallInfo& c)
{
    auto n = targetNode(vm, thisTargeted(c));
    if (!n) return Value();
    ColorTransform ct = n->colorTransform();
    Object* o = vm.newObject();
    vm.setMember(o, String("ra"), Value(ct.rMult * 100));
    vm.setMember(o, String("rb"), Value(ct.rAdd));
    vm.setMember(o, String("ga"), Value(ct.gMult * 100));
    vm.setMember(o, String("gb"), Value(ct.gAdd));
    vm.setMember(o, String("ba"), Value(ct.bMult * 100));
    vm.setMember(o, String("bb"), Value(ct.bAdd));
    vm.setMember(o, String("aa"), Value(ct.aMult * 100));
    vm.setMember(o, String("ab"), Value(ct.aAdd));
    return Value(o);
}

// --- Sound ---

DisplayNode* soundOwner(Vm& vm, const CallInfo& c, std::shared_ptr<DisplayNode>& keep)
{
    keep = targetNode(vm, thisTargeted(c));
    return keep.get();
}

Value soundAttach(Vm& vm, const CallInfo& c)
{
    auto* s = thisTargeted(c);
    if (!s || c.count() == 0) return Value(false);
    String id = argString(vm, c, 0);
    if (!vm.host().soundExists(id.view())) return Value(false);
    s->exportName = id;
    return Value(true);
}

Value soundStart(Vm& vm, const CallInfo& c)
{
    auto* s = thisTargeted(c);
    if (!s || s->exportName.empty()) return Value();
    std::shared_ptr<DisplayNode> keep;
    DisplayNode* owner = soundOwner(vm, c, keep);
    double offset = c.count() > 0 ? argNumber(vm, c, 0) : 0;
    double loops = c.count() > 1 ? argNumber(vm, c, 1) : 1;
    if (std::isnan(offset) || offset < 0) offset = 0;
    if (std::isnan(loops) || loops < 1) loops = 1;
    vm.host().startSound(owner, s->exportName.view(), offset, static_cast<int>(std::min(loops, 65535.0)), s);
    return Value();
}

Value soundStop(Vm& vm, const CallInfo& c)
{
    std::shared_ptr<DisplayNode> keep;
    DisplayNode* owner = soundOwner(vm, c, keep);
    String id = c.count() > 0 ? argString(vm, c, 0) : String();
    vm.host().stopSound(owner, id.view());
    return Value();
}

Value soundGetVolume(Vm& vm, const CallInfo& c)
{
    std::shared_ptr<DisplayNode> keep;
    return Value(vm.host().soundVolume(soundOwner(vm, c, keep)));
}

Value soundSetVolume(Vm& vm, const CallInfo& c)
{
    std::shared_ptr<DisplayNode> keep;
    double v = argNumber(vm, c, 0);
    if (!std::isnan(v)) vm.host().setSoundVolume(soundOwner(vm, c, keep), v);
    return Value();
}

Value soundGetPan(Vm& vm, const CallInfo& c)
{
    std::shared_ptr<DisplayNode> keep;
    return Value(vm.host().soundPan(soundOwner(vm, c, keep)));
}

Value soundSetPan(Vm& vm, const CallInfo& c)
{
    std::shared_ptr<DisplayNode> keep;
    double v = argNumber(vm, c, 0);
    if (!std::isnan(v)) vm.host().setSoundPan(soundOwner(vm, c, keep), std::clamp(v, -100.0, 100.0));
    return Value();
}

Value soundGetTransform(Vm& vm, const CallInfo& c)
{
    std::shared_ptr<DisplayNode> keep;
    SoundTransformData t = vm.host().soundTransform(soundOwner(vm, c, keep));
    Object* o = vm.newObject();
    vm.setMember(o, String("ll"), Value(t.ll));
    vm.setMember(o, String("lr"), Value(t.lr));
    // This order makes for..in list rl, rr, lr, ll, as Flash Player does.
    vm.setMember(o, String("rr"), Value(t.rr));
    vm.setMember(o, String("rl"), Value(t.rl));
    return Value(o);
}

Value soundSetTransform(Vm& vm, const CallInfo& c)
{
    std::shared_ptr<DisplayNode> keep;
    DisplayNode* owner = soundOwner(vm, c, keep);
    Object* o = c.arg(0).asObject();
    if (!o) return Value();
    SoundTransformData t = vm.host().soundTransform(owner);
    auto apply = [&](const char* name, double& field) {
        Value v = vm.getMember(o, String(name));
        if (!v.isUndefined()) field = vm.toNumber(v);
    };
    apply("ll", t.ll);
    apply("lr", t.lr);
    apply("rl", t.rl);
    apply("rr", t.rr);
    vm.host().setSoundTransform(owner, t);
    return Value();
}

Value soundDuration(Vm& vm, const CallInfo& c)
{
    auto* s = thisTargeted(c);
    if (!s || s->exportName.empty()) return Value();
    return Value(std::floor(vm.host().soundDurationMs(s->exportName.view())));
}

Value soundPosition(Vm& vm, const CallInfo& c)
{
    auto* s = thisTargeted(c);
    if (!s || s->exportName.empty()) return Value();
    std::shared_ptr<DisplayNode> keep;
    return Value(std::floor(vm.host().soundPositionMs(soundOwner(vm, c, keep), s->exportName.view())));
}

Value soundLoad(Vm& vm, const CallInfo& c)
{
    auto* s = thisTargeted(c);
    if (!s || c.count() == 0) return Value();
    UrlRequest r;
    r.kind = UrlRequest::Kind::LoadSound;
    r.url = argString(vm, c, 0).str();
    r.scriptObject = s;
    r.streaming = vm.toBoolean(c.arg(1));
    std::shared_ptr<DisplayNode> keep;
    r.targetNode = soundOwner(vm, c, keep);
    vm.host().urlRequest(r);
    return Value();
}

Value soundNoBytes(Vm&, const CallInfo&) { return Value(); }
Value readOnly(Vm&, const CallInfo&) { return Value(); }

}  // namespace

void installColorAndSound(Vm& vm, Object* global)
{
    auto& b = vm.builtins();
    Object* colorProto = vm.newObject();
    FunctionObject* color = vm.newConstructor(colorConstructor, colorProto, allocateTargeted);
    global->define("Color", Value(color));
    vm.defineMethod(colorProto, "setRGB", colorSetRgb);
    vm.defineMethod(colorProto, "getRGB", colorGetRgb);
    vm.defineMethod(colorProto, "setTransform", colorSetTransform);
    vm.defineMethod(colorProto, "getTransform", colorGetTransform);

    b.soundProto = vm.newObject();
    Object* sp = b.soundProto;
    FunctionObject* sound = vm.newConstructor(targetedConstructor, sp, allocateTargeted);
    global->define("Sound", Value(sound));
    struct {
        const char* name;
        NativeFunction fn;
    } methods[] = {{"attachSound", soundAttach},   {"start", soundStart},
                   {"stop", soundStop},            {"getVolume", soundGetVolume},
                   {"setVolume", soundSetVolume},  {"getPan", soundGetPan},
                   {"setPan", soundSetPan},        {"getTransform", soundGetTransform},
                   {"setTransform", soundSetTransform}, {"loadSound", soundLoad},
                   {"getBytesLoaded", soundNoBytes}, {"getBytesTotal", soundNoBytes},
                   {"getDuration", soundDuration}, {"getPosition", soundPosition}};
    for (auto& m : methods) vm.defineMethod(sp, m.name, m.fn);
    vm.defineAccessor(sp, "duration", soundDuration, readOnly, PropFlag::Hidden | PropFlag::OnlySwf6Up);
    vm.defineAccessor(sp, "position", soundPosition, readOnly, PropFlag::Hidden | PropFlag::OnlySwf6Up);
}

}  // namespace swf::avm1
