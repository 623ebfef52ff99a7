// LoadVars, SharedObject, MovieClipLoader, ContextMenu and the classes a local desktop player
// has without the device behind them (LocalConnection, Camera, Microphone, NetConnection,
// NetStream, PrintJob, Accessibility): they exist, report "not available" and never fail.

#include <cmath>

#include "swf/avm1/builtins.h"
#include "swf/avm1/load_progress.h"
#include "swf/avm1/text_encoding.h"
#include "swf/avm1/vm_internals.h"

namespace swf::avm1 {

namespace {

Value returnThis(Vm&, const CallInfo& c) { return c.thisObj ? Value(c.thisObj) : Value(); }
Value returnFalse(Vm&, const CallInfo&) { return Value(false); }
Value returnTrue(Vm&, const CallInfo&) { return Value(true); }
Value returnNull(Vm&, const CallInfo&) { return Value::null(); }
Value returnNothing(Vm&, const CallInfo&) { return Value(); }
Value returnEmptyArray(Vm& vm, const CallInfo&) { return Value(vm.newArray()); }

HttpMethod methodOf(Vm& vm, const Value& v, HttpMethod otherwise)
{
    if (v.isUndefined()) return otherwise;
    String m = vm.toString(v);
    if (m.equalsIgnoreCase(String("GET"))) return HttpMethod::Get;
    return HttpMethod::Post;
}

// --- LoadVars ---

String encodeVariables(Vm& vm, Object* o)
{
    std::u16string out;
    std::vector<String> names = vm.enumerableNames(o);
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        Value v = vm.getMember(o, *it);
        if (v.asObject() && v.asObject()->kind() == ObjectKind::Function) continue;
        if (!out.empty()) out += u'&';
        out += urlEscape(it->view(), vm.version() >= 6);
        out += u'=';
        out += urlEscape(vm.toString(v).view(), vm.version() >= 6);
    }
    return String(std::move(out));
}

Value loadVarsToString(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj) return Value();
    return Value(encodeVariables(vm, c.thisObj));
}

// decode("a=1&b=2"): sets a and b; '+' stands for a space. decode() with no text returns false.
Value loadVarsDecode(Vm& vm, const CallInfo& c)
{
    if (c.count() == 0) return Value(false);
    if (!c.thisObj) return Value();
    for (auto& [name, value] : decodeFormVariables(argString(vm, c, 0).view(), vm.version() >= 6))
        vm.setMember(c.thisObj, String(std::move(name)), Value(String(std::move(value))));
    return Value();
}

Value loadVarsLoad(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj || c.count() == 0) return Value(false);
    UrlRequest r;
    r.kind = UrlRequest::Kind::LoadVars;
    r.url = argString(vm, c, 0).str();
    r.scriptObject = c.thisObj;
    markLoadStarted(vm, c.thisObj);
    vm.host().urlRequest(r);
    return Value(true);
}

Value loadVarsSend(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj || c.count() == 0) return Value(false);
    UrlRequest r;
    r.kind = UrlRequest::Kind::OpenUrl;
    r.url = argString(vm, c, 0).str();
    r.window = c.count() > 1 ? argString(vm, c, 1).str() : std::u16string();
    r.method = methodOf(vm, c.arg(2), HttpMethod::Post);
    r.variables = encodeVariables(vm, c.thisObj).str();
    vm.host().urlRequest(r);
    return Value(true);
}

Value loadVarsSendAndLoad(Vm& vm, const CallInfo& c)
{
    Object* target = c.arg(1).asObject();
    if (!c.thisObj || !target) return Value(false);
    UrlRequest r;
    r.kind = UrlRequest::Kind::LoadVars;
    r.url = argString(vm, c, 0).str();
    r.method = methodOf(vm, c.arg(2), HttpMethod::Post);
    r.variables = encodeVariables(vm, c.thisObj).str();
    r.scriptObject = target;
    markLoadStarted(vm, target);
    vm.host().urlRequest(r);
    return Value(true);
}

Value loadVarsOnData(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj) return Value();
    if (c.arg(0).isUndefined()) {
        Value arg(false);
        vm.invokeMethod(c.thisObj, String("onLoad"), std::span<const Value>(&arg, 1));
        return Value();
    }
    Value text = c.arg(0);
    vm.invokeMethod(c.thisObj, String("decode"), std::span<const Value>(&text, 1));
    c.thisObj->define(String("loaded"), Value(true), PropFlag::DontEnum);
    Value arg(true);
    vm.invokeMethod(c.thisObj, String("onLoad"), std::span<const Value>(&arg, 1));
    return Value();
}

// --- SharedObject (kept for the session) ---

Value sharedObjectGetLocal(Vm& vm, const CallInfo& c)
{
    if (c.count() == 0) return Value::null();
    std::u16string key = argString(vm, c, 0).str() + u"|" + (c.count() > 1 ? argString(vm, c, 1).str() : std::u16string());
    auto& store = vm.internals().sharedObjects;
    auto it = store.find(key);
    if (it != store.end()) return Value(it->second);
    Object* so = vm.heap().make<Object>(vm.getMember(vm.getMember(vm.global(), String("SharedObject")).asObject(),
                                                     String("prototype"))
                                            .asObject());
    so->define("data", Value(vm.newObject()), PropFlag::DontDelete);
    store[key] = so;
    return Value(so);
}

Value sharedObjectClear(Vm& vm, const CallInfo& c)
{
    if (c.thisObj) c.thisObj->define("data", Value(vm.newObject()), PropFlag::DontDelete);
    return Value();
}

Value sharedObjectGetSize(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj) return Value(0.0);
    Object* data = vm.getMember(c.thisObj, String("data")).asObject();
    if (!data) return Value(0.0);
    return Value(static_cast<double>(encodeVariables(vm, data).size()));
}

// --- MovieClipLoader ---

Value loaderLoadClip(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj || c.count() < 2) return Value(false);
    UrlRequest r;
    r.kind = UrlRequest::Kind::LoadMovie;
    r.url = argString(vm, c, 0).str();
    r.scriptObject = c.thisObj;
    const Value& target = c.arg(1);
    if (target.isNumber()) {
        r.level = toClampedInt(target.asNumber());
    } else {
        Object* t = target.asObject();
        if (!t) t = vm.resolveTarget(vm.levelObject(0), vm.toString(target));
        auto node = vm.displayNodeOf(t);
        if (!node) return Value(false);
        r.targetNode = node.get();
        vm.host().urlRequest(r);
        return Value(true);
    }
    vm.host().urlRequest(r);
    return Value(true);
}

Value loaderUnloadClip(Vm& vm, const CallInfo& c)
{
    UrlRequest r;
    r.kind = UrlRequest::Kind::UnloadMovie;
    const Value& target = c.arg(0);
    if (target.isNumber()) {
        r.level = toClampedInt(target.asNumber());
        vm.host().urlRequest(r);
        return Value(true);
    }
    Object* t = target.asObject();
    if (!t) t = vm.resolveTarget(vm.levelObject(0), vm.toString(target));
    auto node = vm.displayNodeOf(t);
    if (!node) return Value(false);
    r.targetNode = node.get();
    vm.host().urlRequest(r);
    return Value(true);
}

Value loaderGetProgress(Vm& vm, const CallInfo& c)
{
    Object* o = vm.newObject();
    auto node = vm.displayNodeOf(c.arg(0).asObject());
    vm.setMember(o, String("bytesLoaded"), node ? Value(static_cast<double>(node->bytesLoaded())) : Value());
    vm.setMember(o, String("bytesTotal"), node ? Value(static_cast<double>(node->bytesTotal())) : Value());
    return Value(o);
}

Value loaderConstructor(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj) return Value();
    c.thisObj->define(vm.internals().names.listeners, Value(vm.newArray({Value(c.thisObj)})), PropFlag::DontEnum);
    return Value(c.thisObj);
}

// --- ContextMenu ---

Object* builtInItems(Vm& vm, bool on)
{
    Object* o = vm.newObject();
    for (const char* name : {"forward_back", "loop", "play", "print", "quality", "rewind", "save", "zoom"}) {
        vm.setMember(o, String(name), Value(on));
    }
    return o;
}

Value contextMenuConstructor(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj) return Value();
    vm.setMember(c.thisObj, String("onSelect"), c.arg(0));
    vm.setMember(c.thisObj, String("builtInItems"), Value(builtInItems(vm, true)));
    vm.setMember(c.thisObj, String("customItems"), Value(vm.newArray()));
    return Value(c.thisObj);
}

Value contextMenuHideBuiltIns(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj) return Value();
    Object* items = vm.getMember(c.thisObj, String("builtInItems")).asObject();
    if (items) {
        for (const String& n : vm.enumerableNames(items)) vm.setMember(items, n, Value(false));
    }
    return Value();
}

Value contextMenuCopy(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj) return Value();
    Value ctor = vm.getMember(c.thisObj, vm.internals().names.constructor);
    Value onSelect = vm.getMember(c.thisObj, String("onSelect"));
    Value copy = vm.construct(ctor, std::span<const Value>(&onSelect, 1));
    Object* o = copy.asObject();
    if (!o) return copy;
    for (const char* field : {"builtInItems", "customItems"}) {
        Object* src = vm.getMember(c.thisObj, String(field)).asObject();
        if (!src) continue;
        Object* dst = vm.getMember(o, String(field)).asObject();
        if (!dst) continue;
        if (auto* a = dynamic_cast<ArrayObject*>(src)) {
            static_cast<ArrayObject*>(dst)->assign(a->values());
        } else {
            for (const String& n : vm.enumerableNames(src)) vm.setMember(dst, n, vm.getMember(src, n));
        }
    }
    return copy;
}

Value contextMenuItemConstructor(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj) return Value();
    vm.setMember(c.thisObj, String("caption"), c.arg(0));
    vm.setMember(c.thisObj, String("onSelect"), c.arg(1));
    vm.setMember(c.thisObj, String("separatorBefore"), Value(vm.toBoolean(c.arg(2))));
    vm.setMember(c.thisObj, String("enabled"), Value(c.count() > 3 ? vm.toBoolean(c.arg(3)) : true));
    vm.setMember(c.thisObj, String("visible"), Value(c.count() > 4 ? vm.toBoolean(c.arg(4)) : true));
    return Value(c.thisObj);
}

Value contextMenuItemCopy(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj) return Value();
    Value args[5];
    const char* fields[5] = {"caption", "onSelect", "separatorBefore", "enabled", "visible"};
    for (int i = 0; i < 5; ++i) args[i] = vm.getMember(c.thisObj, String(fields[i]));
    return vm.construct(vm.getMember(c.thisObj, vm.internals().names.constructor), args);
}

// --- NetConnection (local streams only: connect(null)) ---

Value netConnect(Vm& vm, const CallInfo& c)
{
    if (!c.thisObj) return Value(false);
    bool local = c.arg(0).isNull();
    vm.setMember(c.thisObj, String("isConnected"), Value(local));
    return Value(local);
}

Value localConnectionDomain(Vm&, const CallInfo&) { return Value("localhost"); }

FunctionObject* defineClass(Vm& vm, Object* where, const char* name, NativeFunction ctor, std::uint16_t flags = PropFlag::Hidden)
{
    Object* proto = vm.newObject();
    FunctionObject* f = vm.newConstructor(ctor, proto);
    where->define(name, Value(f), flags);
    return f;
}

Object* prototypeOf(Vm& vm, FunctionObject* f) { return vm.getMember(f, String("prototype")).asObject(); }

}  // namespace

void installLoadVarsAndMisc(Vm& vm, Object* global)
{
    auto methods = [&](Object* target, std::initializer_list<std::pair<const char*, NativeFunction>> list) {
        for (auto& [name, fn] : list) vm.defineMethod(target, name, fn);
    };

    // A class of SWF 6: SWF 5 movies see the constructor, but none of its methods.
    FunctionObject* loadVars = defineClass(vm, global, "LoadVars", returnThis);
    Object* lp = prototypeOf(vm, loadVars);
    const std::pair<const char*, NativeFunction> loadVarsMethods[] = {
        {"load", loadVarsLoad},         {"send", loadVarsSend},           {"sendAndLoad", loadVarsSendAndLoad},
        {"decode", loadVarsDecode},     {"toString", loadVarsToString},   {"onData", loadVarsOnData},
        {"onLoad", returnNothing},      {"getBytesLoaded", loadBytesLoaded}, {"getBytesTotal", loadBytesTotal},
        {"addRequestHeader", returnNothing}};
    for (const auto& [name, fn] : loadVarsMethods)
        vm.defineMethod(lp, name, fn, PropFlag::Hidden | PropFlag::OnlySwf6Up);
    lp->define("contentType", Value("application/x-www-form-urlencoded"), PropFlag::DontEnum | PropFlag::OnlySwf6Up);

    FunctionObject* shared = defineClass(vm, global, "SharedObject", returnThis);
    vm.defineMethod(shared, "getLocal", sharedObjectGetLocal);
    Object* sp = prototypeOf(vm, shared);
    methods(sp, {{"flush", returnTrue}, {"clear", sharedObjectClear}, {"getSize", sharedObjectGetSize}, {"close", returnNothing}});

    FunctionObject* loader = defineClass(vm, global, "MovieClipLoader", loaderConstructor);
    Object* mp = prototypeOf(vm, loader);
    methods(mp, {{"loadClip", loaderLoadClip}, {"unloadClip", loaderUnloadClip}, {"getProgress", loaderGetProgress}});
    for (const char* name : {"addListener", "removeListener", "broadcastMessage"}) {
        mp->define(name, vm.getMember(vm.builtins().asBroadcaster, String(name)), PropFlag::Hidden);
    }

    FunctionObject* menu = defineClass(vm, global, "ContextMenu", contextMenuConstructor);
    methods(prototypeOf(vm, menu), {{"hideBuiltInItems", contextMenuHideBuiltIns}, {"copy", contextMenuCopy}});
    FunctionObject* menuItem =
        defineClass(vm, global, "ContextMenuItem", contextMenuItemConstructor);
    methods(prototypeOf(vm, menuItem), {{"copy", contextMenuItemCopy}});

    FunctionObject* lc = defineClass(vm, global, "LocalConnection", returnThis);
    methods(prototypeOf(vm, lc), {{"connect", returnFalse}, {"send", returnFalse}, {"close", returnNothing},
                                  {"domain", localConnectionDomain}});

    // No capture devices: get() finds none.
    FunctionObject* camera = defineClass(vm, global, "Camera", returnThis);
    vm.defineMethod(camera, "get", returnNull);
    vm.defineAccessor(camera, "names", returnEmptyArray, returnNothing);
    // Settings of a device that get() never hands out: accepted and ignored.
    methods(prototypeOf(vm, camera), {{"setMode", returnNothing}, {"setMotionLevel", returnNothing},
                                      {"setQuality", returnNothing}, {"setKeyFrameInterval", returnNothing},
                                      {"setLoopback", returnNothing}});
    FunctionObject* microphone = defineClass(vm, global, "Microphone", returnThis);
    vm.defineMethod(microphone, "get", returnNull);
    vm.defineAccessor(microphone, "names", returnEmptyArray, returnNothing);
    methods(prototypeOf(vm, microphone), {{"setGain", returnNothing}, {"setRate", returnNothing},
                                          {"setSilenceLevel", returnNothing}, {"setUseEchoSuppression", returnNothing}});

    FunctionObject* netConnection = defineClass(vm, global, "NetConnection", returnThis);
    methods(prototypeOf(vm, netConnection), {{"connect", netConnect}, {"close", returnNothing}});
    FunctionObject* netStream = defineClass(vm, global, "NetStream", returnThis);
    methods(prototypeOf(vm, netStream), {{"play", returnNothing}, {"pause", returnNothing}, {"close", returnNothing},
                                         {"seek", returnNothing}, {"setBufferTime", returnNothing}});

    FunctionObject* printJob = defineClass(vm, global, "PrintJob", returnThis);
    methods(prototypeOf(vm, printJob), {{"start", returnFalse}, {"addPage", returnFalse}, {"send", returnNothing}});

    FunctionObject* socket = defineClass(vm, global, "XMLSocket", returnThis);
    methods(prototypeOf(vm, socket), {{"connect", returnFalse}, {"send", returnNothing}, {"close", returnNothing}});
    FunctionObject* video = defineClass(vm, global, "Video", returnThis);
    methods(prototypeOf(vm, video), {{"attachVideo", returnNothing}, {"clear", returnNothing}});

    Object* accessibility = vm.newObject();
    global->define("Accessibility", Value(accessibility));
    methods(accessibility, {{"isActive", returnFalse}, {"updateProperties", returnNothing}});
}

}  // namespace swf::avm1
