// Object, Function, ASSetPropFlags, and the installation order of every built-in.

#include <algorithm>

#include "swf/avm1/builtins_bitmap_data.h"
#include "swf/avm1/builtins.h"
#include "swf/avm1/vm_internals.h"

namespace swf::avm1 {

Value primitiveOf(const Object* o)
{
    if (auto* p = dynamic_cast<const PrimitiveObject*>(o)) return p->value;
    return Value();
}

namespace {

Value objectConstructor(Vm& vm, const CallInfo& c)
{
    const Value& a = c.arg(0);
    if (a.isObject()) return a;
    if (!a.isNullish() && c.count() > 0) return Value(vm.toObject(a));
    if (c.isConstruct && c.thisObj) return Value(c.thisObj);
    return Value(vm.newObject());
}

Value objectToString(Vm&, const CallInfo& c)
{
    if (c.thisObj && c.thisObj->kind() == ObjectKind::Function) return Value("[type Function]");
    return Value("[object Object]");
}

Value objectValueOf(Vm&, const CallInfo& c) { return c.thisObj ? Value(c.thisObj) : Value(); }

Value objectHasOwnProperty(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj || c.count() == 0) return Value(false);
    return Value(vm.hasOwnProperty(c.thisObj, argString(vm, c, 0)));
}

Value objectIsPropertyEnumerable(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj) return Value(false);
    String name = argString(vm, c, 0);
    if (c.thisObj->kind() == ObjectKind::Array && ArrayObject::parseIndex(name) >= 0) {
        return Value(vm.hasOwnProperty(c.thisObj, name));
    }
    Property* p = c.thisObj->findOwn(name, vm.caseSensitive());
    return Value(p && !(p->flags & PropFlag::DontEnum) && propertyVisible(p->flags, vm.version()));
}

Value objectIsPrototypeOf(Vm&, const CallInfo& c)
{
    Object* o = c.arg(0).asObject();
    if (!c.thisObj || !o) return Value(false);
    int depth = 0;
    for (Object* p = o->proto(); p && depth < 256; p = p->proto(), ++depth) {
        if (p == c.thisObj) return Value(true);
    }
    return Value(false);
}

Value objectAddProperty(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj || c.count() < 2) return Value(false);
    String name = argString(vm, c, 0);
    auto* getter = dynamic_cast<FunctionObject*>(c.arg(1).asObject());
    Object* setterObj = c.arg(2).asObject();
    auto* setter = dynamic_cast<FunctionObject*>(setterObj);
    if (name.empty() || !getter) return Value(false);
    if (setterObj && !setter) return Value(false);
    if (!setterObj && !c.arg(2).isNull() && c.count() > 2 && !c.arg(2).isUndefined()) return Value(false);
    if (c.thisObj->hasProtoProperty() || name.equals(vm.internals().names.proto, vm.caseSensitive())) {
        if (name.equals(vm.internals().names.proto, vm.caseSensitive())) {
            Object::ProtoSlot& slot = c.thisObj->protoSlot();
            slot.present = true;
            slot.getter = getter;
            slot.setter = setter;
            return Value(true);
        }
    }
    int i = c.thisObj->properties().find(name, vm.caseSensitive());
    if (i < 0) i = c.thisObj->properties().add(name, Value(), 0);
    Property& p = c.thisObj->properties().at(i);
    // A value the property held stays underneath: an accessor that reaches its own property
    // through nesting reads and writes it.
    p.getter = getter;
    p.setter = setter;
    return Value(true);
}

Value objectWatch(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj || c.count() < 2) return Value(false);
    auto* cb = dynamic_cast<FunctionObject*>(c.arg(1).asObject());
    if (!cb) return Value(false);
    String name = argString(vm, c, 0);
    auto& watches = c.thisObj->watches();
    for (Watch& w : watches) {
        if (w.name.equals(name, vm.caseSensitive())) {
            w.callback = cb;
            w.userData = c.arg(2);
            return Value(true);
        }
    }
    watches.push_back(Watch{name, cb, c.arg(2)});
    return Value(true);
}

Value objectUnwatch(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj || c.count() < 1) return Value(false);
    String name = argString(vm, c, 0);
    auto& watches = c.thisObj->watches();
    for (auto it = watches.begin(); it != watches.end(); ++it) {
        if (it->name.equals(name, vm.caseSensitive())) {
            // Keep indices of running watchers stable: clear instead of erasing.
            it->callback = nullptr;
            it->name = String();
            return Value(true);
        }
    }
    return Value(false);
}

Value objectRegisterClass(Vm& vm, const CallInfo& c)
{
    if (c.count() < 2) return Value(false);
    String name = argString(vm, c, 0);
    auto* ctor = dynamic_cast<FunctionObject*>(c.arg(1).asObject());
    if (name.empty()) return Value(false);
    vm.registerClass(name, ctor);
    return Value(true);
}

Value functionConstructor(Vm& vm, const CallInfo& c)
{
    if (c.isConstruct && c.thisObj) return Value(c.thisObj);
    return Value(vm.newObject());
}

Value functionCall(Vm& vm, const CallInfo& c)
{
    auto* fn = dynamic_cast<FunctionObject*>(c.thisObj);
    if (!fn) return Value();
    Object* thisArg = c.arg(0).isNullish() ? nullptr : vm.toObject(c.arg(0));
    std::span<const Value> rest = c.count() > 1 ? c.args.subspan(1) : std::span<const Value>();
    return vm.invokeFunction(fn, thisArg, rest, nullptr, false);
}

Value functionApply(Vm& vm, const CallInfo& c)
{
    auto* fn = dynamic_cast<FunctionObject*>(c.thisObj);
    if (!fn) return Value();
    Object* thisArg = c.arg(0).isNullish() ? nullptr : vm.toObject(c.arg(0));
    std::vector<Value> args;
    if (auto* a = dynamic_cast<ArrayObject*>(c.arg(1).asObject())) {
        if (a->length() > ArrayObject::kMaxIterableLength) vm.abort(AbortReason::HeapExhausted, "apply with a huge array");
        args = a->values();
    } else if (Object* o = c.arg(1).asObject()) {
        // Any object with a length works as an argument list.
        double n = vm.toNumber(vm.getMember(o, String("length")));
        if (n > 0 && n < 1e6) {
            for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
                args.push_back(vm.getMember(o, String(asciiToUtf16(std::to_string(i)))));
            }
        }
    }
    return vm.invokeFunction(fn, thisArg, args, nullptr, false);
}

// ASSetPropFlags(object, names, set, clear): names is null (all), "a,b" or an array of names.
Value asSetPropFlags(Vm& vm, const CallInfo& c)
{
    Object* o = c.arg(0).asObject();
    if (!o || c.count() < 3) return Value();
    auto setFlags = static_cast<std::uint16_t>(vm.toInt32(c.arg(2)));
    auto clearFlags = static_cast<std::uint16_t>(c.count() > 3 ? vm.toInt32(c.arg(3)) : 0);
    auto apply = [&](Property& p) { p.flags = static_cast<std::uint16_t>((p.flags & ~clearFlags) | setFlags); };
    auto applyProto = [&] {
        Object::ProtoSlot& slot = o->protoSlot();
        slot.flags = static_cast<std::uint16_t>((slot.flags & ~clearFlags) | setFlags);
    };
    const Value& names = c.arg(1);
    if (names.isNull()) {
        o->properties().forEachMutable(apply);
        if (o->hasProtoProperty()) applyProto();
        return Value();
    }
    std::vector<String> list;
    if (auto* a = dynamic_cast<ArrayObject*>(names.asObject())) {
        for (const Value& v : a->values()) list.push_back(vm.toString(v));
    } else if (names.isString()) {
        std::u16string_view s = names.asString().view();
        std::size_t start = 0;
        while (start <= s.size()) {
            std::size_t comma = s.find(u',', start);
            if (comma == std::u16string_view::npos) comma = s.size();
            list.emplace_back(s.substr(start, comma - start));
            start = comma + 1;
        }
    } else {
        return Value();
    }
    for (const String& n : list) {
        if (Property* p = o->findOwn(n, vm.caseSensitive())) apply(*p);
        if (o->hasProtoProperty() && n.equals(vm.internals().names.proto, vm.caseSensitive())) applyProto();
    }
    return Value();
}

}  // namespace

void installObjectAndFunction(Vm& vm, Object* global)
{
    auto& b = vm.builtins();
    Object* op = b.objectProto;
    Object* fp = b.functionProto;

    b.objectCtor = vm.newConstructor(objectConstructor, op);
    global->define("Object", Value(b.objectCtor));
    vm.defineMethod(op, "toString", objectToString);
    vm.defineMethod(op, "toLocaleString", objectToString);
    vm.defineMethod(op, "valueOf", objectValueOf);
    vm.defineMethod(op, "hasOwnProperty", objectHasOwnProperty, PropFlag::Hidden | PropFlag::OnlySwf6Up);
    vm.defineMethod(op, "isPropertyEnumerable", objectIsPropertyEnumerable, PropFlag::Hidden | PropFlag::OnlySwf6Up);
    vm.defineMethod(op, "isPrototypeOf", objectIsPrototypeOf, PropFlag::Hidden | PropFlag::OnlySwf6Up);
    vm.defineMethod(op, "addProperty", objectAddProperty, PropFlag::Hidden | PropFlag::OnlySwf6Up);
    vm.defineMethod(op, "watch", objectWatch, PropFlag::Hidden | PropFlag::OnlySwf6Up);
    vm.defineMethod(op, "unwatch", objectUnwatch, PropFlag::Hidden | PropFlag::OnlySwf6Up);
    vm.defineMethod(b.objectCtor, "registerClass", objectRegisterClass);

    b.functionCtor = vm.newConstructor(functionConstructor, fp);
    global->define("Function", Value(b.functionCtor), PropFlag::Hidden | PropFlag::OnlySwf6Up);
    vm.defineMethod(fp, "call", functionCall, PropFlag::Hidden | PropFlag::OnlySwf6Up);
    vm.defineMethod(fp, "apply", functionApply, PropFlag::Hidden | PropFlag::OnlySwf6Up);

    vm.defineMethod(global, "ASSetPropFlags", asSetPropFlags);
    // ASnative(101, n): the Object natives in the player's numbering.
    NativeFunction objectNatives[] = {objectWatch,          objectUnwatch,        objectAddProperty,
                                      objectValueOf,        objectToString,       objectHasOwnProperty,
                                      objectIsPrototypeOf,  objectIsPropertyEnumerable, objectRegisterClass};
    for (int i = 0; i < 9; ++i) vm.registerNative(101, i, objectNatives[i]);
    vm.registerNative(101, 10, functionCall);
    vm.registerNative(101, 11, functionApply);
}

void Vm::installBuiltins()
{
    builtins_.objectProto = heap_.make<Object>(nullptr);
    builtins_.functionProto = heap_.make<Object>(builtins_.objectProto);
    // The global object has no prototype: it converts to undefined and has no toString.
    global_ = heap_.make<Object>(nullptr);
    installObjectAndFunction(*this, global_);
    installArray(*this, global_);
    installString(*this, global_);
    installNumberBooleanMath(*this, global_);
    installDate(*this, global_);
    installGlobalFunctions(*this, global_);
    installBroadcaster(*this, global_);
    installError(*this, global_);
    installSystem(*this, global_);
    installInput(*this, global_);
    installMovieClip(*this, global_);
    installButtonAndTextField(*this, global_);
    installColorAndSound(*this, global_);
    installXml(*this, global_);
    installLoadVarsAndMisc(*this, global_);
    installTextSnapshot(*this, global_);
    installGeom(*this, global_);
    installFileReferenceList(*this, global_);
    installBitmapData(*this, global_);
}

}  // namespace swf::avm1
