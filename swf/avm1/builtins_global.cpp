// Global functions (escape, parseInt, isNaN, setInterval, ASnative, ...), ASBroadcaster and
// Error.

#include <cmath>
#include <limits>

#include "swf/avm1/builtins.h"
#include "swf/avm1/number_format.h"
#include "swf/avm1/text_encoding.h"
#include "swf/avm1/vm_internals.h"

namespace swf::avm1 {

namespace {

Value globalEscape(Vm& vm, const CallInfo& c)
{
    if (c.count() == 0) return Value();
    return Value(String(urlEscape(argString(vm, c, 0).view(), vm.version() >= 6)));
}

Value globalUnescape(Vm& vm, const CallInfo& c)
{
    if (c.count() == 0) return Value();
    return Value(String(urlUnescape(argString(vm, c, 0).view(), vm.version() >= 6)));
}

Value globalParseInt(Vm& vm, const CallInfo& c)
{
    if (c.count() == 0) return Value();
    int radix = 0;
    if (c.count() > 1) {
        double r = argNumber(vm, c, 1);
        if (std::isnan(r)) return Value(std::nan(""));
        r = std::trunc(r);
        if (r < 2 || r > 36) return Value(std::nan(""));
        radix = static_cast<int>(r);
    }
    return Value(parseIntPrefix(argString(vm, c, 0).view(), radix));
}

Value globalParseFloat(Vm& vm, const CallInfo& c)
{
    if (c.count() == 0) return Value();
    return Value(parseFloatPrefix(argString(vm, c, 0).view()));
}

Value globalIsNaN(Vm& vm, const CallInfo& c) { return Value(std::isnan(argNumber(vm, c, 0))); }

// Without an argument there is no number to test: isFinite() is false in every version,
// although a passed undefined converts to 0 before SWF 7.

Value globalIsFinite(Vm& vm, const CallInfo& c) { return Value(c.count() > 0 && std::isfinite(argNumber(vm, c, 0))); }

// setInterval(function, ms, args...) or setInterval(object, "method", ms, args...).
Value startTimer(Vm& vm, const CallInfo& c, bool repeat)
{
    if (c.count() < 2) return Value();
    auto* fn = dynamic_cast<FunctionObject*>(c.arg(0).asObject());
    if (fn) {
        std::vector<Value> args(c.args.begin() + 2, c.args.end());
        return Value(static_cast<double>(vm.addTimer(Value(fn), nullptr, String(), argNumber(vm, c, 1), std::move(args), repeat)));
    }
    Object* obj = c.arg(0).asObject();
    if (!obj || c.count() < 3) return Value();
    String method = argString(vm, c, 1);
    std::vector<Value> args(c.args.begin() + 3, c.args.end());
    return Value(static_cast<double>(vm.addTimer(Value(), obj, method, argNumber(vm, c, 2), std::move(args), repeat)));
}

Value globalSetInterval(Vm& vm, const CallInfo& c) { return startTimer(vm, c, true); }
Value globalSetTimeout(Vm& vm, const CallInfo& c) { return startTimer(vm, c, false); }

Value globalClearInterval(Vm& vm, const CallInfo& c)
{
    double id = argNumber(vm, c, 0);
    if (std::isfinite(id)) vm.clearTimer(toClampedInt(id));
    return Value();
}

Value globalASnative(Vm& vm, const CallInfo& c)
{
    double table = argNumber(vm, c, 0), index = argNumber(vm, c, 1);
    if (!std::isfinite(table) || !std::isfinite(index)) return Value();
    return vm.nativeFunction(toClampedInt(table), toClampedInt(index));
}

// ASSetNative(object, table, "name1,name2,...", firstIndex): object[name_i] = ASnative(table,
// firstIndex + i). A leading digit on a name restricts it to SWF 6, 7, 8 or 9 and later.
Value globalASSetNative(Vm& vm, const CallInfo& c)
{
    Object* o = c.arg(0).asObject();
    if (!o || c.count() < 3) return Value();
    int table = toClampedInt(argNumber(vm, c, 1));
    int index = c.count() > 3 ? toClampedInt(argNumber(vm, c, 3)) : 0;
    std::u16string names = argString(vm, c, 2).str();
    std::size_t start = 0;
    while (start < names.size()) {
        std::size_t comma = names.find(u',', start);
        if (comma == std::u16string::npos) comma = names.size();
        std::u16string name = names.substr(start, comma - start);
        start = comma + 1;
        std::uint16_t flags = PropFlag::Hidden;
        if (!name.empty() && name[0] >= u'6' && name[0] <= u'9') {
            static constexpr std::uint16_t kVersionFlag[] = {PropFlag::OnlySwf6Up, PropFlag::OnlySwf7Up,
                                                             PropFlag::OnlySwf8Up, PropFlag::OnlySwf9Up};
            flags |= kVersionFlag[name[0] - u'6'];
            name.erase(0, 1);
        }
        if (!name.empty()) o->define(String(name), vm.nativeFunction(table, index), flags);
        if (index < 2147483647) ++index;
    }
    return Value();
}

Value globalUpdateAfterEvent(Vm&, const CallInfo&) { return Value(); }

// ASnative(2, 0): whether the script function running now was called with `new`.
Value nativeIsConstructing(Vm& vm, const CallInfo&)
{
    Vm::Frame* f = vm.internals().currentFrame();
    return Value(f && f->constructing);
}

// --- ASBroadcaster ---

Value broadcasterInitialize(Vm& vm, const CallInfo& c)
{
    Object* o = c.arg(0).asObject();
    if (!o) return Value();
    Object* bc = vm.builtins().asBroadcaster;
    for (const char* name : {"addListener", "removeListener", "broadcastMessage"}) {
        o->define(name, vm.getMember(bc, String(name)), PropFlag::DontEnum);
    }
    o->define(vm.internals().names.listeners, Value(vm.newArray()), PropFlag::DontEnum);
    return Value();
}

ArrayObject* listenersOf(Vm& vm, Object* o)
{
    if (!o) return nullptr;
    return dynamic_cast<ArrayObject*>(vm.getMember(o, vm.internals().names.listeners).asObject());
}

Value broadcasterAddListener(Vm& vm, const CallInfo& c)
{
    ArrayObject* list = listenersOf(vm, c.thisObj);
    if (!list) return Value(false);
    std::vector<Value> values = list->values();
    for (const Value& v : values) {
        if (v.isObject() && v.asObject() == c.arg(0).asObject()) return Value(true);
    }
    list->push(c.arg(0));
    return Value(true);
}

Value broadcasterRemoveListener(Vm& vm, const CallInfo& c)
{
    ArrayObject* list = listenersOf(vm, c.thisObj);
    if (!list) return Value(false);
    std::vector<Value> values = list->values();
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i].isObject() && values[i].asObject() == c.arg(0).asObject()) {
            values.erase(values.begin() + static_cast<std::ptrdiff_t>(i));
            list->assign(std::move(values));
            return Value(true);
        }
    }
    return Value(false);
}

Value broadcasterBroadcastMessage(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj || c.count() == 0) return Value();
    std::span<const Value> args = c.args.subspan(1);
    vm.broadcast(c.thisObj, argString(vm, c, 0), args);
    return Value();
}

// --- Error ---

Value errorConstructor(Vm& vm, const CallInfo& c)
{
    Object* o = c.isConstruct && c.thisObj ? c.thisObj : vm.heap().make<Object>(vm.builtins().errorProto);
    if (c.count() > 0 && !c.arg(0).isUndefined()) vm.setMember(o, String("message"), c.arg(0));
    return Value(o);
}

Value errorToString(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj) return Value();
    return Value(vm.toString(vm.getMember(c.thisObj, String("message"))));
}

}  // namespace

void installGlobalFunctions(Vm& vm, Object* global)
{
    struct {
        const char* name;
        NativeFunction fn;
    } functions[] = {
        {"escape", globalEscape},
        {"unescape", globalUnescape},
        {"parseInt", globalParseInt},
        {"parseFloat", globalParseFloat},
        {"isNaN", globalIsNaN},
        {"isFinite", globalIsFinite},
        {"setInterval", globalSetInterval},
        {"clearInterval", globalClearInterval},
        {"ASnative", globalASnative},
        {"ASSetNative", globalASSetNative},
        {"updateAfterEvent", globalUpdateAfterEvent},
    };
    for (auto& f : functions) vm.defineMethod(global, f.name, f.fn);
    vm.defineMethod(global, "setTimeout", globalSetTimeout, PropFlag::Hidden);
    vm.defineMethod(global, "clearTimeout", globalClearInterval, PropFlag::Hidden | PropFlag::OnlySwf8Up);
    global->define("NaN", vm.freshNaN());
    global->define("Infinity", Value(std::numeric_limits<double>::infinity()));
    vm.registerNative(2, 0, nativeIsConstructing);
    vm.registerNative(100, 0, globalEscape);
    vm.registerNative(100, 1, globalUnescape);
    vm.registerNative(100, 2, globalParseInt);
    vm.registerNative(100, 3, globalParseFloat);
}

void installBroadcaster(Vm& vm, Object* global)
{
    auto& b = vm.builtins();
    b.asBroadcaster = vm.newConstructor(broadcasterInitialize, nullptr);
    global->define("AsBroadcaster", Value(b.asBroadcaster));
    vm.defineMethod(b.asBroadcaster, "initialize", broadcasterInitialize);
    vm.defineMethod(b.asBroadcaster, "addListener", broadcasterAddListener);
    vm.defineMethod(b.asBroadcaster, "removeListener", broadcasterRemoveListener);
    vm.defineMethod(b.asBroadcaster, "broadcastMessage", broadcasterBroadcastMessage);
}

void installError(Vm& vm, Object* global)
{
    auto& b = vm.builtins();
    b.errorProto = vm.heap().make<Object>(b.objectProto);
    FunctionObject* ctor = vm.newConstructor(errorConstructor, b.errorProto);
    global->define("Error", Value(ctor));
    b.errorProto->define("message", Value("Error"));
    b.errorProto->define("name", Value("Error"));
    vm.defineMethod(b.errorProto, "toString", errorToString);
}

}  // namespace swf::avm1
