#include "swf/avm1/vm.h"

#include <pthread.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <stdexcept>

#include "swf/avm1/builtins.h"
#include "swf/avm1/display_object.h"
#include "swf/avm1/interpreter.h"
#include "swf/avm1/native_construct.h"
#include "swf/avm1/vm_internals.h"

namespace swf::avm1 {

std::uintptr_t currentStackAddress()
{
    return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
}

namespace {

// The lowest address of the calling thread's stack, or 0 when the system does not say.
std::uintptr_t stackBottomOfThisThread()
{
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) != 0) return 0;
    void* low = nullptr;
    std::size_t size = 0;
    int r = pthread_attr_getstack(&attr, &low, &size);
    pthread_attr_destroy(&attr);
    return r == 0 ? reinterpret_cast<std::uintptr_t>(low) : 0;
}

}  // namespace

std::size_t nativeStackRemaining()
{
    // A thread's stack stays where it is while the thread runs. Asking for it reads
    // /proc/self/maps on the main thread, which takes milliseconds in a large process, and
    // scripts are entered hundreds of times a second: so each thread asks once.
    thread_local const std::uintptr_t bottom = stackBottomOfThisThread();
    if (bottom == 0) return std::size_t{1} << 20;
    std::uintptr_t here = currentStackAddress();
    return here > bottom ? here - bottom : 0;
}

namespace {
const char* reasonText(AbortReason r)
{
    switch (r) {
    case AbortReason::Timeout: return "script ran too long and was stopped";
    case AbortReason::Recursion: return "recursion limit reached; script stopped";
    case AbortReason::StackOverflow: return "stack limit reached; script stopped";
    case AbortReason::HeapExhausted: return "script memory limit reached; script stopped";
    case AbortReason::MalformedCode: return "malformed action code; script stopped";
    }
    return "script stopped";
}
}  // namespace

Vm::Vm(DisplayHost& host, VmOptions options)
    : host_(host),
      options_(std::move(options)),
      random_(options_.randomStart ? options_.randomStart
                                  : static_cast<std::uint32_t>(
                                        std::chrono::steady_clock::now().time_since_epoch().count())),
      version_(options_.rootSwfVersion),
      internals_(std::make_unique<Internals>())
{
    installBuiltins();
}

Vm::~Vm() = default;

void Vm::warn(const std::string& message)
{
    if (warn_) warn_(message);
}

// Runs `body` as an entry from host code: script exceptions and aborts end here and never
// travel through the host's frames. An abort inside a nested entry is remembered so that the
// outer script stops too once control returns to it.
template <class F>
bool Vm::enterFromHost(F&& body, const StoppableCode& code)
{
    Internals& in = *internals_;
    if (in.pendingAbort) return false;
    const auto stoppedBefore = [&] {
        return std::any_of(in.timedOut.begin(), in.timedOut.end(),
                           [&](const StoppableCode& c) { return c.start == code.start; });
    };
    if (code.start && stoppedBefore()) return false;
    // A script stopped at the top level for its time: its code stays stopped.
    const auto rememberIfTimedOut = [&](const ScriptAbort& a) {
        if (a.reason != AbortReason::Timeout || !code.start || stoppedBefore()) return;
        in.timedOut.push_back(code);
        warn("a script that ran too long will not run again");
    };
    if (in.entryDepth == 0) {
        in.nativeStackBase = currentStackAddress();
        in.nativeStackLimit = options_.limits.maxNativeStackBytes;
        if (in.nativeStackLimit == 0) {
            // Leave a quarter (at least 256 KiB) of what is left for the host and the unwinding.
            std::size_t left = nativeStackRemaining();
            std::size_t margin = std::max<std::size_t>(left / 4, std::size_t{256} << 10);
            in.nativeStackLimit = left > margin ? left - margin : 0;
        }
    }
    ++in.entryDepth;
    int savedVersion = version_;
    std::size_t savedStack = in.stack.size();
    bool ok = true;
    try {
        body();
    } catch (const ScriptThrow& t) {
        std::string text;
        try {
            text = toString(t.value).toUtf8();
        } catch (...) {
            text = "(exception value)";
        }
        warn("uncaught script exception: " + text);
    } catch (const ScriptAbort& a) {
        ok = false;
        if (in.entryDepth > 1) {
            in.pendingAbort = a;
        } else {
            warn(std::string(reasonText(a.reason)) + (a.detail.empty() ? "" : ": " + a.detail));
            // Only the script that ran too long stops: the ones after it in this frame get an
            // allowance of their own.
            if (a.reason == AbortReason::Timeout) {
                rememberIfTimedOut(a);
                beginFrame();
            }
        }
    } catch (const std::bad_alloc&) {
        // A script asked for more memory than there is: stop it like a limit.
        ok = false;
        ScriptAbort a{AbortReason::HeapExhausted, "out of memory"};
        if (in.entryDepth > 1) {
            in.pendingAbort = a;
        } else {
            warn(reasonText(a.reason));
        }
    } catch (const std::length_error&) {
        ok = false;
        ScriptAbort a{AbortReason::HeapExhausted, "data too long"};
        if (in.entryDepth > 1) {
            in.pendingAbort = a;
        } else {
            warn(reasonText(a.reason));
        }
    }
    version_ = savedVersion;
    if (in.stack.size() > savedStack) in.stack.resize(savedStack);
    if (--in.entryDepth == 0) {
        if (in.pendingAbort) {
            warn(std::string(reasonText(in.pendingAbort->reason)) +
                 (in.pendingAbort->detail.empty() ? "" : ": " + in.pendingAbort->detail));
            rememberIfTimedOut(*in.pendingAbort);
            in.pendingAbort.reset();
            ok = false;
        }
        in.stack.clear();
    }
    return ok;
}

bool Vm::runActions(const ActionBlock& code, Object* timeline)
{
    return enterFromHost([&] { Interpreter(*this).runBlock(code, timeline); }, codeOf(code));
}

namespace {
// The function a method call would reach, found without running getters: it only names the code
// for the time limit; the call itself looks the method up with the full rules.
Value storedMethod(Object* obj, const String& name, bool caseSensitive)
{
    int links = 0;
    for (Object* o = obj; o && links < limits::kMaxPrototypeDepth; o = o->proto(), ++links) {
        if (Property* p = o->findOwn(name, caseSensitive)) return p->isAccessor() ? Value() : p->value;
    }
    return Value();
}
}  // namespace

Vm::StoppableCode Vm::codeOf(const ActionBlock& block, std::size_t offset)
{
    if (offset > block.bytes.size()) return {};
    return {block.owner, block.bytes.data() + offset};
}

Vm::StoppableCode Vm::codeOf(const Value& function) const
{
    const Object* o = function.asObject();
    if (!o || o->kind() != ObjectKind::Function) return {};
    const auto* f = static_cast<const FunctionObject*>(o);
    return f->script ? codeOf(f->script->code, f->script->bodyStart) : StoppableCode{};
}

Value Vm::callMethod(Object* obj, const String& name, std::span<const Value> args)
{
    Value result;
    if (!obj) return result;
    enterFromHost([&] { result = invokeMethod(obj, name, args); }, codeOf(storedMethod(obj, name, caseSensitive())));
    return result;
}

Value Vm::callFunction(const Value& fn, Object* thisObj, std::span<const Value> args)
{
    Value result;
    enterFromHost([&] { result = invoke(fn, thisObj, args); }, codeOf(fn));
    return result;
}

bool Vm::hasMethod(Object* obj, const String& name)
{
    if (!obj) return false;
    bool found = false;
    enterFromHost([&] {
        Value v = getMember(obj, name);
        found = v.asObject() && v.asObject()->kind() == ObjectKind::Function;
    });
    return found;
}

void Vm::broadcastMessage(Object* source, const String& name, std::span<const Value> args)
{
    if (!source) return;
    enterFromHost([&] { broadcast(source, name, args); });
}

void Vm::broadcast(Object* source, const String& name, std::span<const Value> args)
{
    auto* list = dynamic_cast<ArrayObject*>(getMember(source, internals_->names.listeners).asObject());
    if (!list) return;
    // Listeners added or removed by a handler take effect from the next broadcast.
    std::vector<Value> listeners = list->values();
    for (const Value& l : listeners) {
        if (Object* o = l.asObject()) invokeMethod(o, name, args);
    }
}

Value Vm::invoke(const Value& fn, Object* thisObj, std::span<const Value> args)
{
    auto* f = dynamic_cast<FunctionObject*>(fn.asObject());
    if (!f) return Value();
    return invokeFunction(f, thisObj, args, nullptr, false);
}

Value Vm::invokeMethod(Object* obj, const String& name, std::span<const Value> args)
{
    if (!obj) return Value();
    Object* holder = nullptr;
    Value fn = findMember(obj, name, holder);
    auto* f = dynamic_cast<FunctionObject*>(fn.asObject());
    if (!f) return Value();
    Object* thisObj = obj;
    if (auto* s = dynamic_cast<SuperObject*>(obj)) thisObj = s->thisObj;
    return invokeFunction(f, thisObj, args, holder, false);
}

namespace {

CallInfo nativeCall(FunctionObject* fn, Object* thisObj, std::span<const Value> args, bool isConstruct, int version)
{
    CallInfo call;
    call.thisObj = thisObj;
    call.args = args;
    call.callee = fn;
    call.isConstruct = isConstruct;
    call.swfVersion = version;
    return call;
}

}  // namespace

Value Vm::invokeFunction(FunctionObject* fn, Object* thisObj, std::span<const Value> args,
                         Object* homeProto, bool isConstruct)
{
    checkNativeStack();
    if (fn->native) {
        try {
            return fn->native(*this, nativeCall(fn, thisObj, args, isConstruct, version_));
        } catch (const ConstructionRefused&) {
            // Only `new` (Vm::construct) turns a refusal into undefined; a super() call or a
            // registered class's constructor just gets undefined back.
            return Value();
        }
    }
    if (!fn->script) return Value();
    return Interpreter(*this).callScript(fn, thisObj, args, homeProto, isConstruct);
}

String Vm::concat(const String& a, const String& b)
{
    if (a.size() + b.size() > options_.limits.maxStringLength) {
        abort(AbortReason::HeapExhausted, "string longer than " + std::to_string(options_.limits.maxStringLength));
    }
    if (b.empty()) return a;
    if (a.empty()) return b;
    std::u16string s;
    s.reserve(a.size() + b.size());
    s.append(a.view());
    s.append(b.view());
    return String(std::move(s));
}

void Vm::checkNativeStack()
{
    std::uintptr_t base = internals_->nativeStackBase;
    std::uintptr_t here = currentStackAddress();
    if (base != 0 && base > here && base - here > internals_->nativeStackLimit) {
        abort(AbortReason::StackOverflow, "calls or blocks nested too deeply");
    }
}

Value Vm::construct(const Value& ctorValue, std::span<const Value> args)
{
    auto* ctor = dynamic_cast<FunctionObject*>(ctorValue.asObject());
    if (!ctor) return Value();
    const Names& n = internals_->names;
    Object* proto = getMember(ctor, n.prototype).asObject();
    Object* obj = ctor->allocator ? ctor->allocator(*this, proto) : heap_.make<Object>(proto);
    obj->define(n.constructorHidden, Value(ctor), PropFlag::DontEnum);
    // Objects of SWF 5 and 6 get an own `constructor`; later ones inherit it from the prototype.
    if (version_ <= 6) obj->define(n.constructor, Value(ctor), PropFlag::DontEnum);
    if (ctor->native) {
        checkNativeStack();
        Value r;
        try {
            r = ctor->native(*this, nativeCall(ctor, obj, args, true, version_));
        } catch (const ConstructionRefused&) {
            return Value();
        }
        return r.isObject() ? r : Value(obj);
    }
    invokeFunction(ctor, obj, args, proto, true);
    return Value(obj);
}

void Vm::throwValue(const Value& v) { throw ScriptThrow{v}; }

void Vm::abort(AbortReason reason, const std::string& detail) { throw ScriptAbort{reason, detail}; }

// --- NaN identities ---

Value Vm::freshNaN()
{
    std::uint64_t serial = ++internals_->nanSerial & 0x0007FFFFFFFFFFFFull;
    if (serial == 0) serial = 1;
    std::uint64_t bits = 0x7FF8000000000000ull | serial;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return Value(d);
}

bool Vm::isUntaggedNaN(double d)
{
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return std::isnan(d) && (bits & 0x0007FFFFFFFFFFFFull) == 0;
}

// --- Allocation helpers ---

Object* Vm::newObject() { return heap_.make<Object>(builtins_.objectProto); }

ArrayObject* Vm::newArray(std::vector<Value> values)
{
    auto* a = heap_.make<ArrayObject>(builtins_.arrayProto);
    a->assign(std::move(values));
    return a;
}

FunctionObject* Vm::newNative(NativeFunction fn, std::size_t /*length*/)
{
    auto* f = heap_.make<FunctionObject>(builtins_.functionProto, fn);
    // Function.prototype is not there for SWF 5 content, nor the link to it.
    f->protoSlot().flags |= PropFlag::OnlySwf6Up;
    return f;
}

FunctionObject* Vm::newConstructor(NativeFunction fn, Object* prototype, NativeAllocator allocator)
{
    auto* f = newNative(fn);
    f->allocator = allocator;
    if (prototype) {
        f->define(internals_->names.prototype, Value(prototype), PropFlag::Hidden);
        prototype->define(internals_->names.constructor, Value(f), PropFlag::Hidden);
    }
    return f;
}

FunctionObject* Vm::defineMethod(Object* target, const String& name, NativeFunction fn, std::uint16_t flags)
{
    auto* f = newNative(fn);
    target->define(name, Value(f), flags);
    return f;
}

void Vm::defineAccessor(Object* target, const String& name, NativeFunction getter,
                        NativeFunction setter, std::uint16_t flags)
{
    int i = target->properties().find(name, true);
    if (i < 0) i = target->properties().add(name, Value(), flags);
    Property& p = target->properties().at(i);
    p.getter = newNative(getter);
    p.setter = setter ? newNative(setter) : nullptr;
    p.value = Value();
    p.flags = flags;
}

Object* Vm::newPrimitiveObject(const Value& v)
{
    switch (v.type()) {
    case ValueType::Boolean:
        return heap_.make<PrimitiveObject>(builtins_.booleanProto, ObjectKind::Boolean, v);
    case ValueType::Number:
        return heap_.make<PrimitiveObject>(builtins_.numberProto, ObjectKind::Number, v);
    case ValueType::String: {
        auto* o = heap_.make<PrimitiveObject>(builtins_.stringProto, ObjectKind::String, v);
        o->define(internals_->names.length, Value(static_cast<double>(v.asString().size())),
                  PropFlag::Hidden);
        return o;
    }
    default:
        return nullptr;
    }
}

// --- Natives by number (ASnative) ---

void Vm::registerNative(int table, int index, NativeFunction fn)
{
    internals_->natives[{table, index}] = fn;
}

Value Vm::nativeFunction(int table, int index)
{
    auto key = std::make_pair(table, index);
    auto cached = internals_->nativeObjects.find(key);
    if (cached != internals_->nativeObjects.end()) return Value(cached->second);
    auto it = internals_->natives.find(key);
    // A table may register index -1 for the indices it does not have (Math reads its arguments
    // and answers NaN for any of them); tables without it give undefined.
    if (it == internals_->natives.end() && index >= 0) it = internals_->natives.find(std::make_pair(table, -1));
    if (it == internals_->natives.end()) return Value();
    auto* f = newNative(it->second);
    internals_->nativeObjects[key] = f;
    return Value(f);
}

// --- Classes registered for exported symbols ---

void Vm::registerClass(const String& exportName, FunctionObject* ctor)
{
    auto& list = internals_->registeredClasses;
    for (auto& [name, fn] : list) {
        if (name.equalsIgnoreCase(exportName)) {
            fn = ctor;
            return;
        }
    }
    list.emplace_back(exportName, ctor);
}

FunctionObject* Vm::registeredClass(const String& exportName)
{
    if (exportName.empty()) return nullptr;
    for (auto& [name, fn] : internals_->registeredClasses) {
        if (name.equalsIgnoreCase(exportName)) return fn;
    }
    return nullptr;
}

// --- Display objects ---

Object* Vm::createDisplayObject(const std::shared_ptr<DisplayNode>& node, const String& exportName)
{
    if (!node) return nullptr;
    Object* proto = builtins_.movieClipProto;
    if (node->kind() == DisplayKind::Button) proto = builtins_.buttonProto;
    if (node->kind() == DisplayKind::TextField) proto = builtins_.textFieldProto;
    if (FunctionObject* cls = registeredClass(exportName)) {
        if (Object* p = cls->properties().find(internals_->names.prototype, false) >= 0
                            ? getMember(cls, internals_->names.prototype).asObject()
                            : nullptr) {
            proto = p;
        }
    }
    auto* w = heap_.make<DisplayWrapper>(proto, node, node->kind());
    internals_->displayObjects.push_back(w);
    // A text field listens to itself (onChanged, onScroller reach its own handlers).
    if (node->kind() == DisplayKind::TextField) w->define(internals_->names.listeners, Value(newArray({Value(w)})), PropFlag::DontEnum);
    return w;
}

void Vm::initializeClip(Object* clip, Object* initObject, const String& exportName)
{
    if (!clip) return;
    enterFromHost([&] {
        if (initObject) {
            std::vector<std::pair<String, Value>> values;
            initObject->properties().forEach([&](const Property& p) {
                if (!(p.flags & PropFlag::DontEnum)) values.emplace_back(p.name, Value());
            });
            for (auto& [name, v] : values) setMember(clip, name, getMember(initObject, name));
        }
        if (FunctionObject* cls = registeredClass(exportName)) {
            clip->define(internals_->names.constructorHidden, Value(cls), PropFlag::DontEnum);
            if (version_ <= 5) clip->define(internals_->names.constructor, Value(cls), PropFlag::DontEnum);
            invokeFunction(cls, clip, {}, clip->proto(), true);
        }
    });
}

void Vm::detachDisplayObject(Object* obj, const String& finalPath)
{
    if (auto* w = dynamic_cast<DisplayWrapper*>(obj)) w->detach(finalPath);
}

std::shared_ptr<DisplayNode> Vm::displayNodeOf(const Object* obj)
{
    if (auto* w = dynamic_cast<const DisplayWrapper*>(obj)) return w->node();
    return nullptr;
}

Object* Vm::levelObject(int level)
{
    DisplayNode* n = host_.levelRoot(level);
    return n ? n->scriptObject() : nullptr;
}

// --- Variables from the host ---

Value Vm::getVariable(Object* base, const String& path)
{
    Value result;
    enterFromHost([&] { result = Interpreter(*this).getVariableFrom(base, path); });
    return result;
}

void Vm::setVariable(Object* base, const String& path, const Value& value)
{
    enterFromHost([&] { Interpreter(*this).setVariableFrom(base, path, value); });
}

// --- Frame budget and timers ---

void Vm::beginFrame()
{
    internals_->budgetUsed = 0;
    internals_->frameStart = std::chrono::steady_clock::now();
}

int Vm::addTimer(const Value& fn, Object* thisObj, const String& method, double intervalMs,
                 std::vector<Value> args, bool repeat)
{
    if (internals_->timers.size() >= options_.limits.maxTimers) {
        if (!internals_->timerLimitReported) {
            internals_->timerLimitReported = true;
            warn("timer limit reached (" + std::to_string(options_.limits.maxTimers) +
                 " waiting); further setInterval/setTimeout calls get no timer");
        }
        return 0;  // no timer has id 0: clearInterval(0) does nothing
    }
    TimerEntry t;
    t.id = internals_->nextTimerId++;
    t.function = fn;
    t.thisObj = thisObj;
    t.method = method;
    t.intervalMs = std::isfinite(intervalMs) && intervalMs > 0 ? intervalMs : 0;
    t.dueMs = host_.timerMs() + t.intervalMs;
    t.args = std::move(args);
    t.repeat = repeat;
    internals_->timers.push_back(std::move(t));
    return internals_->timers.back().id;
}

void Vm::clearTimer(int id)
{
    auto& timers = internals_->timers;
    timers.erase(std::remove_if(timers.begin(), timers.end(), [id](const TimerEntry& t) { return t.id == id; }),
                 timers.end());
}

void Vm::runTimers()
{
    double now = host_.timerMs();
    std::vector<int> due;
    for (const TimerEntry& t : internals_->timers) {
        if (t.dueMs <= now) due.push_back(t.id);
    }
    for (int id : due) {
        auto& timers = internals_->timers;
        auto it = std::find_if(timers.begin(), timers.end(), [id](const TimerEntry& t) { return t.id == id; });
        if (it == timers.end()) continue;  // cleared by an earlier callback
        TimerEntry t = *it;
        if (t.repeat) {
            it->dueMs += std::max(t.intervalMs, 1.0);
            if (it->dueMs <= now) it->dueMs = now + std::max(t.intervalMs, 1.0);
        } else {
            timers.erase(it);
        }
        enterFromHost([&] {
            if (!t.method.empty()) {
                invokeMethod(t.thisObj, t.method, t.args);
            } else {
                invoke(t.function, t.thisObj, t.args);
            }
        });
    }
}

// --- Garbage collection ---

void Vm::traceRoots(Tracer& t)
{
    Internals& in = *internals_;
    t.mark(global_);
    t.mark(key_);
    t.mark(mouse_);
    t.mark(stage_);
    t.mark(selection_);
    for (Object* o : {builtins_.objectProto, builtins_.functionProto, builtins_.arrayProto,
                      builtins_.stringProto, builtins_.numberProto, builtins_.booleanProto,
                      builtins_.dateProto, builtins_.errorProto, builtins_.movieClipProto,
                      builtins_.buttonProto, builtins_.textFieldProto, builtins_.textFormatProto,
                      builtins_.xmlNodeProto, builtins_.xmlProto, builtins_.soundProto}) {
        t.mark(o);
    }
    for (Object* o : {static_cast<Object*>(builtins_.objectCtor), static_cast<Object*>(builtins_.functionCtor),
                      static_cast<Object*>(builtins_.arrayCtor), static_cast<Object*>(builtins_.asBroadcaster),
                      static_cast<Object*>(builtins_.textFormatCtor), static_cast<Object*>(builtins_.stringCtor),
                      static_cast<Object*>(builtins_.numberCtor), static_cast<Object*>(builtins_.booleanCtor)}) {
        t.mark(o);
    }
    for (auto& [name, fn] : in.registeredClasses) t.mark(fn);
    for (auto& [key, fn] : in.nativeObjects) t.mark(fn);
    for (const TimerEntry& timer : in.timers) {
        t.mark(timer.function);
        t.mark(timer.thisObj);
        for (const Value& v : timer.args) t.mark(v);
    }
    for (const Value& v : in.globalRegs) t.mark(v);
    for (const Value& v : in.stack) t.mark(v);
    for (Object* o : in.pinned) t.mark(o);
    // A display object's script object lives as long as its node: the runtime need not report
    // it. Entries whose node is gone leave the list (scripts may still hold the object).
    auto& wrappers = in.displayObjects;
    wrappers.erase(std::remove_if(wrappers.begin(), wrappers.end(),
                                  [&](DisplayWrapper* w) {
                                      if (!w->node()) return true;
                                      t.mark(w);
                                      return false;
                                  }),
                   wrappers.end());
    for (auto& [name, o] : in.sharedObjects) t.mark(o);
    host_.traceRoots(t);
}

std::size_t Vm::collectGarbage()
{
    if (internals_->entryDepth > 0) return 0;
    return heap_.collect([this](Tracer& t) { traceRoots(t); });
}

}  // namespace swf::avm1
